// The "post to the UI thread" port: hands a closure to the thread that owns the
// user interface. A Win32 message to a window in the program, a plain loop in tests.
#pragma once

#include <functional>

class IUiThreadPort {
 public:
  virtual ~IUiThreadPort() = default;
  // Queues work for the UI thread; false when it cannot be posted (the closure is freed).
  virtual bool Post(std::function<void()> work) = 0;
  // True when called on the UI thread itself.
  virtual bool IsUiThread() const = 0;
};
