// Fuzzes TCVReader (the server's version answer). A decoded answer must encode
// and decode again to the same bytes.
#include <cstdlib>

#include "proto/client_codecs.h"

namespace {

bool Decode(const uint8_t* data, size_t size, TClientVersion& version) {
  TCVReader reader;
  reader.GetBuf().Init(data, static_cast<int32_t>(size), false);
  try {
    reader.Load(version);
    return true;
  } catch (const EProtoError&) {
    return false;
  }
}

std::vector<uint8_t> Encode(const TClientVersion& version) {
  TCVBuilder builder;
  builder.Write(version);
  return builder.GetBuf().GetBytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TClientVersion first;
  if (!Decode(data, size, first)) return 0;
  const std::vector<uint8_t> encoded = Encode(first);
  TClientVersion second;
  if (!Decode(encoded.data(), encoded.size(), second)) std::abort();
  if (Encode(second) != encoded) std::abort();
  return 0;
}
