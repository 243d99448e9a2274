#include "proto/pb_input.h"

#include <bit>
#include <cstring>
#include <fstream>
#include <istream>
#include <limits>
#include <ostream>

#include "proto/path_text.h"
#include "proto/utf8_text.h"

TProtoBufInput::TProtoBufInput(const std::vector<uint8_t>& Buf) {
  if (Buf.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
    throw EStreamError("Block too large");
  Init(Buf.data(), static_cast<int32_t>(Buf.size()), false);
}

void TProtoBufInput::Init(const void* Buf, int32_t BufSize, bool OwnsData) {
  Free();
  if (BufSize < 0) BufSize = 0;
  FLen = BufSize;
  FOwnsData = OwnsData;
  if (OwnsData) {
    FOwnedBlock = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(BufSize));
    if (BufSize > 0) std::memcpy(FOwnedBlock.get(), Buf, static_cast<size_t>(BufSize));
    FBuffer = FOwnedBlock.get();
  } else {
    FBuffer = static_cast<const uint8_t*>(Buf);
  }
}

void TProtoBufInput::Free() {
  FOwnedBlock.reset();
  FLen = 0;
  FBuffer = nullptr;
  FPos = 0;
  FLastTag = 0;
  FOwnsData = false;
}

void TProtoBufInput::LoadFromStream(std::istream& Stream) {
  Stream.seekg(0, std::ios::end);
  std::streamoff size = Stream.tellg();
  if (!Stream || size < 0) throw EStreamError("Stream read error");
  if (size > std::numeric_limits<int32_t>::max()) throw EStreamError("Stream too large");
  auto block = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(size));
  Stream.seekg(0, std::ios::beg);
  Stream.read(reinterpret_cast<char*>(block.get()), static_cast<std::streamsize>(size));
  if (Stream.gcount() != size) throw EStreamError("Stream read error");
  FOwnedBlock = std::move(block);
  FBuffer = FOwnedBlock.get();
  FLen = static_cast<int32_t>(size);
  FOwnsData = true;
}

void TProtoBufInput::LoadFromFile(const std::filesystem::path& FileName) {
  std::ifstream file(FileName, std::ios::binary);
  if (!file) throw EStreamError("Cannot open file \"" + PathText(FileName) + "\"");
  LoadFromStream(file);
}

void TProtoBufInput::SaveToStream(std::ostream& Stream) const {
  Stream.write(reinterpret_cast<const char*>(FBuffer), FLen);
  if (!Stream) throw EStreamError("Stream write error");
}

void TProtoBufInput::SaveToFile(const std::filesystem::path& FileName) const {
  std::ofstream file(FileName, std::ios::binary | std::ios::trunc);
  if (!file) throw EStreamError("Cannot create file \"" + PathText(FileName) + "\"");
  SaveToStream(file);
  file.close();
  if (!file) throw EStreamError("Stream write error");
}

bool TProtoBufInput::skipField(uint32_t tag) {
  switch (tag & 7) {
    case 0:
      readInt32();
      break;
    case 1:
      skipRawBytes(8);
      break;
    case 2:
      skipRawBytes(readInt32());
      break;
    case 5:
      skipRawBytes(4);
      break;
    default:
      throw EInvalidWireType();
  }
  return true;
}

void TProtoBufInput::Require(int32_t size) const {
  if (size < 0) throw EProtoAssertion(PB_NEGATIVE_SIZE);
  if (size > FLen - FPos) throw EProtoAssertion(PB_EOF);
}

void TProtoBufInput::readRawBytes(void* data, int32_t size) {
  Require(size);
  if (size > 0) std::memcpy(data, FBuffer + FPos, static_cast<size_t>(size));
  FPos += size;
}

std::vector<uint8_t> TProtoBufInput::readBytes(int32_t size) {
  Require(size);
  std::vector<uint8_t> bytes(FBuffer + FPos, FBuffer + FPos + size);
  FPos += size;
  return bytes;
}

void TProtoBufInput::skipRawBytes(int32_t size) {
  if (size < 0) throw EProtoAssertion(PB_NEGATIVE_SIZE);
  if (size > FLen - FPos) throw EProtoAssertion(PB_TRUNCATED);
  FPos += size;
}

uint64_t TProtoBufInput::readVarintSlow() {
  uint64_t result = 0;
  for (int shift = 0;; shift += 7) {
    if (shift >= 64) throw EProtoAssertion(PB_MALFORMED_VARINT);
    uint8_t byte = readRawByte();
    result |= static_cast<uint64_t>(byte & 0x7F) << shift;
    if (byte < 0x80) return result;
  }
}

uint32_t TProtoBufInput::readRawLittleEndian32() {
  Require(4);
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | FBuffer[FPos + i];
  FPos += 4;
  return value;
}

uint64_t TProtoBufInput::readRawLittleEndian64() {
  Require(8);
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = value << 8 | FBuffer[FPos + i];
  FPos += 8;
  return value;
}

int32_t TProtoBufInput::readSInt32() {
  uint32_t n = readRawVarint32();
  return static_cast<int32_t>((n >> 1) ^ (0u - (n & 1)));
}

int64_t TProtoBufInput::readSInt64() {
  uint64_t n = readRawVarint64();
  return static_cast<int64_t>((n >> 1) ^ (0ull - (n & 1)));
}

double TProtoBufInput::readDouble() { return std::bit_cast<double>(readRawLittleEndian64()); }

float TProtoBufInput::readFloat() { return std::bit_cast<float>(readRawLittleEndian32()); }

std::string TProtoBufInput::readString() {
  int32_t size = readInt32();
  if (size == 0) return {};
  Require(size);
  std::string text = DecodeUtf8(FBuffer + FPos, static_cast<size_t>(size));
  FPos += size;
  return text;
}
