// Encoding a message in two passes over one field list: TWireSizer adds up the
// encoded length, then TWireWriter writes the bytes into exactly that much space.
// A message writer states its fields once, as a template over the pass, so both
// passes always agree. The encodings are those of TProtoBufOutput.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "proto/pb_output.h"

inline size_t VarintSize(uint64_t value) { return (static_cast<size_t>(std::bit_width(value | 1)) + 6) / 7; }

inline uint8_t* PutVarint(uint8_t* at, uint64_t value) {
  while (value >= 0x80) {
    *at++ = static_cast<uint8_t>(value | 0x80);
    value >>= 7;
  }
  *at++ = static_cast<uint8_t>(value);
  return at;
}

inline uint32_t WireTag(uint32_t fieldNumber, TWireType wireType) { return fieldNumber << 3 | wireType; }

class TWireSizer {
 public:
  void String(uint32_t fieldNumber, std::string_view value) {
    FSize += VarintSize(WireTag(fieldNumber, WIRETYPE_LENGTH_DELIMITED)) + LengthSize(value.size()) + value.size();
  }
  // As TProtoBufOutput::writeInt32: a negative value takes its 32-bit pattern.
  void Int32(uint32_t fieldNumber, int32_t value) {
    FSize += VarintSize(WireTag(fieldNumber, WIRETYPE_VARINT)) + VarintSize(static_cast<uint32_t>(value));
  }
  void Int64(uint32_t fieldNumber, int64_t value) {
    FSize += VarintSize(WireTag(fieldNumber, WIRETYPE_VARINT)) + VarintSize(static_cast<uint64_t>(value));
  }
  // An embedded message whose fields emitFields(pass) states.
  template <typename TEmitFields>
  void Message(uint32_t fieldNumber, TEmitFields emitFields) {
    TWireSizer inner;
    emitFields(inner);
    FSize += VarintSize(WireTag(fieldNumber, WIRETYPE_LENGTH_DELIMITED)) + LengthSize(inner.FSize) + inner.FSize;
  }

  size_t Size() const { return FSize; }

 private:
  // Lengths go on the wire as 32-bit varints.
  static size_t LengthSize(size_t length) { return VarintSize(static_cast<uint32_t>(length)); }

  size_t FSize = 0;
};

class TWireWriter {
 public:
  explicit TWireWriter(uint8_t* at) : FAt(at) {}

  void String(uint32_t fieldNumber, std::string_view value) {
    FAt = PutVarint(FAt, WireTag(fieldNumber, WIRETYPE_LENGTH_DELIMITED));
    FAt = PutVarint(FAt, static_cast<uint32_t>(value.size()));
    if (!value.empty()) std::memcpy(FAt, value.data(), value.size());
    FAt += value.size();
  }
  void Int32(uint32_t fieldNumber, int32_t value) {
    FAt = PutVarint(FAt, WireTag(fieldNumber, WIRETYPE_VARINT));
    FAt = PutVarint(FAt, static_cast<uint32_t>(value));
  }
  void Int64(uint32_t fieldNumber, int64_t value) {
    FAt = PutVarint(FAt, WireTag(fieldNumber, WIRETYPE_VARINT));
    FAt = PutVarint(FAt, static_cast<uint64_t>(value));
  }
  template <typename TEmitFields>
  void Message(uint32_t fieldNumber, TEmitFields emitFields) {
    TWireSizer inner;
    emitFields(inner);
    FAt = PutVarint(FAt, WireTag(fieldNumber, WIRETYPE_LENGTH_DELIMITED));
    FAt = PutVarint(FAt, static_cast<uint32_t>(inner.Size()));
    emitFields(*this);
  }

  uint8_t* At() const { return FAt; }

 private:
  uint8_t* FAt;
};

// Appends the message whose root fields emitFields(pass) states to out: sized
// first, then written into one contiguous stretch of exactly that length.
template <typename TEmitFields>
void WriteInTwoPasses(TProtoBufOutput& out, TEmitFields emitFields) {
  TWireSizer sizer;
  emitFields(sizer);
  TWireWriter writer(out.writeRawSpace(sizer.Size()));
  emitFields(writer);
}

template <typename TPass>
void StringIfNotEmpty(TPass& pass, uint32_t fieldNumber, std::string_view value) {
  if (!value.empty()) pass.String(fieldNumber, value);
}
