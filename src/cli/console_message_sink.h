// The console's message box: the worker's message is printed by the UI loop while
// the worker waits, as a box would be shown; the answer is always "OK".
#pragma once

#include <ostream>

#include "engine/message_sink.h"
#include "ui/callback_dispatcher.h"

class TConsoleMessageSink : public IMessageSink {
 public:
  TConsoleMessageSink(TCallbackDispatcher& dispatcher, std::ostream& err) : m_dispatcher(dispatcher), m_err(err) {}

  int QvMessageBox(const std::string& ATitle, const std::string& AMsg, int) override {
    m_dispatcher.Send([this, text = ATitle + ": " + AMsg] { m_err << text << "\n"; });
    return IDOK_ANSWER;
  }

 private:
  static constexpr int IDOK_ANSWER = 1;
  TCallbackDispatcher& m_dispatcher;
  std::ostream& m_err;
};
