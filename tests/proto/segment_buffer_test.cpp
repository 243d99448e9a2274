#include "proto/segment_buffer.h"

#include <gtest/gtest.h>

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
