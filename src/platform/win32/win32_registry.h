// Registry port over advapi32 (default registry view).
#pragma once

#include "platform/registry.h"

class TWin32Registry : public IRegistry {
 public:
  std::unique_ptr<IRegistryKey> OpenKey(TRegRoot root, const std::string& path, TRegAccess access,
                                        bool create) override;
};
