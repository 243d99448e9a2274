#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <sstream>

#include "hex_bytes.h"
#include "proto/pb_input.h"
#include "proto/pb_output.h"

namespace {

std::string Encode(const std::function<void(TProtoBufOutput&)>& write) {
  TProtoBufOutput out;
  write(out);
  return Hex(out.GetBytes());
}

TEST(ProtoBufOutput, ByteExactEncodings) {
  struct Case {
    const char* name;
    std::function<void(TProtoBufOutput&)> write;
    const char* expected;
  };
  const Case cases[] = {
      {"varint 0", [](auto& o) { o.writeRawVarint32(0); }, "00"},
      {"varint 300", [](auto& o) { o.writeRawVarint32(300); }, "AC 02"},
      {"varint32 max", [](auto& o) { o.writeRawVarint32(0xFFFFFFFF); }, "FF FF FF FF 0F"},
      {"varint64 max", [](auto& o) { o.writeRawVarint64(~0ull); },
       "FF FF FF FF FF FF FF FF FF 01"},
      {"int32 -1 takes five bytes", [](auto& o) { o.writeInt32(1, -1); }, "08 FF FF FF FF 0F"},
      {"int64 -1 takes ten bytes", [](auto& o) { o.writeInt64(1, -1); },
       "08 FF FF FF FF FF FF FF FF FF 01"},
      {"uint32", [](auto& o) { o.writeUInt32(2, 150); }, "10 96 01"},
      {"boolean", [](auto& o) { o.writeBoolean(3, true); o.writeBoolean(3, false); }, "18 01 18 00"},
      {"fixed32", [](auto& o) { o.writeFixed32(4, 0x01020304); }, "25 04 03 02 01"},
      {"fixed64", [](auto& o) { o.writeFixed64(5, 0x0102030405060708); },
       "29 08 07 06 05 04 03 02 01"},
      {"double 1.0", [](auto& o) { o.writeDouble(1, 1.0); }, "09 00 00 00 00 00 00 F0 3F"},
      {"float 1.0", [](auto& o) { o.writeFloat(1, 1.0f); }, "0D 00 00 80 3F"},
      {"empty string", [](auto& o) { o.writeString(1, ""); }, "0A 00"},
      {"string length counts UTF-8 bytes", [](auto& o) { o.writeString(1, "\xC3\xA9t\xC3\xA9"); },
       "0A 05 C3 A9 74 C3 A9"},
      {"tag of a large field number", [](auto& o) { o.writeTag(1000, WIRETYPE_LENGTH_DELIMITED); },
       "C2 3E"},
      {"embedded message", [](auto& o) {
         TProtoBufOutput inner;
         inner.writeString(1, "ab");
         o.writeMessage(2, inner);
         o.writeMessage(2, inner);  // inner is left unchanged
       }, "12 04 0A 02 61 62 12 04 0A 02 61 62"},
  };
  for (const Case& c : cases) EXPECT_EQ(Encode(c.write), c.expected) << c.name;
}

TEST(ProtoBufInput, ReadsValues) {
  const std::vector<uint8_t> fiveBytes = Bytes("FF FF FF FF 0F");
  TProtoBufInput five(fiveBytes);
  EXPECT_EQ(five.readInt32(), -1);
  const std::vector<uint8_t> tenBytes = Bytes("FF FF FF FF FF FF FF FF FF 01");
  TProtoBufInput ten(tenBytes);
  EXPECT_EQ(ten.readInt32(), -1);  // sign-extended form of another encoder
  const std::vector<uint8_t> wideBytes = Bytes("80 80 80 80 80 01");
  TProtoBufInput wide(wideBytes);
  EXPECT_EQ(wide.readRawVarint32(), 0u);  // bits above 32 dropped
  const std::vector<uint8_t> bigBytes = Bytes("FF FF FF FF FF FF FF FF FF 01");
  TProtoBufInput big(bigBytes);
  EXPECT_EQ(big.readInt64(), -1);

  const std::vector<uint8_t> valuesBytes = Bytes("AC 02 03 04 03 02 01 08 07 06 05 04 03 02 01 "
                              "00 00 00 00 00 00 F0 3F 00 00 80 3F 01 02 "
                              "00 05 C3 A9 74 C3 A9 02 FF FE");
  TProtoBufInput values(valuesBytes);
  EXPECT_EQ(values.readUInt32(), 300u);
  EXPECT_EQ(values.readSInt32(), -2);
  EXPECT_EQ(values.readFixed32(), 0x01020304u);
  EXPECT_EQ(values.readFixed64(), 0x0102030405060708u);
  EXPECT_EQ(values.readDouble(), 1.0);
  EXPECT_EQ(values.readFloat(), 1.0f);
  EXPECT_EQ(values.readSInt64(), -1);
  EXPECT_TRUE(values.readBoolean());
  EXPECT_EQ(values.readString(), "");
  EXPECT_EQ(values.readString(), "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(values.readString(), "\xEF\xBF\xBD\xEF\xBF\xBD");  // invalid UTF-8 replaced
  EXPECT_EQ(values.readTag(), 0u);
  EXPECT_EQ(values.getLastTag(), 0u);
  EXPECT_EQ(values.readTag(), 0u);  // an exhausted input never fails
}

TEST(ProtoBufInput, RoundTripsEveryWriterOperation) {
  TProtoBufOutput out;
  out.writeInt32(1, std::numeric_limits<int32_t>::min());
  out.writeInt64(2, std::numeric_limits<int64_t>::min());
  out.writeDouble(3, -0.5);
  out.writeFloat(4, 3.25f);
  out.writeFixed64(5, ~0ull);
  out.writeString(6, std::string(300, 'x'));
  std::vector<uint8_t> bytes = out.GetBytes();
  TProtoBufInput in(bytes);
  EXPECT_EQ(in.readTag(), 1u << 3 | 0);
  EXPECT_EQ(in.readInt32(), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(in.readTag(), 2u << 3 | 0);
  EXPECT_EQ(in.readInt64(), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(in.readTag(), 3u << 3 | 1);
  EXPECT_EQ(in.readDouble(), -0.5);
  EXPECT_EQ(in.readTag(), 4u << 3 | 5);
  EXPECT_EQ(in.readFloat(), 3.25f);
  EXPECT_EQ(in.readTag(), 5u << 3 | 1);
  EXPECT_EQ(in.readFixed64(), ~0ull);
  EXPECT_EQ(in.readTag(), 6u << 3 | 2);
  EXPECT_EQ(in.readString(), std::string(300, 'x'));
  EXPECT_EQ(in.getPos(), static_cast<int32_t>(bytes.size()));
}

TEST(ProtoBufInput, SkipsFieldsOfEveryReadableWireType) {
  const std::vector<uint8_t> inBytes = Bytes("08 96 01  11 01 02 03 04 05 06 07 08  1A 02 61 62  25 01 02 03 04  28 07");
  TProtoBufInput in(inBytes);
  for (int skipped = 0; skipped < 4; ++skipped) EXPECT_TRUE(in.skipField(in.readTag()));
  EXPECT_EQ(in.readTag(), 5u << 3);
  EXPECT_EQ(in.readInt32(), 7);
}

TEST(ProtoBufInput, FailuresCarryTheirTexts) {
  struct Case {
    const char* name;
    const char* input;
    std::function<void(TProtoBufInput&)> read;
    const char* text;
  };
  const Case cases[] = {
      {"raw byte at the end", "", [](auto& in) { in.readRawByte(); },
       "Protocol buffer exception: eof encounterd"},
      {"varint cut short", "80 80", [](auto& in) { in.readRawVarint64(); },
       "Protocol buffer exception: eof encounterd"},
      {"eleven-byte varint", "FF FF FF FF FF FF FF FF FF FF 01",
       [](auto& in) { in.readRawVarint32(); }, "Protocol buffer exception: malformed Varint"},
      {"fixed32 past the end", "01 02 03", [](auto& in) { in.readFixed32(); },
       "Protocol buffer exception: eof encounterd"},
      {"fixed64 past the end", "01 02 03 04 05 06 07", [](auto& in) { in.readDouble(); },
       "Protocol buffer exception: eof encounterd"},
      {"string longer than the input", "05 61 62", [](auto& in) { in.readString(); },
       "Protocol buffer exception: eof encounterd"},
      {"string of negative length", "FF FF FF FF 0F", [](auto& in) { in.readString(); },
       "Protocol buffer exception: negative Size"},
      {"raw bytes past the end", "01", [](auto& in) { uint8_t b[2]; in.readRawBytes(b, 2); },
       "Protocol buffer exception: eof encounterd"},
      {"bytes past the end", "01", [](auto& in) { in.readBytes(2); },
       "Protocol buffer exception: eof encounterd"},
      {"skip of negative size", "", [](auto& in) { in.skipRawBytes(-1); },
       "Protocol buffer exception: negative Size"},
      {"skip past the end", "01 02", [](auto& in) { in.skipRawBytes(3); },
       "Protocol buffer exception: truncated Message"},
      {"skipped 64-bit field cut short", "09 01", [](auto& in) { in.skipField(in.readTag()); },
       "Protocol buffer exception: truncated Message"},
      {"skipped string longer than the input", "0A 05 61", [](auto& in) { in.skipField(in.readTag()); },
       "Protocol buffer exception: truncated Message"},
      {"start group", "0B", [](auto& in) { in.skipField(in.readTag()); },
       "InvalidProtocolBufferException.invalidWireType"},
      {"end group", "0C", [](auto& in) { in.skipField(in.readTag()); },
       "InvalidProtocolBufferException.invalidWireType"},
      {"wire type 6", "0E", [](auto& in) { in.skipField(in.readTag()); },
       "InvalidProtocolBufferException.invalidWireType"},
      {"wire type 7", "0F", [](auto& in) { in.skipField(in.readTag()); },
       "InvalidProtocolBufferException.invalidWireType"},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = Bytes(c.input);
    TProtoBufInput in(bytes);
    try {
      c.read(in);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const EProtoError& error) {
      EXPECT_STREQ(error.what(), c.text) << c.name;
    }
  }
}

TEST(ProtoBufInput, MalformedVarintFailsOnTheEleventhByte) {
  std::vector<uint8_t> bytes = Bytes("FF FF FF FF FF FF FF FF FF FF 01");
  TProtoBufInput in(bytes);
  EXPECT_THROW(in.readRawVarint64(), EProtoAssertion);
  EXPECT_EQ(in.getPos(), 10);  // ten bytes consumed, the eleventh refused
}

TEST(ProtoBufInput, OwnsACopyOnlyWhenAsked) {
  std::vector<uint8_t> bytes = Bytes("08 01");
  TProtoBufInput owning(bytes.data(), 2, true);
  TProtoBufInput referring(bytes.data(), 2, false);
  bytes[1] = 0x02;
  owning.readTag();
  referring.readTag();
  EXPECT_EQ(owning.readInt32(), 1);
  EXPECT_EQ(referring.readInt32(), 2);
  owning.Free();
  EXPECT_EQ(owning.getLen(), 0);
  EXPECT_EQ(owning.readTag(), 0u);
}

TEST(ProtoBufInput, LoadFromStreamReadsTheWholeStream) {
  std::stringstream stream(std::string("\x08\x2A", 2));
  stream.get();  // the load reads from the start whatever the position
  TProtoBufInput in;
  in.LoadFromStream(stream);
  EXPECT_EQ(in.getLen(), 2);
  EXPECT_EQ(in.readTag(), 8u);
  EXPECT_EQ(in.readInt32(), 42);
}

}  // namespace
