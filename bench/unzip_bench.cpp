// Extraction of a mixed zip archive of about 100 MB, measured in one run: our
// reader (TZipArchive::ExtractAll) against Debian's unzip on the same archive and
// the same disk. The archive holds many small text files in nested folders, large
// compressible files and incompressible random files, deflated and stored; it is
// generated with zlib here. Prints the times and the ratio ours / unzip; asserts
// nothing about time, but both outputs must match.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "archive/zip_archive.h"
#include "archive/zip_builder.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

using TClock = std::chrono::steady_clock;

constexpr int kRounds = 3;
constexpr int kSmallFiles = 3000;
constexpr int kLargeTextFiles = 4;
constexpr size_t kLargeTextSize = 10u * 1024 * 1024;
constexpr int kRandomFiles = 8;
constexpr size_t kRandomSize = 10u * 1024 * 1024;

double Seconds(TClock::duration duration) { return std::chrono::duration<double>(duration).count(); }

class TRandom {
 public:
  std::uint32_t Next() {
    m_state ^= m_state << 13, m_state ^= m_state >> 17, m_state ^= m_state << 5;
    return m_state;
  }

 private:
  std::uint32_t m_state = 2463534242u;
};

// Text of words from a small vocabulary: compresses about as well as INF files and logs.
std::string Text(TRandom& random, size_t size) {
  static const char* const kWords[] = {"driver", "device", "PCI\\VEN_8086&DEV_", "Version", "=", "%", "\n",
                                       "[Strings]", "HKR", "0x00000001", "Manufacturer", "install", "service",
                                       "CopyFiles", ".sys", ",", "AddReg", "DriverVer", "12/05/2026", ";"};
  std::string text;
  text.reserve(size + 32);
  while (text.size() < size) {
    text += kWords[random.Next() % std::size(kWords)];
    if (random.Next() % 3 == 0) text += std::to_string(random.Next() % 10000);
    text += ' ';
  }
  text.resize(size);
  return text;
}

std::string Noise(TRandom& random, size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i + 4 <= size; i += 4) {
    std::uint32_t value = random.Next();
    std::memcpy(&bytes[i], &value, 4);
  }
  return bytes;
}

std::string BuildArchive() {
  TRandom random;
  TZipBuilder zip;
  for (int i = 0; i < kSmallFiles; ++i) {
    std::string folder = "drivers/group" + std::to_string(i % 30) + "/sub" + std::to_string(i % 7) + "/";
    if (i < 210) zip.Folder(folder);
    zip.File(folder + "file" + std::to_string(i) + ".inf", Text(random, 1024 + random.Next() % (20 * 1024)),
             i % 10 == 0 ? 0 : 8);
  }
  for (int i = 0; i < kLargeTextFiles; ++i) zip.File("logs/large" + std::to_string(i) + ".txt", Text(random, kLargeTextSize));
  for (int i = 0; i < kRandomFiles; ++i)
    zip.File("payload/blob" + std::to_string(i) + ".bin", Noise(random, kRandomSize), i % 2 == 0 ? 0 : 8);
  return zip.Build();
}

struct TTreeSummary {
  size_t files = 0;
  std::uintmax_t bytes = 0;
  bool operator==(const TTreeSummary&) const = default;
};

TTreeSummary Summarise(const fs::path& folder) {
  TTreeSummary summary;
  for (const auto& item : fs::recursive_directory_iterator(folder)) {
    if (!item.is_regular_file()) continue;
    ++summary.files;
    summary.bytes += item.file_size();
  }
  return summary;
}

bool SameFile(const fs::path& a, const fs::path& b) {
  std::ifstream first(a, std::ios::binary), second(b, std::ios::binary);
  return std::equal(std::istreambuf_iterator<char>(first), {}, std::istreambuf_iterator<char>(second), {});
}

}  // namespace

int main() {
  TTempFolder folder;
  const fs::path root = folder.Path();
  const fs::path archivePath = root / "mixed.zip";
  const fs::path ours = root / "ours", theirs = root / "unzip";

  TClock::time_point buildStart = TClock::now();
  {
    std::string archive = BuildArchive();
    std::ofstream(archivePath, std::ios::binary).write(archive.data(), static_cast<std::streamsize>(archive.size()));
  }
  double buildSeconds = Seconds(TClock::now() - buildStart);

  size_t entries = 0;
  double oursBest = 1e30, unzipBest = 1e30;
  const std::string command = "unzip -q -o '" + archivePath.string() + "' -d '" + theirs.string() + "'";
  for (int round = 0; round < kRounds; ++round) {
    fs::remove_all(ours);
    TClock::time_point start = TClock::now();
    TZipArchive archive;
    if (!archive.Open(archivePath.string()) || !archive.ExtractAll(ours.string())) {
      std::fprintf(stderr, "our extraction failed: %s\n", archive.ErrorText().c_str());
      return 1;
    }
    oursBest = std::min(oursBest, Seconds(TClock::now() - start));
    entries = archive.EntryCount();

    fs::remove_all(theirs);
    start = TClock::now();
    if (std::system(command.c_str()) != 0) {
      std::fprintf(stderr, "unzip failed\n");
      return 1;
    }
    unzipBest = std::min(unzipBest, Seconds(TClock::now() - start));
  }

  TTreeSummary oursSummary = Summarise(ours), unzipSummary = Summarise(theirs);
  if (!(oursSummary == unzipSummary) || !SameFile(ours / "payload/blob1.bin", theirs / "payload/blob1.bin") ||
      !SameFile(ours / "logs/large0.txt", theirs / "logs/large0.txt")) {
    std::fprintf(stderr, "the two extractions differ\n");
    return 1;
  }
  double megabytes = static_cast<double>(oursSummary.bytes) / (1024 * 1024);
  std::printf("archive: %.1f MB, %zu entries, %zu files, %.1f MB extracted (built in %.1f s)\n",
              static_cast<double>(fs::file_size(archivePath)) / (1024 * 1024), entries, oursSummary.files, megabytes,
              buildSeconds);
  std::printf("extraction, best of %d: ours %.3f s (%.0f MB/s), unzip -q -o %.3f s (%.0f MB/s)\n", kRounds, oursBest,
              megabytes / oursBest, unzipBest, megabytes / unzipBest);
  std::printf("time ratio ours / unzip: %.2f\n", oursBest / unzipBest);
  return 0;
}
