// The device-installation contract against SetupAPI and cfgmgr32 under Wine, on a
// root-enumerated test device installed once for the suite.
#include "platform/win32/device_install_win32.h"

#include "contracts/device_install_contract.h"

#include <memory>

#include "platform/win32/win32_text.h"
#include "support/temp_folder.h"
#include "windows/test_device_installer.h"
#include "windows/wine_detection.h"

namespace {

// A hardware id of this process only, so that a device left by an earlier run cannot be taken for ours.
TTestDriverFacts ContractDriver() {
  TTestDriverFacts facts;
  facts.hardwareId = L"ROOT\\QUORVANE_CONTRACT_" + std::to_wstring(GetCurrentProcessId());
  return facts;
}

class TWin32ContractTraits {
 public:
  static void SetUpTestSuite() {
    s_installer = std::make_unique<TTestDeviceInstaller>(ContractDriver());
    s_installFailure = s_installer->Install();
  }
  static void TearDownTestSuite() { s_installer.reset(); }

  TWin32ContractTraits() {
    EXPECT_EQ(s_installFailure, "") << "the test device could not be installed";
    const TTestDriverFacts facts = ContractDriver();
    m_device.classGuid = {0x7d, 0xe9, 0x36, 0x4d, 0x25, 0xe3, 0xce, 0x11,
                          0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18};
    m_device.className = WideToUtf8(facts.className);
    m_device.hardwareIds = {WideToUtf8(facts.hardwareId)};
    m_device.description = WideToUtf8(facts.description);
    m_device.missingProperty = SPDRP_FRIENDLYNAME;
  }

  IDeviceInstall& Port() { return m_port; }
  const TContractDevice& Device() const { return m_device; }
  std::string InfFolder() const { return m_folder.Path(); }
  bool UnderWine() const { return RunsUnderWine(); }

 private:
  static inline std::unique_ptr<TTestDeviceInstaller> s_installer;
  static inline std::string s_installFailure;

  TWin32DeviceInstall m_port;
  TContractDevice m_device;
  TTempFolder m_folder;
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, DeviceInstallContract, TWin32ContractTraits);
