// Fuzzes TDriverReader, the decoder of the server's scan answer.
#include "proto/driver_builder.h"
#include "proto/driver_reader.h"
#include "round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TRoundTrip<TDriverReader, TDriverBuilder, TDrivers>::Check(data, size);
  return 0;
}
