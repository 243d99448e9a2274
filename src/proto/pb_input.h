// TProtoBufInput: reads Protocol Buffers wire values from one contiguous block
// of bytes, in place. Every read is checked against the end of the block and
// fails with the codec's exact error texts; wire types are the readers' business.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "proto/proto_errors.h"

class TProtoBufInput {
 public:
  // An empty input that owns nothing.
  TProtoBufInput() = default;
  // An input over Buf; with OwnsData the bytes are copied into a block the
  // input owns, otherwise Buf must outlive the input.
  TProtoBufInput(const void* Buf, int32_t BufSize, bool OwnsData) { Init(Buf, BufSize, OwnsData); }
  // An input over the array's bytes, not owned: the array must outlive the input.
  explicit TProtoBufInput(const std::vector<uint8_t>& Buf);
  TProtoBufInput(std::vector<uint8_t>&&) = delete;
  TProtoBufInput(TProtoBufInput&&) = default;
  TProtoBufInput& operator=(TProtoBufInput&&) = default;

  void Init(const void* Buf, int32_t BufSize, bool OwnsData);
  // Releases an owned block and empties the input.
  void Free();

  // Replaces the block by the whole stream (read from its start); FPos stays.
  void LoadFromStream(std::istream& Stream);
  void LoadFromFile(const std::filesystem::path& FileName);
  void SaveToStream(std::ostream& Stream) const;
  void SaveToFile(const std::filesystem::path& FileName) const;

  int32_t getPos() const { return FPos; }
  void setPos(int32_t Pos) { FPos = Pos; }
  int32_t getLen() const { return FLen; }
  uint32_t getLastTag() const { return FLastTag; }

  // 0 at the end of the block, otherwise the next varint.
  uint32_t readTag() {
    FLastTag = FPos >= FLen ? 0 : readRawVarint32();
    return FLastTag;
  }
  // Skips the value of the field whose tag was just read.
  bool skipField(uint32_t tag);

  uint8_t readRawByte() {
    if (FPos >= FLen) throw EProtoAssertion(PB_EOF);
    return FBuffer[FPos++];
  }
  void readRawBytes(void* data, int32_t size);
  std::vector<uint8_t> readBytes(int32_t size);
  void skipRawBytes(int32_t size);

  uint32_t readRawVarint32() { return static_cast<uint32_t>(readRawVarint64()); }
  uint64_t readRawVarint64() {
    // Fast path: one-byte values are most tags, lengths and small integers.
    if (FPos < FLen && FBuffer[FPos] < 0x80) return FBuffer[FPos++];
    return readVarintSlow();
  }
  uint32_t readRawLittleEndian32();
  uint64_t readRawLittleEndian64();

  int32_t readInt32() { return static_cast<int32_t>(readRawVarint32()); }
  uint32_t readUInt32() { return readRawVarint32(); }
  int32_t readEnum() { return readInt32(); }
  int64_t readInt64() { return static_cast<int64_t>(readRawVarint64()); }
  bool readBoolean() { return readRawVarint32() != 0; }
  uint32_t readFixed32() { return readRawLittleEndian32(); }
  int32_t readSFixed32() { return static_cast<int32_t>(readRawLittleEndian32()); }
  uint64_t readFixed64() { return readRawLittleEndian64(); }
  int64_t readSFixed64() { return static_cast<int64_t>(readRawLittleEndian64()); }
  int32_t readSInt32();
  int64_t readSInt64();
  double readDouble();
  float readFloat();
  // UTF-8 text; bytes that are not valid UTF-8 become U+FFFD.
  std::string readString();

 private:
  uint64_t readVarintSlow();
  // Throws PB_EOF unless size bytes are left at FPos.
  void Require(int32_t size) const;

  int32_t FLen = 0;
  const uint8_t* FBuffer = nullptr;
  int32_t FPos = 0;
  uint32_t FLastTag = 0;
  bool FOwnsData = false;
  std::unique_ptr<uint8_t[]> FOwnedBlock;
};
