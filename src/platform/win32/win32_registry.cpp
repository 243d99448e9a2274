#include "platform/win32/win32_registry.h"

#include <vector>

#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

namespace {

class TWin32RegistryKey : public IRegistryKey {
 public:
  explicit TWin32RegistryKey(TRegKey key) : m_key(std::move(key)) {}

  std::optional<uint32_t> ValueType(const std::string& name) override {
    DWORD type = 0;
    if (RegQueryValueExW(m_key.Get(), Utf8ToWide(name).c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
      return std::nullopt;
    return type;
  }

  std::optional<uint32_t> ReadDword(const std::string& name) override {
    DWORD type = 0, value = 0, size = sizeof(value);
    LONG status = RegQueryValueExW(m_key.Get(), Utf8ToWide(name).c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(&value), &size);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value)) return std::nullopt;
    return value;
  }

  std::optional<std::string> ReadString(const std::string& name) override {
    const std::wstring wideName = Utf8ToWide(name);
    std::vector<wchar_t> buffer(64);
    for (;;) {
      DWORD type = 0;
      // Room for a terminator the stored value may lack.
      DWORD size = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
      LONG status = RegQueryValueExW(m_key.Get(), wideName.c_str(), nullptr, &type,
                                     reinterpret_cast<BYTE*>(buffer.data()), &size);
      if (status == ERROR_MORE_DATA) {
        buffer.resize(size / sizeof(wchar_t) + 2);
        continue;
      }
      if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
      size_t length = size / sizeof(wchar_t);
      buffer[length] = L'\0';
      return WideToUtf8(std::wstring(buffer.data()));
    }
  }

  bool WriteDword(const std::string& name, uint32_t value) override {
    DWORD data = value;
    return RegSetValueExW(m_key.Get(), Utf8ToWide(name).c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&data), sizeof(data)) == ERROR_SUCCESS;
  }

  bool WriteString(const std::string& name, const std::string& value) override {
    std::wstring data = Utf8ToWide(value);
    return RegSetValueExW(m_key.Get(), Utf8ToWide(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  }

  bool DeleteValue(const std::string& name) override {
    return RegDeleteValueW(m_key.Get(), Utf8ToWide(name).c_str()) == ERROR_SUCCESS;
  }

 private:
  TRegKey m_key;
};

REGSAM AccessMask(TRegAccess access) {
  switch (access) {
    case TRegAccess::Read:
      return KEY_READ;
    case TRegAccess::Write:
      return KEY_READ | KEY_WRITE;
    case TRegAccess::All:
      return KEY_ALL_ACCESS;
  }
  return KEY_READ;
}

}  // namespace

std::unique_ptr<IRegistryKey> TWin32Registry::OpenKey(TRegRoot root, const std::string& path,
                                                      TRegAccess access, bool create) {
  HKEY rootKey = root == TRegRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  std::wstring widePath = Utf8ToWide(path);
  while (!widePath.empty() && widePath.back() == L'\\') widePath.pop_back();
  TRegKey key;
  LONG status = create ? RegCreateKeyExW(rootKey, widePath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                         AccessMask(access), nullptr, key.Receive(), nullptr)
                       : RegOpenKeyExW(rootKey, widePath.c_str(), 0, AccessMask(access), key.Receive());
  if (status != ERROR_SUCCESS) {
    SetLastError(static_cast<DWORD>(status));
    return nullptr;
  }
  return std::make_unique<TWin32RegistryKey>(std::move(key));
}
