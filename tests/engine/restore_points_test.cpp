// System Restore on the simulated machine: the registry values, the restore point made on
// a thread of its own with COM set up there, and the exact failure messages.
#include <gtest/gtest.h>

#include <mutex>
#include <optional>
#include <thread>

#include "engine/restore_points.h"
#include "platform/sim/sim_machine.h"

namespace {

struct TShownMessage {
  std::string title;
  std::string text;
  int kind = -1;
};

class TMessageRecorder : public IMessageSink {
 public:
  int QvMessageBox(const std::string& ATitle, const std::string& AMsg, int AType) override {
    std::lock_guard lock(m_mutex);
    messages.push_back({ATitle, AMsg, AType});
    return 1;
  }
  std::vector<TShownMessage> messages;

 private:
  std::mutex m_mutex;
};

class RestorePoints : public ::testing::Test {
 protected:
  std::optional<uint32_t> Frequency() const {
    const TSimRegValue* value =
        machine.registry.Value(TRegRoot::LocalMachine, SYSTEM_RESTORE_KEY, RP_CREATION_FREQUENCY_VALUE);
    if (value == nullptr) return std::nullopt;
    return value->dword;
  }

  // Creates a restore point and notes the frequency value while the system made it.
  bool Create(const std::string& description) {
    machine.systemRestore.onCreate = [this] { frequencyDuringCreate = Frequency(); };
    return CreateSystemRestorePoint(machine.Ports(), &sink, description);
  }

  TSimMachine machine;
  TMessageRecorder sink;
  std::optional<uint32_t> frequencyDuringCreate;
};

TEST_F(RestorePoints, AnEmptyDescriptionCreatesNothing) {
  EXPECT_FALSE(Create(""));
  EXPECT_TRUE(machine.systemRestore.Requests().empty());
  EXPECT_FALSE(machine.registry.KeyExists(TRegRoot::LocalMachine, SYSTEM_RESTORE_KEY));
}

TEST_F(RestorePoints, TheRestorePointIsMadeOnItsOwnThreadWithoutTheFrequencyLimit) {
  EXPECT_TRUE(Create("Quorvane driver update"));
  const auto requests = machine.systemRestore.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "CreateRestorePoint");
  EXPECT_EQ(requests[0].argument, "Quorvane driver update");
  EXPECT_EQ(requests[0].restorePointType, 10u);
  EXPECT_EQ(requests[0].eventType, 100u);
  EXPECT_NE(requests[0].thread, std::this_thread::get_id());
  EXPECT_TRUE(requests[0].comInitialized);
  EXPECT_EQ(machine.systemRestore.OpenComInitializations(), 0);
  EXPECT_EQ(frequencyDuringCreate, 0u);
  EXPECT_EQ(Frequency(), std::nullopt) << "removed again afterwards";
  EXPECT_TRUE(sink.messages.empty());
}

// The frequency value is written and removed from Windows 8 (6.2) on; before, a value
// the user set stays as it is.
TEST_F(RestorePoints, TheFrequencyValueIsTouchedFromWindows8On) {
  struct Case {
    uint32_t major, minor;
    bool touched;
  };
  const Case cases[] = {{6, 1, false}, {6, 2, true}, {6, 3, true}, {10, 0, true}, {5, 1, false}};
  for (const Case& c : cases) {
    machine.osVersion.version = {c.major, c.minor, 0};
    machine.registry.SetDword(TRegRoot::LocalMachine, SYSTEM_RESTORE_KEY, RP_CREATION_FREQUENCY_VALUE, 1440);
    EXPECT_TRUE(Create("update")) << c.major << "." << c.minor;
    EXPECT_EQ(frequencyDuringCreate, c.touched ? 0u : 1440u) << c.major << "." << c.minor;
    EXPECT_EQ(Frequency(), c.touched ? std::nullopt : std::optional<uint32_t>(1440)) << c.major << "." << c.minor;
  }
}

TEST_F(RestorePoints, FailuresReturnFalseAndOnlyErrorsAreShown) {
  struct Case {
    const char* name;
    TWmiMethodResult result;
    const char* message;  // nullptr: none shown
  };
  const Case cases[] = {
      {"rejected by the system", TWmiMethodResult::Returned(1), nullptr},
      {"WMI class missing", TWmiMethodResult::Failed(0x80041002),
       "System Restore point could not be created.\r\nError code 80041002\r\nPlease check system settings or "
       "contact support."},
      {"error without HRESULT", TWmiMethodResult::Failed(0),
       "System Restore point could not be created.\r\nError code 0\r\nPlease check system settings or contact "
       "support."},
  };
  for (const Case& c : cases) {
    sink.messages.clear();
    machine.systemRestore.createResult = c.result;
    EXPECT_FALSE(Create("update")) << c.name;
    ASSERT_EQ(sink.messages.size(), c.message ? 1u : 0u) << c.name;
    if (c.message) {
      EXPECT_EQ(sink.messages[0].text, c.message) << c.name;
      EXPECT_EQ(sink.messages[0].title, "Quorvane") << c.name;
      EXPECT_EQ(sink.messages[0].kind, 0) << c.name;
    }
    EXPECT_EQ(Frequency(), std::nullopt) << c.name;
    EXPECT_EQ(machine.systemRestore.OpenComInitializations(), 0) << c.name;
  }
}

TEST_F(RestorePoints, EnablingReportsTheMethodsResult) {
  struct Case {
    const char* name;
    TWmiMethodResult result;
    bool enabled;
    const char* message;
  };
  const Case cases[] = {
      {"enabled", TWmiMethodResult::Returned(0), true, nullptr},
      {"refused", TWmiMethodResult::Returned(1058), false, nullptr},
      {"invalid namespace", TWmiMethodResult::Failed(0x8004100E), false,
       "Could not enable System Restore for drive C:\\.\r\nError code 8004100e\r\nPlease check system settings or "
       "contact support."},
  };
  for (const Case& c : cases) {
    sink.messages.clear();
    machine.systemRestore.enableResult = c.result;
    EXPECT_EQ(EnableSystemRestore(machine.Ports(), &sink, "C:\\"), c.enabled) << c.name;
    ASSERT_EQ(sink.messages.size(), c.message ? 1u : 0u) << c.name;
    if (c.message) {
      EXPECT_EQ(sink.messages[0].text, c.message) << c.name;
    }
  }
  const auto requests = machine.systemRestore.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].method, "Enable");
  EXPECT_EQ(requests[0].argument, "C:\\");
}

TEST_F(RestorePoints, SwitchedOnOnlyWithANonZeroSessionInterval) {
  EXPECT_FALSE(IsSystemRestoreEnabled(machine.Ports())) << "no key";
  EXPECT_FALSE(machine.registry.KeyExists(TRegRoot::LocalMachine, SYSTEM_RESTORE_KEY)) << "the key is not created";
  machine.registry.SetString(TRegRoot::LocalMachine, SYSTEM_RESTORE_KEY, "Other", "x");
  EXPECT_FALSE(IsSystemRestoreEnabled(machine.Ports())) << "no value";
  machine.registry.SetDword(TRegRoot::LocalMachine, SYSTEM_RESTORE_KEY, RP_SESSION_INTERVAL_VALUE, 0);
  EXPECT_FALSE(IsSystemRestoreEnabled(machine.Ports())) << "0";
  machine.registry.SetDword(TRegRoot::LocalMachine, SYSTEM_RESTORE_KEY, RP_SESSION_INTERVAL_VALUE, 1);
  EXPECT_TRUE(IsSystemRestoreEnabled(machine.Ports())) << "1";
  machine.registry.DenyKey(TRegRoot::LocalMachine, SYSTEM_RESTORE_KEY);
  EXPECT_FALSE(IsSystemRestoreEnabled(machine.Ports())) << "key cannot be opened";
}

}  // namespace
