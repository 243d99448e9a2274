#include "engine/install_decision.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/paths.h"
#include "engine/download_names.h"
#include "platform/ascii_case.h"

namespace fs = std::filesystem;

namespace {

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

void Walk(IFileSystem& fileSystem, const fs::path& folder, const std::string& mask, std::vector<std::string>& found) {
  struct TEntry {
    std::string key;
    fs::path path;
    bool directory;
  };
  std::vector<TEntry> entries;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    // A junction or link is neither walked into nor taken: what it points to is not the package's.
    if (fileSystem.IsReparsePoint(FromPath(it->path()))) continue;
    std::error_code kindError;
    const bool directory = it->is_directory(kindError) && !it->is_symlink(kindError);
    entries.push_back({AsciiUpper(FromPath(it->path().filename())), it->path(), directory});
  }
  std::sort(entries.begin(), entries.end(), [](const TEntry& a, const TEntry& b) {
    return a.key != b.key ? a.key < b.key : a.path < b.path;
  });
  for (const TEntry& entry : entries) {
    if (entry.directory)
      Walk(fileSystem, entry.path, mask, found);
    else if (MatchesFileMask(FromPath(entry.path.filename()), mask))
      found.push_back(FromPath(entry.path));
  }
}

}  // namespace

TPackageKind PackageKindOf(const std::string& packagePath) {
  switch (PackageFileTypeOf(packagePath)) {
    case pfProgram:
    case pfInstallerPackage:
      return pkProgram;
    case pfArchive:
      return pkArchive;
    case pfOther:
      break;
  }
  return pkDocument;
}

std::vector<TArchiveMethod> ArchiveMethodsFor(const std::string& archivePath) {
  const std::string name = archivePath.size() >= 4 ? archivePath.substr(0, archivePath.size() - 4) : std::string();
  static const struct {
    const char* suffix;
    TArchiveMethod method;
  } suffixes[] = {{"_qva", amInfFiles}, {"_qvai", amBatch}, {"_qvam", amMsi}, {"_qvae", amExe}};
  std::vector<TArchiveMethod> methods;
  for (const auto& entry : suffixes)
    if (EndsWith(name, entry.suffix)) methods.push_back(entry.method);
  methods.push_back(amSetupExe);
  return methods;
}

bool MatchesFileMask(const std::string& fileName, const std::string& mask) {
  // Iterative wildcard match with one backtracking point for the last "*".
  size_t n = 0, m = 0, starMask = std::string::npos, starName = 0;
  while (n < fileName.size()) {
    if (m < mask.size() && (mask[m] == '?' || AsciiUpper(mask[m]) == AsciiUpper(fileName[n]))) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (starMask != std::string::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

std::vector<std::string> FindFilesRecursive(IFileSystem& fileSystem, const std::string& folder, const std::string& mask) {
  std::vector<std::string> found;
  Walk(fileSystem, ToPath(folder), mask, found);
  return found;
}
