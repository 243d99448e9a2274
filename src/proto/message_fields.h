// Field-level helpers shared by the message writers and readers: optional
// strings, the wire-type check of known fields, embedded messages read in place,
// and the operating-system message that both root messages carry.
#pragma once

#include <cstdint>
#include <string_view>

#include "proto/common_messages.h"
#include "proto/pb_input.h"
#include "proto/pb_output.h"
#include "proto/wire_passes.h"

inline void WriteStringIfNotEmpty(TProtoBufOutput& out, uint32_t fieldNumber, std::string_view value) {
  if (!value.empty()) out.writeString(fieldNumber, value);
}

inline uint32_t FieldNumber(uint32_t tag) { return tag >> 3; }

// A known field that arrives with another wire type stops the decode.
inline void ExpectWireType(uint32_t tag, TWireType expected) {
  if ((tag & 7) != expected) throw EProtoAssertion(PB_WRONG_WIRE_TYPE);
}

// Reads an embedded message in place: its length, then readField(tag) for each
// field while the position is below the message's end or until the input ends.
// The end is not checked against the enclosing message's end.
template <typename TReadField>
void ReadEmbedded(TProtoBufInput& in, TReadField readField) {
  const int32_t length = in.readInt32();
  const int64_t end = static_cast<int64_t>(in.getPos()) + length;
  while (in.getPos() < end) {
    uint32_t tag = in.readTag();
    if (tag == 0) break;
    readField(tag);
  }
}

// An embedded message with one string field 1 (TCompatibleID, TDeviceID).
void ReadSingleStringMessage(TProtoBufInput& in, std::string& field1);

// The operating system's three strings, each when not empty, as field fieldNumber.
template <typename TPass>
void EmitOperatingSystem(TPass& pass, uint32_t fieldNumber, const TOperatingSystem& os) {
  pass.Message(fieldNumber, [&](auto& fields) {
    StringIfNotEmpty(fields, 1, os.Fname);
    StringIfNotEmpty(fields, 2, os.Fversion);
    StringIfNotEmpty(fields, 3, os.Farchitecture);
  });
}
// Reads into os field by field, so a repeated occurrence updates the same object.
void ReadOperatingSystem(TProtoBufInput& in, TOperatingSystem& os);
