// TProtoBufOutput: appends Protocol Buffers wire encodings (tags, varints,
// fixed-width values, length-delimited strings and messages) to a segment buffer
// it owns. It knows no message layout; the message writers choose the fields.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string_view>
#include <vector>

#include "proto/segment_buffer.h"

// Wire types of the Protocol Buffers format.
enum TWireType : uint32_t {
  WIRETYPE_VARINT = 0,
  WIRETYPE_FIXED64 = 1,
  WIRETYPE_LENGTH_DELIMITED = 2,
  WIRETYPE_START_GROUP = 3,
  WIRETYPE_END_GROUP = 4,
  WIRETYPE_FIXED32 = 5,
};

class TProtoBufOutput {
 public:
  TProtoBufOutput() : FBuffer(std::make_unique<TSegmentBuffer>()) {}
  TProtoBufOutput(TProtoBufOutput&&) = default;
  TProtoBufOutput& operator=(TProtoBufOutput&&) = default;

  // Empties the output, keeping its largest segment for the next record.
  void Clear() { FBuffer->Clear(); }

  void writeRawByte(uint8_t value) { FBuffer->Add(value); }
  void writeRawData(const void* p, size_t size) { FBuffer->Add(p, size); }
  // Appends size contiguous bytes that the caller fills; returns where they start.
  uint8_t* writeRawSpace(size_t size) { return FBuffer->AddContiguous(size); }
  // The 32-bit pattern as an unsigned varint: 1 to 5 bytes.
  void writeRawVarint32(uint32_t value);
  // The 64-bit pattern as an unsigned varint: 1 to 10 bytes.
  void writeRawVarint64(uint64_t value);
  void writeTag(uint32_t fieldNumber, TWireType wireType) {
    writeRawVarint32(fieldNumber << 3 | wireType);
  }

  void writeDouble(uint32_t fieldNumber, double value);
  void writeFloat(uint32_t fieldNumber, float value);
  void writeInt64(uint32_t fieldNumber, int64_t value);
  // A negative value takes 5 bytes (its 32-bit pattern), not a sign-extended 10.
  void writeInt32(uint32_t fieldNumber, int32_t value);
  void writeUInt32(uint32_t fieldNumber, uint32_t value);
  void writeFixed64(uint32_t fieldNumber, uint64_t value);
  void writeFixed32(uint32_t fieldNumber, uint32_t value);
  void writeBoolean(uint32_t fieldNumber, bool value);
  // UTF-8 text with its byte length; an empty text is written as length 0.
  void writeString(uint32_t fieldNumber, std::string_view value);
  // value's bytes with their length; value is left unchanged.
  void writeMessage(uint32_t fieldNumber, const TProtoBufOutput& value);

  size_t getSerializedSize() const { return FBuffer->GetCount(); }
  // Appends this output's bytes to another output.
  void writeTo(TProtoBufOutput& buffer) const { FBuffer->AppendTo(*buffer.FBuffer); }
  std::vector<uint8_t> GetBytes() const { return FBuffer->GetBytes(); }
  // The bytes, leaving the output empty; no copy after a message writer's Write.
  std::vector<uint8_t> TakeBytes() { return FBuffer->TakeBytes(); }
  void SaveToStream(std::ostream& Stream) const { FBuffer->SaveToStream(Stream); }
  void SaveToFile(const std::filesystem::path& FileName) const { FBuffer->SaveToFile(FileName); }
  const TSegmentBuffer& Buffer() const { return *FBuffer; }

 private:
  std::unique_ptr<TSegmentBuffer> FBuffer;
};
