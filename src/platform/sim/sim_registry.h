// Simulated registry: keys and typed values in memory, names compared without case.
#pragma once

#include <map>
#include <set>
#include <string>

#include "platform/registry.h"

struct TSimRegValue {
  uint32_t type = REG_NONE;
  uint32_t dword = 0;
  std::string text;
};

class TSimRegistry : public IRegistry {
 public:
  std::unique_ptr<IRegistryKey> OpenKey(TRegRoot root, const std::string& path, TRegAccess access,
                                        bool create) override;

  // Test set-up and inspection.
  void SetDword(TRegRoot root, const std::string& path, const std::string& name, uint32_t value);
  void SetString(TRegRoot root, const std::string& path, const std::string& name,
                 const std::string& value);
  bool KeyExists(TRegRoot root, const std::string& path) const;
  const TSimRegValue* Value(TRegRoot root, const std::string& path, const std::string& name) const;
  // Opening this key (with or without create) fails, as for a user without rights.
  void DenyKey(TRegRoot root, const std::string& path);

  using TValues = std::map<std::string, TSimRegValue>;  // by lower-case name

 private:
  static std::string KeyName(TRegRoot root, const std::string& path);
  std::map<std::string, TValues> m_keys;  // by root and lower-case path
  std::set<std::string> m_denied;
};
