// System Restore port: the methods of the WMI class "SystemRestore" in "root\DEFAULT"
// that the program calls, and the COM set-up a thread needs before calling them.
#pragma once

#include <cstdint>
#include <string>

// CreateRestorePoint arguments: restore point type DEVICE_DRIVER_INSTALL, event type
// BEGIN_SYSTEM_CHANGE.
constexpr uint32_t DEVICE_DRIVER_INSTALL = 10;
constexpr uint32_t BEGIN_SYSTEM_CHANGE = 100;

// How a method call ended: it returned (returnValue holds its result, 0 is success), or it
// failed before returning, with the COM or WMI HRESULT when there is one (else 0).
struct TWmiMethodResult {
  bool returned = false;
  uint32_t returnValue = 0;
  uint32_t hresult = 0;

  static TWmiMethodResult Returned(uint32_t value) { return {true, value, 0}; }
  static TWmiMethodResult Failed(uint32_t hresult) { return {false, 0, hresult}; }
};

class ISystemRestore {
 public:
  virtual ~ISystemRestore() = default;
  // CoInitialize for the calling thread; true when it must be balanced by UninitializeCom.
  virtual bool InitializeCom() = 0;
  virtual void UninitializeCom() = 0;
  // The locator "WbemScripting.SWbemLocator" connected to "localhost", "root\DEFAULT"
  // with an empty user name and password, its object "SystemRestore", and the method.
  virtual TWmiMethodResult CreateRestorePoint(const std::string& description, uint32_t restorePointType,
                                              uint32_t eventType) = 0;
  virtual TWmiMethodResult Enable(const std::string& drive) = 0;
};
