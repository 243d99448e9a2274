// TDialogMessageSink: the engine's workers show their messages in the program's
// message box on the UI thread, and wait for the answer.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "engine/message_sink.h"

class IStringTable;
class TCallbackDispatcher;

class TDialogMessageSink : public IMessageSink {
 public:
  // `owner` names the window the box is shown over when it opens (null: the screen).
  TDialogMessageSink(TCallbackDispatcher& dispatcher, IStringTable& strings, std::function<HWND()> owner);

  // From a worker: the box runs on the UI thread while the worker waits. On the
  // UI thread: the box is shown at once. When the dispatcher has shut down, no
  // box is shown and the kind's negative answer is returned.
  int QvMessageBox(const std::string& ATitle, const std::string& AMsg, int AType) override;

 private:
  TCallbackDispatcher& m_dispatcher;
  IStringTable& m_strings;
  std::function<HWND()> m_owner;
};
