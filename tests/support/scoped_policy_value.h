// A value under the administrator's policy key (core/server_policy.h) set for a test's
// scope, or removed when given nothing, and put back as it was at the end.
#pragma once

#include <optional>
#include <string>

#include "core/server_policy.h"

class TScopedPolicyValue {
 public:
  TScopedPolicyValue(IRegistry& registry, std::string name, const std::optional<std::string>& value)
      : m_registry(registry), m_name(std::move(name)) {
    if (auto key = Key()) {
      m_old = key->ReadString(m_name);
      Put(*key, value);
    }
  }
  ~TScopedPolicyValue() {
    if (auto key = Key()) Put(*key, m_old);
  }
  TScopedPolicyValue(const TScopedPolicyValue&) = delete;
  TScopedPolicyValue& operator=(const TScopedPolicyValue&) = delete;

 private:
  std::unique_ptr<IRegistryKey> Key() {
    return m_registry.OpenKey(TRegRoot::LocalMachine, QV_POLICY_KEY, TRegAccess::All, true);
  }
  void Put(IRegistryKey& key, const std::optional<std::string>& value) {
    if (value)
      key.WriteString(m_name, *value);
    else
      key.DeleteValue(m_name);
  }

  IRegistry& m_registry;
  std::string m_name;
  std::optional<std::string> m_old;
};
