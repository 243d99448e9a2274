#include "core/data_folder_removal.h"

#include <filesystem>
#include <system_error>

#include "core/paths.h"
#include "platform/ascii_case.h"

namespace {

// The name of the program's folder in each known folder.
constexpr const char* DATA_FOLDER_NAME = "Quorvane";

std::string Normalised(const std::string& path) {
  const std::u8string generic = ToPath(path).lexically_normal().generic_u8string();
  std::string text(generic.begin(), generic.end());
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

// Whether one path is the other or lies inside it, ignoring case as Windows does.
bool Overlap(const std::string& a, const std::string& b) {
  const std::string x = Normalised(a);
  const std::string y = Normalised(b);
  const std::string& shorter = x.size() <= y.size() ? x : y;
  const std::string& longer = x.size() <= y.size() ? y : x;
  if (shorter.empty() || !StartsWithIgnoringAsciiCase(longer, shorter)) return false;
  return longer.size() == shorter.size() || longer[shorter.size()] == '/' || shorter.back() == '/';
}

TDataFolderRemoval RemoveFolderIn(IFileSystem& fileSystem, const std::string& knownFolder,
                                  const std::string& windowsFolder) {
  // Relative, the folder would be looked for in the current folder: System32 for some starts.
  if (knownFolder.empty() || !ToPath(knownFolder).is_absolute()) return {knownFolder, droRefused};
  const std::string folder = JoinPath(knownFolder, DATA_FOLDER_NAME);
  if (windowsFolder.empty() || Overlap(folder, windowsFolder)) return {folder, droRefused};

  if (fileSystem.IsReparsePoint(folder)) return {folder, droLeftAlone};
  std::error_code error;
  const auto status = std::filesystem::symlink_status(ToPath(folder), error);
  if (status.type() == std::filesystem::file_type::not_found) return {folder, droAbsent};
  if (error || status.type() != std::filesystem::file_type::directory) return {folder, droLeftAlone};
  // DeleteTree opens the folder itself before it empties it: should it become a link
  // meanwhile, the link alone is removed.
  return {folder, fileSystem.DeleteTree(0, folder) ? droRemoved : droFailed};
}

}  // namespace

std::vector<TDataFolderRemoval> RemoveProgramDataFolders(IFileSystem& fileSystem, IShell& shell) {
  const std::string windowsFolder = shell.WindowsFolder();
  return {RemoveFolderIn(fileSystem, shell.RoamingAppDataFolder(), windowsFolder),
          RemoveFolderIn(fileSystem, shell.ProgramDataFolder(), windowsFolder)};
}

bool AllDataRemoved(const std::vector<TDataFolderRemoval>& removals) {
  for (const TDataFolderRemoval& removal : removals)
    if (removal.outcome != droRemoved && removal.outcome != droAbsent) return false;
  return true;
}
