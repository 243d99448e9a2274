#include "proto/pb_output.h"

#include <bit>
#include <cstring>

namespace {

template <typename TUnsigned>
void WriteLittleEndian(TSegmentBuffer& buffer, TUnsigned value) {
  uint8_t bytes[sizeof(TUnsigned)];
  for (size_t i = 0; i < sizeof(TUnsigned); ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
  buffer.Add(bytes, sizeof bytes);
}

}  // namespace

void TProtoBufOutput::writeRawVarint32(uint32_t value) { writeRawVarint64(value); }

void TProtoBufOutput::writeRawVarint64(uint64_t value) {
  uint8_t bytes[10];
  size_t count = 0;
  while (value >= 0x80) {
    bytes[count++] = static_cast<uint8_t>(value | 0x80);
    value >>= 7;
  }
  bytes[count++] = static_cast<uint8_t>(value);
  FBuffer->Add(bytes, count);
}

void TProtoBufOutput::writeDouble(uint32_t fieldNumber, double value) {
  writeTag(fieldNumber, WIRETYPE_FIXED64);
  WriteLittleEndian(*FBuffer, std::bit_cast<uint64_t>(value));
}

void TProtoBufOutput::writeFloat(uint32_t fieldNumber, float value) {
  writeTag(fieldNumber, WIRETYPE_FIXED32);
  WriteLittleEndian(*FBuffer, std::bit_cast<uint32_t>(value));
}

void TProtoBufOutput::writeInt64(uint32_t fieldNumber, int64_t value) {
  writeTag(fieldNumber, WIRETYPE_VARINT);
  writeRawVarint64(static_cast<uint64_t>(value));
}

void TProtoBufOutput::writeInt32(uint32_t fieldNumber, int32_t value) {
  writeTag(fieldNumber, WIRETYPE_VARINT);
  writeRawVarint32(static_cast<uint32_t>(value));
}

void TProtoBufOutput::writeUInt32(uint32_t fieldNumber, uint32_t value) {
  writeTag(fieldNumber, WIRETYPE_VARINT);
  writeRawVarint32(value);
}

void TProtoBufOutput::writeFixed64(uint32_t fieldNumber, uint64_t value) {
  writeTag(fieldNumber, WIRETYPE_FIXED64);
  WriteLittleEndian(*FBuffer, value);
}

void TProtoBufOutput::writeFixed32(uint32_t fieldNumber, uint32_t value) {
  writeTag(fieldNumber, WIRETYPE_FIXED32);
  WriteLittleEndian(*FBuffer, value);
}

void TProtoBufOutput::writeBoolean(uint32_t fieldNumber, bool value) {
  writeTag(fieldNumber, WIRETYPE_VARINT);
  writeRawByte(value ? 1 : 0);
}

void TProtoBufOutput::writeString(uint32_t fieldNumber, std::string_view value) {
  writeTag(fieldNumber, WIRETYPE_LENGTH_DELIMITED);
  writeRawVarint32(static_cast<uint32_t>(value.size()));
  FBuffer->Add(value.data(), value.size());
}

void TProtoBufOutput::writeMessage(uint32_t fieldNumber, const TProtoBufOutput& value) {
  writeTag(fieldNumber, WIRETYPE_LENGTH_DELIMITED);
  writeRawVarint32(static_cast<uint32_t>(value.getSerializedSize()));
  value.writeTo(*this);
}
