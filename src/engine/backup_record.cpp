#include "engine/backup_record.h"

#include "platform/ascii_case.h"

namespace {

constexpr const char* FOLDER_VALUE = "Folder";
constexpr const char* MANIFEST_VALUE = "ManifestSHA256";

std::string KeyPath(const std::string& folderName) { return std::string(QV_BACKUPS_KEY) + "\\" + folderName; }

std::string ComparablePath(std::string path) {
  for (char& c : path) c = c == '/' ? '\\' : AsciiLower(c);
  while (path.size() > 1 && path.back() == '\\') path.pop_back();
  return path;
}

}  // namespace

bool StoreBackupRecord(IRegistry& registry, const std::string& folderName, const TBackupRecord& record) {
  std::unique_ptr<IRegistryKey> key =
      registry.OpenKey(TRegRoot::LocalMachine, KeyPath(folderName), TRegAccess::Write, true);
  return key && key->WriteString(FOLDER_VALUE, record.folder) && key->WriteString(MANIFEST_VALUE, record.manifestSha256);
}

std::optional<TBackupRecord> ReadBackupRecord(IRegistry& registry, const std::string& folderName) {
  std::unique_ptr<IRegistryKey> key =
      registry.OpenKey(TRegRoot::LocalMachine, KeyPath(folderName), TRegAccess::Read, false);
  if (!key) return std::nullopt;
  const std::optional<std::string> folder = key->ReadString(FOLDER_VALUE);
  const std::optional<std::string> manifest = key->ReadString(MANIFEST_VALUE);
  if (!folder || !manifest || folder->empty() || manifest->size() != 64) return std::nullopt;
  return TBackupRecord{*folder, *manifest};
}

void ForgetBackupRecord(IRegistry& registry, const std::string& folderName) {
  std::unique_ptr<IRegistryKey> key =
      registry.OpenKey(TRegRoot::LocalMachine, KeyPath(folderName), TRegAccess::Write, false);
  if (!key) return;
  for (const char* name : {FOLDER_VALUE, MANIFEST_VALUE}) key->DeleteValue(name);
}

bool SameFolderPath(const std::string& a, const std::string& b) { return ComparablePath(a) == ComparablePath(b); }
