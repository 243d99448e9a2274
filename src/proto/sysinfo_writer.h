// TSysInfoWriter: encodes a TSysInfo (the stored scan result) into its output.
#pragma once

#include "proto/pb_output.h"
#include "proto/sysinfo_messages.h"

class TSysInfoWriter {
 public:
  void Write(const TSysInfo& SysInfo);
  TProtoBufOutput& GetBuf() { return FBuffer; }

 private:
  TProtoBufOutput FBuffer;
};
