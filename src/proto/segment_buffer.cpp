#include "proto/segment_buffer.h"

#include <algorithm>
#include <fstream>
#include <istream>
#include <ostream>

#include "proto/path_text.h"
#include "proto/proto_errors.h"

namespace {

std::unique_ptr<TSegment> NewSegment(size_t size) {
  auto segment = std::make_unique<TSegment>();
  segment->Size = size;
  segment->Data.resize(size);
  return segment;
}

}  // namespace

TSegmentBuffer::TSegmentBuffer() : FFirst(NewSegment(FIRST_SEGMENT_SIZE)), FLast(FFirst.get()) {}

TSegmentBuffer::~TSegmentBuffer() {
  // Unlinks iteratively so a long chain never recurses.
  while (FFirst) FFirst = std::move(FFirst->Next);
}

void TSegmentBuffer::Clear() {
  if (FFirst.get() != FLast) {
    TSegment* beforeLast = FFirst.get();
    while (beforeLast->Next.get() != FLast) beforeLast = beforeLast->Next.get();
    std::unique_ptr<TSegment> last = std::move(beforeLast->Next);
    while (FFirst) FFirst = std::move(FFirst->Next);
    FFirst = std::move(last);
  }
  FFirst->Count = 0;
  FCount = 0;
}

void TSegmentBuffer::AddSegment(size_t Size) {
  FLast->Next = NewSegment(Size);
  FLast = FLast->Next.get();
  FCapacity += Size;
}

void TSegmentBuffer::AddGrowing(const uint8_t* Source, size_t Cnt) {
  size_t free = FLast->Size - FLast->Count;
  std::memcpy(FLast->Data.data() + FLast->Count, Source, free);
  FLast->Count += free;
  FCount += free;
  Source += free;
  Cnt -= free;
  AddSegment(2 * std::max(FLast->Size, Cnt));
  std::memcpy(FLast->Data.data(), Source, Cnt);
  FLast->Count = Cnt;
  FCount += Cnt;
}

uint8_t* TSegmentBuffer::AddContiguous(size_t Cnt) {
  if (FLast->Size - FLast->Count < Cnt) {
    if (FCount == 0) {
      FFirst = NewSegment(Cnt);
      FLast = FFirst.get();
      FCapacity += Cnt;
    } else {
      // Every segment before the last stays full: the closed one's unused tail
      // no longer counts as its size and is never read.
      const size_t size = FLast->Size;
      FLast->Size = FLast->Count;
      AddSegment(std::max(2 * size, Cnt));
    }
  }
  uint8_t* at = FLast->Data.data() + FLast->Count;
  FLast->Count += Cnt;
  FCount += Cnt;
  return at;
}

std::vector<uint8_t> TSegmentBuffer::GetBytes() const {
  // Filled by appending after one reservation: no zero-fill before the copy.
  std::vector<uint8_t> bytes;
  bytes.reserve(FCount);
  for (const TSegment* segment = FFirst.get(); segment; segment = segment->Next.get())
    bytes.insert(bytes.end(), segment->Data.data(), segment->Data.data() + segment->Count);
  return bytes;
}

std::vector<uint8_t> TSegmentBuffer::TakeBytes() {
  std::vector<uint8_t> bytes;
  if (FFirst.get() == FLast) {
    FLast->Data.resize(FLast->Count);  // shrinking keeps the block: no copy
    bytes = std::move(FLast->Data);
  } else {
    bytes = GetBytes();
  }
  FFirst = NewSegment(FIRST_SEGMENT_SIZE);
  FLast = FFirst.get();
  FCount = 0;
  return bytes;
}

void TSegmentBuffer::AppendTo(TSegmentBuffer& target) const {
  for (const TSegment* segment = FFirst.get(); segment; segment = segment->Next.get())
    target.Add(segment->Data.data(), segment->Count);
}

void TSegmentBuffer::SaveToStream(std::ostream& Stream) const {
  for (const TSegment* segment = FFirst.get(); segment; segment = segment->Next.get()) {
    Stream.write(reinterpret_cast<const char*>(segment->Data.data()),
                 static_cast<std::streamsize>(segment->Count));
    if (!Stream) throw EStreamError("Stream write error");
  }
}

void TSegmentBuffer::SaveToFile(const std::filesystem::path& FileName) const {
  std::ofstream file(FileName, std::ios::binary | std::ios::trunc);
  if (!file) throw EStreamError("Cannot create file \"" + PathText(FileName) + "\"");
  SaveToStream(file);
  file.close();
  if (!file) throw EStreamError("Stream write error");
}

void TSegmentBuffer::LoadFromStream(std::istream& Stream) {
  Clear();
  char chunk[FIRST_SEGMENT_SIZE];
  while (Stream.read(chunk, sizeof chunk) || Stream.gcount() > 0)
    Add(chunk, static_cast<size_t>(Stream.gcount()));
  if (Stream.bad()) throw EStreamError("Stream read error");
}

void TSegmentBuffer::LoadFromFile(const std::filesystem::path& FileName) {
  std::ifstream file(FileName, std::ios::binary);
  if (!file) throw EStreamError("Cannot open file \"" + PathText(FileName) + "\"");
  LoadFromStream(file);
}
