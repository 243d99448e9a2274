// Fuzzes TSysInfoReader, the decoder of "config.bin".
#include "proto/sysinfo_reader.h"
#include "proto/sysinfo_writer.h"
#include "round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TRoundTrip<TSysInfoReader, TSysInfoWriter, TSysInfo>::Check(data, size);
  return 0;
}
