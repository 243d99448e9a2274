// Fuzzes TDriverReader (the server's scan answer). A decoded answer must encode
// and decode again to the same bytes.
#include <cstdlib>

#include "proto/driver_builder.h"
#include "proto/driver_reader.h"

namespace {

bool Decode(const uint8_t* data, size_t size, TDrivers& drivers) {
  TDriverReader reader;
  reader.GetBuf().Init(data, static_cast<int32_t>(size), false);
  try {
    reader.Load(drivers);
    return true;
  } catch (const EProtoError&) {
    return false;
  }
}

std::vector<uint8_t> Encode(const TDrivers& drivers) {
  TDriverBuilder builder;
  builder.Write(drivers);
  return builder.GetBuf().GetBytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TDrivers first;
  if (!Decode(data, size, first)) return 0;
  const std::vector<uint8_t> encoded = Encode(first);
  TDrivers second;
  if (!Decode(encoded.data(), encoded.size(), second)) std::abort();
  if (Encode(second) != encoded) std::abort();
  return 0;
}
