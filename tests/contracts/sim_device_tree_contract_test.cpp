// The device-installation contract against the simulated device tree: the demo
// machine with a System class holding the device the cases work on.
#include "contracts/device_install_contract.h"

#include "platform/sim/demo_device_tree.h"
#include "platform/sim/sim_device_tree.h"
#include "support/temp_folder.h"

namespace {

constexpr const char* SYSTEM_CLASS = "{4d36e97d-e325-11ce-bfc1-08002be10318}";

class TSimContractTraits {
 public:
  static void SetUpTestSuite() {}
  static void TearDownTestSuite() {}

  TSimContractTraits() {
    AddDemoDevices(m_tree);
    m_tree.AddClass(SYSTEM_CLASS, "System", "System devices");
    m_tree.systemDirectory = m_folder.File("Windows/System32");
    m_device.classGuid = GuidFromText(SYSTEM_CLASS);
    m_device.className = "System";
    m_device.hardwareIds = {"ROOT\\QUORVANE_CONTRACT", "ROOT\\QUORVANE_CONTRACT_COMPATIBLE"};
    m_device.description = "Quorvane Contract Device";
    m_device.missingProperty = SPDRP_FRIENDLYNAME;

    // Another device of the class without a driver, one that is not present, then
    // the device the cases work on.
    m_tree.AddDevice(TSimDevice{.instanceId = "ROOT\\SYSTEM\\0000", .classGuid = m_device.classGuid,
                                .description = "Plug and Play Software Device Enumerator",
                                .hardwareIds = {"ROOT\\SWENUM"}});
    m_tree.AddDevice(TSimDevice{.instanceId = "ROOT\\SYSTEM\\0001", .classGuid = m_device.classGuid,
                                .description = "Unplugged", .hardwareIds = {"ROOT\\UNPLUGGED"}, .present = false});
    TSimDevice device{.instanceId = "ROOT\\SYSTEM\\0002", .classGuid = m_device.classGuid,
                      .description = m_device.description, .manufacturer = "Quorvane",
                      .hardwareIds = m_device.hardwareIds};
    device.driver = TSimDriver{.infPath = "C:\\Windows\\INF\\oem3.inf",
                               .section = "Contract_Install",
                               .description = m_device.description,
                               .manufacturer = "Quorvane",
                               .provider = "Quorvane",
                               .hardwareIds = m_device.hardwareIds};
    m_tree.AddDevice(device);
  }

  IDeviceInstall& Port() { return m_tree; }
  const TContractDevice& Device() const { return m_device; }
  std::string InfFolder() const { return m_folder.Path(); }
  bool UnderWine() const { return false; }

 private:
  TTempFolder m_folder;
  TSimDeviceTree m_tree;
  TContractDevice m_device;
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Sim, DeviceInstallContract, TSimContractTraits);
