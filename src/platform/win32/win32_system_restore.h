// System Restore port over WMI's scripting objects (wbemdisp): the locator named by its
// ProgID, the class object "SystemRestore", and its methods called through IDispatch.
#pragma once

#include "platform/system_restore.h"

class TWin32SystemRestore : public ISystemRestore {
 public:
  bool InitializeCom() override;
  void UninitializeCom() override;
  TWmiMethodResult CreateRestorePoint(const std::string& description, uint32_t restorePointType,
                                      uint32_t eventType) override;
  TWmiMethodResult Enable(const std::string& drive) override;
};
