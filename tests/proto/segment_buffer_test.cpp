#include "proto/segment_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <sstream>

namespace {

std::vector<size_t> SegmentSizes(const TSegmentBuffer& buffer) {
  std::vector<size_t> sizes;
  for (const TSegment* s = buffer.First(); s; s = s->Next.get()) sizes.push_back(s->Size);
  return sizes;
}

std::vector<uint8_t> Sequence(size_t count, uint8_t start = 0) {
  std::vector<uint8_t> bytes(count);
  std::iota(bytes.begin(), bytes.end(), start);
  return bytes;
}

TEST(SegmentBuffer, GrowthRule) {
  struct Case {
    const char* name;
    std::vector<size_t> appends;
    std::vector<size_t> segments;
  };
  const Case cases[] = {
      {"exactly the free space allocates nothing", {4096}, {4096}},
      {"one byte more doubles the last segment", {4096, 1}, {4096, 8192}},
      {"10000 bytes: 4096 then twice the remaining 5904", {10000}, {4096, 11808}},
      {"small appends double", {4000, 200, 8000, 100}, {4096, 8192, 16384}},
      {"empty append", {0}, {4096}},
  };
  for (const Case& c : cases) {
    TSegmentBuffer buffer;
    std::vector<uint8_t> expected;
    for (size_t count : c.appends) {
      std::vector<uint8_t> bytes = Sequence(count, static_cast<uint8_t>(expected.size()));
      buffer.Add(bytes);
      expected.insert(expected.end(), bytes.begin(), bytes.end());
    }
    EXPECT_EQ(SegmentSizes(buffer), c.segments) << c.name;
    EXPECT_EQ(buffer.GetCount(), expected.size()) << c.name;
    EXPECT_EQ(buffer.GetBytes(), expected) << c.name;  // in append order across segments
  }
}

TEST(SegmentBuffer, ClearKeepsTheLastSegmentForReuse) {
  TSegmentBuffer buffer;
  buffer.Add(Sequence(10000));
  buffer.Clear();
  EXPECT_EQ(buffer.GetCount(), 0u);
  EXPECT_TRUE(buffer.GetBytes().empty());
  EXPECT_EQ(SegmentSizes(buffer), std::vector<size_t>{11808});

  buffer.Add(Sequence(11808, 7));
  EXPECT_EQ(SegmentSizes(buffer), std::vector<size_t>{11808});
  EXPECT_EQ(buffer.GetBytes(), Sequence(11808, 7));
  EXPECT_EQ(buffer.GetCapacity(), 11808u);  // growth total, untouched by Clear
}

TEST(SegmentBuffer, ContiguousSpace) {
  struct Case {
    const char* name;
    size_t before;      // bytes appended first
    size_t contiguous;  // then one stretch of this many bytes
    std::vector<size_t> segments;
  };
  const Case cases[] = {
      {"fits the free space of the first segment", 0, 4096, {4096}},
      {"an empty buffer swaps its segment for one that fits", 0, 10000, {10000}},
      {"fits after earlier bytes", 96, 4000, {4096}},
      {"the partly used segment is closed, a doubled one added", 100, 4000, {100, 8192}},
      {"a stretch beyond double gets its own size", 100, 20000, {100, 20000}},
  };
  for (const Case& c : cases) {
    TSegmentBuffer buffer;
    std::vector<uint8_t> expected = Sequence(c.before);
    buffer.Add(expected);
    const std::vector<uint8_t> stretch = Sequence(c.contiguous, 3);
    std::memcpy(buffer.AddContiguous(c.contiguous), stretch.data(), stretch.size());
    expected.insert(expected.end(), stretch.begin(), stretch.end());
    EXPECT_EQ(SegmentSizes(buffer), c.segments) << c.name;
    EXPECT_EQ(buffer.GetBytes(), expected) << c.name;
    buffer.Add(uint8_t{9});  // appending goes on after the stretch
    expected.push_back(9);
    EXPECT_EQ(buffer.TakeBytes(), expected) << c.name;
    EXPECT_EQ(buffer.GetCount(), 0u) << c.name;
    EXPECT_EQ(SegmentSizes(buffer), std::vector<size_t>{TSegmentBuffer::FIRST_SEGMENT_SIZE}) << c.name;
  }
}

TEST(SegmentBuffer, TakeBytesHandsOverASingleSegment) {
  TSegmentBuffer buffer;
  uint8_t* at = buffer.AddContiguous(10000);
  std::memset(at, 7, 10000);
  const std::vector<uint8_t> bytes = buffer.TakeBytes();
  EXPECT_EQ(bytes.data(), at);  // the segment itself, not a copy
  EXPECT_EQ(bytes, std::vector<uint8_t>(10000, 7));
  buffer.Add(Sequence(5));
  EXPECT_EQ(buffer.GetBytes(), Sequence(5));
}

TEST(SegmentBuffer, StreamsRoundTrip) {
  TSegmentBuffer buffer;
  buffer.Add(Sequence(9000));
  std::stringstream stream;
  buffer.SaveToStream(stream);
  EXPECT_EQ(stream.str().size(), 9000u);

  TSegmentBuffer loaded;
  loaded.Add(uint8_t{42});  // replaced by the load
  loaded.LoadFromStream(stream);
  EXPECT_EQ(loaded.GetBytes(), Sequence(9000));
}

}  // namespace
