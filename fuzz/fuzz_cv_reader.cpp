// Fuzzes TCVReader, the decoder of the server's version answer.
#include "proto/client_codecs.h"
#include "round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TRoundTrip<TCVReader, TCVBuilder, TClientVersion>::Check(data, size);
  return 0;
}
