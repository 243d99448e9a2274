// Fuzzes the raw reads of TProtoBufInput: the first byte picks the sequence of
// operations (varints, strings, fixed values, tags with skipped fields) that
// walks the rest of the input. A string read must come back as valid UTF-8.
#include <cstdlib>

#include "proto/pb_input.h"
#include "proto/pb_output.h"

namespace {

void CheckString(const std::string& text) {
  // Re-reading the text as a string field must leave it unchanged (valid UTF-8).
  TProtoBufOutput out;
  out.writeString(1, text);
  std::vector<uint8_t> bytes = out.GetBytes();
  TProtoBufInput in(bytes);
  in.readTag();
  if (in.readString() != text) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t choice = data[0];
  TProtoBufInput in(data + 1, static_cast<int32_t>(size - 1), (choice & 0x80) != 0);
  try {
    for (int step = 0; step < 64 && in.getPos() < in.getLen(); ++step) {
      switch ((choice + step) % 6) {
        case 0: in.readRawVarint32(); break;
        case 1: in.readRawVarint64(); break;
        case 2: CheckString(in.readString()); break;
        case 3: in.readFixed64(); break;
        case 4: in.readSInt32(); break;
        case 5: {
          uint32_t tag = in.readTag();
          if (tag != 0) in.skipField(tag);
          break;
        }
      }
    }
  } catch (const EProtoError&) {
  }
  return 0;
}
