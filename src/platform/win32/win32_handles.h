// One small owner per close function, so every handle is released on every path.
#pragma once

#include <windows.h>

#include <utility>

// The null handle; INVALID_HANDLE_VALUE for the handles that use it.
template <typename THandle>
THandle NullHandle() {
  return THandle{};
}
inline HANDLE InvalidHandle() { return INVALID_HANDLE_VALUE; }

template <typename THandle, auto Close, THandle (*Invalid)() = &NullHandle<THandle>>
class TOwnedHandle {
 public:
  TOwnedHandle() = default;
  explicit TOwnedHandle(THandle handle) : m_handle(handle) {}
  ~TOwnedHandle() { Reset(); }
  TOwnedHandle(TOwnedHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, Invalid())) {}
  TOwnedHandle& operator=(TOwnedHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      m_handle = std::exchange(other.m_handle, Invalid());
    }
    return *this;
  }
  TOwnedHandle(const TOwnedHandle&) = delete;
  TOwnedHandle& operator=(const TOwnedHandle&) = delete;

  THandle Get() const { return m_handle; }
  THandle* Receive() {
    Reset();
    return &m_handle;
  }
  explicit operator bool() const { return m_handle != Invalid(); }
  void Reset() {
    if (m_handle != Invalid()) Close(m_handle);
    m_handle = Invalid();
  }

 private:
  THandle m_handle = Invalid();
};

using TKernelHandle = TOwnedHandle<HANDLE, &CloseHandle>;
using TSnapshotHandle = TOwnedHandle<HANDLE, &CloseHandle, &InvalidHandle>;
using TRegKey = TOwnedHandle<HKEY, &RegCloseKey>;
using TLibrary = TOwnedHandle<HMODULE, &FreeLibrary>;
