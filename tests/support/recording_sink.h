// A message sink that records the boxes the engine shows instead of showing them.
#pragma once

#include <string>
#include <vector>

#include "engine/message_sink.h"

struct TShownMessage {
  std::string title;
  std::string text;
  int kind = 0;
};

class TRecordingSink : public IMessageSink {
 public:
  int QvMessageBox(const std::string& ATitle, const std::string& AMsg, int AType) override {
    shown.push_back({ATitle, AMsg, AType});
    return 1;
  }
  std::vector<TShownMessage> shown;
};

inline const char* const SERVER_PROBLEM_TEXT =
    "Oops! There seems to be a problem communicating with the server.\r\n\r\nPlease check your Internet "
    "connection and then click the Start Scan button in Quorvane to check for new drivers again.";
