// TSysInfoReader: decodes a TSysInfo (the stored scan result) from its input.
#pragma once

#include "proto/pb_input.h"
#include "proto/sysinfo_messages.h"

class TSysInfoReader {
 public:
  // The input to fill (LoadFromFile, Init) before Load.
  TProtoBufInput& GetBuf() { return FBuffer; }
  // Decodes the whole input into SysInfo; a device count of 0 becomes the
  // number of devices read. On failure the devices read so far stay.
  void Load(TSysInfo& SysInfo);

 private:
  TProtoBufInput FBuffer;
};
