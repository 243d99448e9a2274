// TSegmentBuffer: a growable byte buffer of linked segments; appending never
// moves bytes already written, and Clear keeps the largest segment for reuse.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <vector>

struct TSegment {
  std::unique_ptr<TSegment> Next;
  size_t Size = 0;
  size_t Count = 0;
  std::vector<uint8_t> Data;  // zero-filled when allocated; at least Size bytes
};

class TSegmentBuffer {
 public:
  static constexpr size_t FIRST_SEGMENT_SIZE = 4096;

  TSegmentBuffer();
  ~TSegmentBuffer();
  TSegmentBuffer(const TSegmentBuffer&) = delete;
  TSegmentBuffer& operator=(const TSegmentBuffer&) = delete;

  // Empties the buffer, keeping only the last (largest) segment.
  void Clear();
  // Appends an empty segment of Size bytes.
  void AddSegment(size_t Size);

  void Add(const void* Source, size_t Cnt) {
    if (FLast->Size - FLast->Count >= Cnt) {
      if (Cnt != 0) std::memcpy(FLast->Data.data() + FLast->Count, Source, Cnt);
      FLast->Count += Cnt;
      FCount += Cnt;
    } else {
      AddGrowing(static_cast<const uint8_t*>(Source), Cnt);
    }
  }
  void Add(const std::vector<uint8_t>& Value) { Add(Value.data(), Value.size()); }
  void Add(uint8_t Value) { Add(&Value, 1); }
  // Appends Cnt bytes for the caller to fill and returns where they start; they are
  // contiguous, so an encoder that knows its length writes it in one place. An empty
  // buffer swaps its segment for one that fits when its own is too small; otherwise
  // the last segment is closed at its used bytes and a new one is added.
  uint8_t* AddContiguous(size_t Cnt);

  size_t GetCount() const { return FCount; }
  size_t GetCapacity() const { return FCapacity; }
  std::vector<uint8_t> GetBytes() const;
  // The bytes, leaving the buffer as a new one. Bytes in a single segment (as a
  // two-pass encoder writes them) are handed over without a copy.
  std::vector<uint8_t> TakeBytes();
  // Appends every byte of this buffer to another one.
  void AppendTo(TSegmentBuffer& target) const;

  // Raise EStreamError on a short write or a file that cannot be created.
  void SaveToStream(std::ostream& Stream) const;
  void SaveToFile(const std::filesystem::path& FileName) const;
  // Clear, then append everything from the stream's position to its end.
  void LoadFromStream(std::istream& Stream);
  void LoadFromFile(const std::filesystem::path& FileName);

  // The segments, first to last (for inspection).
  const TSegment* First() const { return FFirst.get(); }

 private:
  void AddGrowing(const uint8_t* Source, size_t Cnt);

  size_t FCount = 0;
  size_t FCapacity = 0;
  std::unique_ptr<TSegment> FFirst;
  TSegment* FLast = nullptr;
};
