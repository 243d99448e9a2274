#include "core/link_check.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::string FirstLinkOnPath(IFileSystem& fileSystem, const std::string& folder, const std::string& path) {
  size_t start = 0;
  const bool below = !folder.empty() && path.compare(0, folder.size(), folder) == 0 &&
                     (path.size() == folder.size() || IsSeparator(path[folder.size()]) || IsSeparator(folder.back()));
  if (below) {
    if (fileSystem.IsReparsePoint(folder)) return folder;
    start = folder.size();
  }
  for (size_t i = start + 1; i < path.size(); ++i) {
    if (!IsSeparator(path[i]) || IsSeparator(path[i - 1])) continue;
    const std::string part = path.substr(0, i);
    if (fileSystem.IsReparsePoint(part)) return part;
  }
  if (path.size() > start && fileSystem.IsReparsePoint(path)) return path;
  return {};
}
