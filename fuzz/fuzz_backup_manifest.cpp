// Fuzzes ReadBackupManifest, the reader of the manifest a user-writable backup folder holds.
// Whatever the input, an accepted manifest lists only plain, distinct names with well-formed
// digests, and writing its entries again gives back exactly the input: the reader accepts
// nothing the writer would not have made.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string_view>

#include "engine/backup_manifest.h"
#include "platform/ascii_case.h"
#include "platform/path_parts.h"

namespace {

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "manifest reader check failed: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::optional<std::vector<TManifestEntry>> entries = ReadBackupManifest(text);
  if (!entries) return 0;
  Require(entries->size() <= QV_BACKUP_MANIFEST_MAX_FILES, "no more files than the limit");
  std::set<std::string> names;
  for (const TManifestEntry& entry : *entries) {
    Require(IsPlainFileName(entry.name), "only plain names");
    Require(names.insert(AsciiLower(entry.name)).second, "no name twice");
    Require(entry.sha256.size() == 64, "a whole SHA-256");
  }
  Require(WriteBackupManifest(*entries) == text, "the writer makes the same text again");
  return 0;
}
