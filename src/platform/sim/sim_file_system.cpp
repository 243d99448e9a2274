#include "platform/sim/sim_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/ascii_case.h"

namespace {

constexpr const char* ADMINISTRATORS = "Administrators";
constexpr const char* SYSTEM = "SYSTEM";

std::string Key(const std::string& path) {
  std::string key = std::filesystem::path(path).lexically_normal().generic_string();
  while (key.size() > 1 && key.back() == '/') key.pop_back();
  return key;
}

// The folder's identity, as lstat gives it; false when nothing is there.
bool Identity(const std::string& path, uint64_t& device, uint64_t& inode) {
  struct stat facts {};
  if (::lstat(path.c_str(), &facts) != 0) return false;
  device = static_cast<uint64_t>(facts.st_dev);
  inode = static_cast<uint64_t>(facts.st_ino);
  return true;
}

// Whether key names the folder above or at path's key.
bool IsAtOrAbove(const std::string& key, const std::string& pathKey) {
  return pathKey == key ||
         (pathKey.size() > key.size() && pathKey.compare(0, key.size(), key) == 0 &&
          (pathKey[key.size()] == '/' || key == "/"));
}

// Whether the folders above path are reached without a symbolic link: their real path is
// the one written.
bool NoLinkAbove(const std::string& path) {
  std::error_code error;
  const std::filesystem::path above = std::filesystem::absolute(path, error).lexically_normal().parent_path();
  if (error) return false;
  const std::filesystem::path real = std::filesystem::canonical(above, error);
  return !error && real == above;
}

}  // namespace

class TSimFileSystem::TOpenFile : public IOpenFile {
 public:
  TOpenFile(TSimFileSystem& owner, std::string key, int descriptor)
      : m_owner(owner), m_key(std::move(key)), m_descriptor(descriptor) {}
  ~TOpenFile() override {
    ::close(m_descriptor);
    m_owner.Closed(m_key);
  }
  TOpenFile(const TOpenFile&) = delete;
  TOpenFile& operator=(const TOpenFile&) = delete;

  bool Read(void* buffer, size_t size, size_t& read) override {
    const ssize_t got = ::read(m_descriptor, buffer, size);
    read = got > 0 ? static_cast<size_t>(got) : 0;
    return got >= 0;
  }
  bool Rewind() override { return ::lseek(m_descriptor, 0, SEEK_SET) == 0; }
  bool Write(const void* data, size_t size) override {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
      const ssize_t wrote = ::write(m_descriptor, bytes, size);
      if (wrote <= 0) return false;
      bytes += wrote;
      size -= static_cast<size_t>(wrote);
    }
    return true;
  }

 private:
  TSimFileSystem& m_owner;
  std::string m_key;
  int m_descriptor;
};

bool TSimFileSystem::DriveExists(char letter) {
  return drives.count(AsciiUpper(letter)) != 0;
}

bool TSimFileSystem::MoveFileOver(const std::string& source, const std::string& target) {
  if (InUse(source) || InUse(target)) return false;
  std::error_code error;
  std::filesystem::rename(source, target, error);
  if (!error) Record("move " + source + " " + target);
  return !error;
}

bool TSimFileSystem::WriteNewFile(const std::string& path, std::string_view bytes) {
  if (fullDisk || InUse(path)) return false;
  bool written = false;
  {
    // "x": fails when the file exists, as CREATE_NEW does.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wbx"), std::fclose);
    if (!file) return false;
    written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() && std::fflush(file.get()) == 0;
  }
  if (!written) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    return false;
  }
  Record("flush " + path);
  return true;
}

std::vector<std::string> TSimFileSystem::Log() const {
  std::lock_guard<std::mutex> lock(m_logLock);
  return m_log;
}

void TSimFileSystem::Record(std::string entry) {
  std::lock_guard<std::mutex> lock(m_logLock);
  m_log.push_back(std::move(entry));
}

bool TSimFileSystem::DeleteTree(uintptr_t, const std::string& path) {
  const std::filesystem::path tree(std::u8string(path.begin(), path.end()));
  std::error_code error;
  if (path.empty() || !std::filesystem::exists(std::filesystem::symlink_status(tree, error))) return false;
  if (InUse(path)) return false;
  std::filesystem::remove_all(tree, error);
  ForgetRights(path);
  return !error;
}

bool TSimFileSystem::DeleteFileAt(const std::string& path) {
  struct stat facts {};
  if (path.empty() || InUse(path) || ::lstat(path.c_str(), &facts) != 0 || S_ISDIR(facts.st_mode)) return false;
  return NoLinkAbove(path) && ::unlink(path.c_str()) == 0;
}

bool TSimFileSystem::RemoveEmptyFolder(const std::string& path) {
  struct stat facts {};
  if (path.empty() || InUse(path) || ::lstat(path.c_str(), &facts) != 0 || !S_ISDIR(facts.st_mode)) return false;
  return NoLinkAbove(path) && ::rmdir(path.c_str()) == 0;
}

bool TSimFileSystem::IsReparsePoint(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_symlink(std::filesystem::symlink_status(std::filesystem::path(std::u8string(path.begin(), path.end())), error));
}

std::unique_ptr<IOpenFile> TSimFileSystem::OpenFile(const std::string& path, TFileOpenMode mode) {
  const std::string key = Key(path);
  std::lock_guard<std::mutex> lock(m_openLock);
  // Shared for reading only: another reader may come in, nobody else.
  for (auto [at, end] = m_open.equal_range(key); at != end; ++at)
    if (mode != fomReadDenyWriters || at->second != fomReadDenyWriters) return nullptr;
  const int flags = mode == fomReadDenyWriters ? O_RDONLY : O_WRONLY | O_CREAT | O_EXCL;
  const int descriptor = ::open(path.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (descriptor < 0) return nullptr;
  struct stat facts {};
  if (::fstat(descriptor, &facts) != 0 || !S_ISREG(facts.st_mode)) {
    ::close(descriptor);
    return nullptr;
  }
  m_open.emplace(key, mode);
  return std::make_unique<TOpenFile>(*this, key, descriptor);
}

bool TSimFileSystem::CreateProtectedFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0755) != 0) return false;
  TFolderRights rights{ADMINISTRATORS, false, 0, 0};
  if (!Identity(path, rights.device, rights.inode)) return false;
  std::lock_guard<std::mutex> lock(m_rightsLock);
  m_rights[Key(path)] = rights;
  return true;
}

bool TSimFileSystem::IsProtected(const std::string& key, const TFolderRights& rights) const {
  uint64_t device = 0, inode = 0;
  struct stat facts {};
  return ::lstat(key.c_str(), &facts) == 0 && S_ISDIR(facts.st_mode) && Identity(key, device, inode) &&
         device == rights.device && inode == rights.inode && (rights.owner == ADMINISTRATORS || rights.owner == SYSTEM) &&
         !rights.othersMayWrite;
}

bool TSimFileSystem::IsProtectedFolder(const std::string& path) {
  const std::string key = Key(path);
  std::lock_guard<std::mutex> lock(m_rightsLock);
  const auto found = m_rights.find(key);
  return found != m_rights.end() && IsProtected(key, found->second);
}

bool TSimFileSystem::MoveAside(const std::string& source, const std::string& target) {
  if (InUse(source)) return false;
  struct stat facts {};
  if (::lstat(target.c_str(), &facts) == 0) return false;
  if (::rename(source.c_str(), target.c_str()) != 0) return false;
  // A folder keeps its rights where it goes, as it keeps its security descriptor on Windows.
  {
    const std::string from = Key(source), to = Key(target);
    std::lock_guard<std::mutex> lock(m_rightsLock);
    std::map<std::string, TFolderRights> moved;
    for (auto it = m_rights.begin(); it != m_rights.end();) {
      if (IsAtOrAbove(from, it->first)) {
        moved[to + it->first.substr(from.size())] = it->second;
        it = m_rights.erase(it);
      } else {
        ++it;
      }
    }
    m_rights.merge(moved);
  }
  Record("move " + source + " " + target);
  return true;
}

void TSimFileSystem::SetFolderRights(const std::string& path, const std::string& owner, bool othersMayWrite) {
  TFolderRights rights{owner, othersMayWrite, 0, 0};
  Identity(path, rights.device, rights.inode);
  std::lock_guard<std::mutex> lock(m_rightsLock);
  m_rights[Key(path)] = rights;
}

bool TSimFileSystem::UserMayWrite(const std::string& path) const {
  const std::string key = Key(path);
  std::lock_guard<std::mutex> lock(m_rightsLock);
  for (const auto& [folder, rights] : m_rights)
    if (IsAtOrAbove(folder, key) && IsProtected(folder, rights)) return false;
  return true;
}

void TSimFileSystem::ForgetRights(const std::string& path) {
  const std::string key = Key(path);
  std::lock_guard<std::mutex> lock(m_rightsLock);
  std::erase_if(m_rights, [&](const auto& entry) { return IsAtOrAbove(key, entry.first); });
}

size_t TSimFileSystem::OpenFileCount() const {
  std::lock_guard<std::mutex> lock(m_openLock);
  return m_open.size();
}

bool TSimFileSystem::InUse(const std::string& path) const {
  const std::string key = Key(path);
  std::lock_guard<std::mutex> lock(m_openLock);
  for (const auto& [open, mode] : m_open)
    if (open == key || (open.size() > key.size() && open.compare(0, key.size(), key) == 0 &&
                        (open[key.size()] == '/' || key.back() == '/')))
      return true;
  return false;
}

void TSimFileSystem::Closed(const std::string& key) {
  std::lock_guard<std::mutex> lock(m_openLock);
  const auto found = m_open.find(key);
  if (found != m_open.end()) m_open.erase(found);
}
