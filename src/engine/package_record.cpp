#include "engine/package_record.h"

#include <charconv>
#include <vector>

#include "core/file_md5.h"

namespace {

constexpr const char* FILE_NAME_VALUE = "FileName";
constexpr const char* SIZE_VALUE = "Size";
constexpr const char* SHA256_VALUE = "SHA256";
constexpr const char* MD5_VALUE = "MD5";
constexpr const char* FOLDER_VALUE = "Folder";
constexpr const char* FOLDER_CREATED_VALUE = "FolderCreated";
constexpr size_t READ_BLOCK = 64 * 1024;

std::string KeyPath(const std::string& driverId) { return std::string(QV_PACKAGES_KEY) + "\\" + driverId; }

template <size_t N>
std::string LowerHex(const std::array<uint8_t, N>& digest) {
  return LowerHexDigest(digest.data(), digest.size());
}

}  // namespace

std::optional<TPackageRecord> MeasurePackage(IHashing& hashing, IOpenFile& file, const std::string& fileName) {
  std::unique_ptr<IMd5> md5 = hashing.CreateMd5();
  std::unique_ptr<ISha256> sha256 = hashing.CreateSha256();
  std::vector<char> buffer(READ_BLOCK);
  TPackageRecord record;
  record.fileName = fileName;
  for (;;) {
    size_t read = 0;
    if (!file.Read(buffer.data(), buffer.size(), read)) return std::nullopt;
    if (read == 0) break;
    md5->Update(buffer.data(), read);
    sha256->Update(buffer.data(), read);
    record.size += read;
  }
  record.md5 = LowerHex(md5->Finish());
  record.sha256 = LowerHex(sha256->Finish());
  return record;
}

bool StorePackageRecord(IRegistry& registry, const std::string& driverId, const TPackageRecord& record) {
  std::unique_ptr<IRegistryKey> key = registry.OpenKey(TRegRoot::LocalMachine, KeyPath(driverId), TRegAccess::Write, true);
  // The size as decimal text: the port writes 32-bit numbers only.
  return key && key->WriteString(FILE_NAME_VALUE, record.fileName) &&
         key->WriteString(SIZE_VALUE, std::to_string(record.size)) && key->WriteString(SHA256_VALUE, record.sha256) &&
         key->WriteString(MD5_VALUE, record.md5);
}

std::optional<TPackageRecord> ReadPackageRecord(IRegistry& registry, const std::string& driverId) {
  std::unique_ptr<IRegistryKey> key = registry.OpenKey(TRegRoot::LocalMachine, KeyPath(driverId), TRegAccess::Read, false);
  if (!key) return std::nullopt;
  const std::optional<std::string> fileName = key->ReadString(FILE_NAME_VALUE);
  const std::optional<std::string> size = key->ReadString(SIZE_VALUE);
  const std::optional<std::string> sha256 = key->ReadString(SHA256_VALUE);
  const std::optional<std::string> md5 = key->ReadString(MD5_VALUE);
  if (!fileName || !size || !sha256 || !md5 || fileName->empty() || sha256->size() != 64 || md5->size() != 32)
    return std::nullopt;
  TPackageRecord record{*fileName, 0, *sha256, *md5};
  const auto [end, error] = std::from_chars(size->data(), size->data() + size->size(), record.size);
  if (error != std::errc() || end != size->data() + size->size()) return std::nullopt;
  return record;
}

void ForgetPackageRecord(IRegistry& registry, const std::string& driverId) {
  std::unique_ptr<IRegistryKey> key = registry.OpenKey(TRegRoot::LocalMachine, KeyPath(driverId), TRegAccess::Write, false);
  if (!key) return;
  for (const char* name : {FILE_NAME_VALUE, SIZE_VALUE, SHA256_VALUE, MD5_VALUE, FOLDER_VALUE, FOLDER_CREATED_VALUE})
    key->DeleteValue(name);
}

bool StorePackagePlace(IRegistry& registry, const std::string& driverId, const TPackagePlace& place) {
  std::unique_ptr<IRegistryKey> key = registry.OpenKey(TRegRoot::LocalMachine, KeyPath(driverId), TRegAccess::Write, true);
  if (!key) return false;
  for (const char* name : {SIZE_VALUE, SHA256_VALUE, MD5_VALUE}) key->DeleteValue(name);
  return key->WriteString(FOLDER_VALUE, place.folder) && key->WriteDword(FOLDER_CREATED_VALUE, place.folderCreated ? 1 : 0) &&
         key->WriteString(FILE_NAME_VALUE, place.fileName);
}

std::optional<TPackagePlace> ReadPackagePlace(IRegistry& registry, const std::string& driverId) {
  std::unique_ptr<IRegistryKey> key = registry.OpenKey(TRegRoot::LocalMachine, KeyPath(driverId), TRegAccess::Read, false);
  if (!key) return std::nullopt;
  const std::optional<std::string> fileName = key->ReadString(FILE_NAME_VALUE);
  if (!fileName || fileName->empty()) return std::nullopt;
  return TPackagePlace{key->ReadString(FOLDER_VALUE).value_or(std::string()),
                       key->ReadDword(FOLDER_CREATED_VALUE).value_or(0) == 1, *fileName};
}
