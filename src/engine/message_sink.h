// IMessageSink: how engine workers show a message box. The front end installs one;
// the call blocks the worker until the user has closed the box.
#pragma once

#include <string>

class IMessageSink {
 public:
  virtual ~IMessageSink() = default;
  // Shaped like QvMessageBox with its synchronise flag set; returns the box's answer.
  virtual int QvMessageBox(const std::string& ATitle, const std::string& AMsg, int AType) = 0;
};
