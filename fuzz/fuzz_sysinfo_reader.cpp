// Fuzzes TSysInfoReader ("config.bin"). A decoded file must encode and decode
// again to the same bytes.
#include <cstdlib>

#include "proto/sysinfo_reader.h"
#include "proto/sysinfo_writer.h"

namespace {

bool Decode(const uint8_t* data, size_t size, TSysInfo& sysInfo) {
  TSysInfoReader reader;
  reader.GetBuf().Init(data, static_cast<int32_t>(size), false);
  try {
    reader.Load(sysInfo);
    return true;
  } catch (const EProtoError&) {
    return false;
  }
}

std::vector<uint8_t> Encode(const TSysInfo& sysInfo) {
  TSysInfoWriter writer;
  writer.Write(sysInfo);
  return writer.GetBuf().GetBytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TSysInfo first;
  if (!Decode(data, size, first)) return 0;
  const std::vector<uint8_t> encoded = Encode(first);
  TSysInfo second;
  if (!Decode(encoded.data(), encoded.size(), second)) std::abort();
  if (Encode(second) != encoded) std::abort();
  return 0;
}
