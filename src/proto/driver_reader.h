// TDriverReader: decodes a TDrivers (the scan answer) from its input.
#pragma once

#include "proto/driver_messages.h"
#include "proto/pb_input.h"

class TDriverReader {
 public:
  // The input to fill (LoadFromStream, Init) before Load.
  TProtoBufInput& GetBuf() { return FBuffer; }
  // Decodes the whole input into DriverList. On failure the drivers read so far stay.
  void Load(TDrivers& DriverList);

 private:
  TProtoBufInput FBuffer;
};
