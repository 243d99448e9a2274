// TDriverBuilder: encodes a TDrivers (the scan request) into its output.
#pragma once

#include "proto/driver_messages.h"
#include "proto/pb_output.h"

class TDriverBuilder {
 public:
  // False when at least one driver has no hardware id; it is written all the same.
  bool Write(const TDrivers& DriverList);
  TProtoBufOutput& GetBuf() { return FBuffer; }

 private:
  TProtoBufOutput FBuffer;
};
