#include "platform/sim/sim_registry.h"

#include "platform/ascii_case.h"

namespace {

std::string TrimSlashes(const std::string& path) {
  size_t first = path.find_first_not_of('\\');
  size_t last = path.find_last_not_of('\\');
  return first == std::string::npos ? std::string() : path.substr(first, last - first + 1);
}

class TSimRegistryKey : public IRegistryKey {
 public:
  TSimRegistryKey(TSimRegistry::TValues& values, TRegAccess access)
      : m_values(values), m_access(access) {}

  std::optional<uint32_t> ValueType(const std::string& name) override {
    auto found = m_values.find(AsciiLower(name));
    if (found == m_values.end()) return std::nullopt;
    return found->second.type;
  }
  std::optional<uint32_t> ReadDword(const std::string& name) override {
    auto found = m_values.find(AsciiLower(name));
    if (found == m_values.end() || found->second.type != REG_DWORD) return std::nullopt;
    return found->second.dword;
  }
  std::optional<std::string> ReadString(const std::string& name) override {
    auto found = m_values.find(AsciiLower(name));
    if (found == m_values.end()) return std::nullopt;
    if (found->second.type != REG_SZ && found->second.type != REG_EXPAND_SZ) return std::nullopt;
    return found->second.text;
  }
  bool WriteDword(const std::string& name, uint32_t value) override {
    if (m_access == TRegAccess::Read) return false;
    m_values[AsciiLower(name)] = TSimRegValue{REG_DWORD, value, {}};
    return true;
  }
  bool WriteString(const std::string& name, const std::string& value) override {
    if (m_access == TRegAccess::Read) return false;
    m_values[AsciiLower(name)] = TSimRegValue{REG_SZ, 0, value};
    return true;
  }
  bool DeleteValue(const std::string& name) override {
    if (m_access == TRegAccess::Read) return false;
    return m_values.erase(AsciiLower(name)) != 0;
  }

 private:
  TSimRegistry::TValues& m_values;
  TRegAccess m_access;
};

}  // namespace

std::string TSimRegistry::KeyName(TRegRoot root, const std::string& path) {
  return (root == TRegRoot::LocalMachine ? "hklm\\" : "hkcu\\") + AsciiLower(TrimSlashes(path));
}

std::unique_ptr<IRegistryKey> TSimRegistry::OpenKey(TRegRoot root, const std::string& path,
                                                    TRegAccess access, bool create) {
  std::string key = KeyName(root, path);
  if (m_denied.count(key)) return nullptr;
  auto found = m_keys.find(key);
  if (found == m_keys.end()) {
    if (!create) return nullptr;
    found = m_keys.emplace(key, TValues{}).first;
  }
  return std::make_unique<TSimRegistryKey>(found->second, access);
}

void TSimRegistry::SetDword(TRegRoot root, const std::string& path, const std::string& name,
                            uint32_t value) {
  m_keys[KeyName(root, path)][AsciiLower(name)] = TSimRegValue{REG_DWORD, value, {}};
}

void TSimRegistry::SetString(TRegRoot root, const std::string& path, const std::string& name,
                             const std::string& value) {
  m_keys[KeyName(root, path)][AsciiLower(name)] = TSimRegValue{REG_SZ, 0, value};
}

bool TSimRegistry::KeyExists(TRegRoot root, const std::string& path) const {
  return m_keys.count(KeyName(root, path)) != 0;
}

const TSimRegValue* TSimRegistry::Value(TRegRoot root, const std::string& path,
                                        const std::string& name) const {
  auto key = m_keys.find(KeyName(root, path));
  if (key == m_keys.end()) return nullptr;
  auto value = key->second.find(AsciiLower(name));
  return value == key->second.end() ? nullptr : &value->second;
}

void TSimRegistry::DenyKey(TRegRoot root, const std::string& path) {
  m_denied.insert(KeyName(root, path));
}
