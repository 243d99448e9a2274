// The general and connection settings pages' presenters on a simulated
// machine: what enables Save, what each Save stores, its questions, and the
// checks that stop a connection save without changing anything.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/message_box_kinds.h"
#include "core/windows_policies.h"
#include "engine/restore_points.h"
#include "support/recording_sink.h"
#include "support/sim_data_model.h"
#include "ui/connection_settings_presenter.h"
#include "ui/general_settings_presenter.h"

namespace {

class TRecordingHost : public IGeneralSettingsHost {
 public:
  struct TQuestion {
    std::string title, text;
    int kind;
  };
  int answer = ID_NO;
  std::string folder;
  std::vector<TQuestion> questions;
  int unpluggedChanges = 0;
  int restarts = 0;
  std::function<void()> onRestart;

  int Ask(const std::string& title, const std::string& text, int kind) override {
    questions.push_back({title, text, kind});
    return answer;
  }
  void UnpluggedShowingChanged() override { ++unpluggedChanges; }
  void RestartApplication() override {
    ++restarts;
    if (onRestart) onRestart();
  }
  std::string ChooseFolder(const std::string&, const std::string&) override { return folder; }
};

class GeneralSettings : public ::testing::Test, public TSimDataModelFixture {
 protected:
  GeneralSettings() : presenter(Create(), machine.Ports(), &sink, host) { presenter.Load(); }
  bool Box(TGeneralBox box) const { return presenter.View().boxes[static_cast<size_t>(box)].checked; }
  void SystemRestoreOn(bool on) {
    machine.registry.SetDword(TRegRoot::LocalMachine, SYSTEM_RESTORE_KEY, "RPSessionInterval", on ? 1 : 0);
  }

  TRecordingSink sink;
  TRecordingHost host;
  TGeneralSettingsPresenter presenter;
};

TEST_F(GeneralSettings, LoadShowsTheSettingsWithSaveDisabled) {
  const TGeneralSettingsView view = presenter.View();
  EXPECT_EQ(view.title, "General Settings");
  EXPECT_EQ(view.boxes[1].caption, "&Automatically run a scan when Quorvane starts");
  EXPECT_EQ(view.boxes[4].caption, "Start Quorvane on &login");
  EXPECT_EQ(view.boxes[6].hint, "Include drivers in Windows Update Y/N");
  EXPECT_EQ(view.boxes[3].checked, model->ShowUnplugged());
  EXPECT_EQ(view.boxes[2].checked, model->ShowSplash());
  ASSERT_EQ(view.languages.size(), 10u);
  EXPECT_EQ(view.languages.front(), "English");
  EXPECT_EQ(view.languages.back(), "Swedish");
  EXPECT_EQ(view.language, 0);
  EXPECT_EQ(view.downloadPath, model->DownloadLocation());
  EXPECT_FALSE(view.saveEnabled);
}

TEST_F(GeneralSettings, EveryBoxAndTheLanguageEnableSaveAndLoadDisablesIt) {
  for (size_t box = 0; box < QV_GENERAL_BOX_COUNT; ++box) {
    presenter.Load();
    presenter.BoxClicked(static_cast<TGeneralBox>(box), !presenter.View().boxes[box].checked);
    EXPECT_TRUE(presenter.View().saveEnabled) << box;
  }
  presenter.Load();
  presenter.LanguagePicked(3);
  EXPECT_TRUE(presenter.View().saveEnabled);
  presenter.Load();
  presenter.LanguagePicked(10);  // not a language
  EXPECT_FALSE(presenter.View().saveEnabled);
  EXPECT_EQ(presenter.View().language, 0);
}

TEST_F(GeneralSettings, SaveStoresTheBoxesThePolicyAndTheUnpluggedRefresh) {
  SystemRestoreOn(true);
  const bool unplugged = model->ShowUnplugged();
  presenter.BoxClicked(TGeneralBox::checkForUpdate, true);
  presenter.BoxClicked(TGeneralBox::runScanAtStart, true);
  presenter.BoxClicked(TGeneralBox::showSplash, false);
  presenter.BoxClicked(TGeneralBox::startAtLogin, true);
  presenter.BoxClicked(TGeneralBox::showUnplugged, !unplugged);
  presenter.BoxClicked(TGeneralBox::restorePoint, true);
  presenter.BoxClicked(TGeneralBox::windowsDriverUpdates, false);
  presenter.Save();
  EXPECT_TRUE(model->CheckForUpdate());
  EXPECT_TRUE(model->RunScanAtStart());
  EXPECT_FALSE(model->ShowSplash());
  EXPECT_TRUE(model->StartatLogin());
  EXPECT_EQ(model->ShowUnplugged(), !unplugged);
  EXPECT_TRUE(model->UseRestorePoints());
  EXPECT_FALSE(model->WindowsDriverUpdates());
  EXPECT_EQ(host.unpluggedChanges, 1);
  EXPECT_TRUE(host.questions.empty());
  EXPECT_FALSE(presenter.View().saveEnabled);
  EXPECT_NE(ReadSettings().find("Check Update=1"), std::string::npos) << ReadSettings();

  // The policy is written on every save, changed or not; the unplugged refresh only on a change.
  const char* wizard = "DriverUpdateWizardWuSearchEnabled";
  machine.registry.SetDword(TRegRoot::LocalMachine, DRIVER_SEARCHING_KEY, wizard, 7);
  presenter.Save();
  EXPECT_EQ(machine.registry.Value(TRegRoot::LocalMachine, DRIVER_SEARCHING_KEY, wizard)->dword, 0u);
  EXPECT_EQ(host.unpluggedChanges, 1);
}

TEST_F(GeneralSettings, RestorePointsWhileSystemRestoreIsOff) {
  const struct {
    const char* name;
    int answer;
    bool enableSucceeds;
    bool stored;
    size_t enableCalls;
  } cases[] = {
      {"No", ID_NO, true, false, 0},
      {"Yes, enabled", ID_YES, true, true, 1},
      {"Yes, enabling fails", ID_YES, false, false, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SystemRestoreOn(false);
    machine.systemRestore.enableResult = TWmiMethodResult::Returned(c.enableSucceeds ? 0 : 1);
    const size_t before = machine.systemRestore.Requests().size();
    host.answer = c.answer;
    host.questions.clear();
    presenter.Load();
    presenter.BoxClicked(TGeneralBox::restorePoint, true);
    presenter.Save();
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0].text, "System Restore is disabled on your system.\r\nWould you like to enable it now?");
    EXPECT_EQ(host.questions[0].kind, QV_KIND_YES_NO);
    EXPECT_EQ(model->UseRestorePoints(), c.stored);
    EXPECT_EQ(Box(TGeneralBox::restorePoint), c.stored);
    const auto requests = machine.systemRestore.Requests();
    ASSERT_EQ(requests.size() - before, c.enableCalls);
    // The drive of the system's Windows folder, never SYSTEMDRIVE.
    if (c.enableCalls) {
      EXPECT_EQ(requests.back().argument, "C:\\");
    }
  }
}

TEST_F(GeneralSettings, ALanguageChangeIsStoredAndAsksForTheRestart) {
  for (int answer : {ID_NO, ID_YES}) {
    SCOPED_TRACE(answer);
    std::string settingsAtRestart;
    host.onRestart = [&] { settingsAtRestart = ReadSettings(); };
    host.answer = answer;
    host.questions.clear();
    presenter.Load();
    presenter.LanguagePicked(answer == ID_NO ? 2 : 3);
    presenter.Save();
    const int language = answer == ID_NO ? 2 : 3;
    EXPECT_EQ(model->Language(), language);
    EXPECT_EQ(LoadLanguageChoice(machine.registry, machine.processes.moduleFileName), language);
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0].title, "Confirm application restart");
    EXPECT_EQ(host.questions[0].text,
              "For the language change to take effect, Quorvane needs to be restarted.\r\n"
              "Would you like to restart the application?");
    EXPECT_NE(ReadSettings().find("Language=" + std::to_string(language)), std::string::npos);
    if (answer == ID_YES) {
      EXPECT_EQ(host.restarts, 1);
      // The restarted copy finds the new language in the settings file.
      EXPECT_NE(settingsAtRestart.find("Language=3"), std::string::npos);
    } else {
      EXPECT_EQ(host.restarts, 0);
    }
  }
  // The same language again asks nothing.
  host.questions.clear();
  presenter.Save();
  EXPECT_TRUE(host.questions.empty());
}

TEST_F(GeneralSettings, TheDownloadFolderIsStoredAtOnceOnlyWhenItChanges) {
  const std::string before = model->DownloadLocation();
  const struct {
    std::string chosen;
    std::string expected;
  } cases[] = {{"", before}, {before, before}, {"D:\\Drivers", "D:\\Drivers"}};
  for (const auto& c : cases) {
    host.folder = c.chosen;
    presenter.ChangeDownloadPath();
    EXPECT_EQ(model->DownloadLocation(), c.expected);
    EXPECT_EQ(presenter.View().downloadPath, c.expected);
    EXPECT_FALSE(presenter.View().saveEnabled);
  }
  EXPECT_NE(ReadSettings().find("D:\\Drivers"), std::string::npos);
}

TEST_F(GeneralSettings, SystemRestoreRunsFromTheWindowsFolderAndWaits) {
  machine.shell.windowsFolder = "E:\\WINNT";
  presenter.RunSystemRestore();
  ASSERT_EQ(machine.shell.launches.size(), 1u);
  EXPECT_EQ(machine.shell.launches[0].request.file, "E:\\WINNT\\system32\\rstrui.exe");
  EXPECT_EQ(machine.shell.launches[0].request.verb, "runas");
  EXPECT_TRUE(machine.shell.launches[0].waited);
}

class ConnectionSettings : public ::testing::Test, public TSimDataModelFixture {
 protected:
  ConnectionSettings() : presenter(Create(), machine.strings) {
    model->SetProxyURL("proxy.local");
    model->SetProxyPort(3128);
    presenter.Load();
  }
  TConnectionSettingsPresenter presenter;
};

TEST_F(ConnectionSettings, OnlyAChangedChoiceEnablesSaveAndTheFields) {
  EXPECT_FALSE(presenter.View().saveEnabled);
  EXPECT_FALSE(presenter.View().fieldsEnabled);
  presenter.ProxyChosen(false);  // the choice already made
  presenter.FieldEdited(TProxyField::server, "typed");
  EXPECT_FALSE(presenter.View().saveEnabled);
  presenter.ProxyChosen(true);
  EXPECT_TRUE(presenter.View().saveEnabled);
  EXPECT_TRUE(presenter.View().fieldsEnabled);
  EXPECT_EQ(presenter.View().fields[0], "typed");
}

TEST_F(ConnectionSettings, AStoppedSaveChangesNothing) {
  const struct {
    const char* name;
    std::string server, port, user, password;
    std::string message;
    TProxyField focus;
  } cases[] = {
      {"empty server", "", "8080", "", "", "Proxy Server Address can not be empty.", TProxyField::server},
      {"user without password", "p", "8080", "me", "",
       "Please enter the password for the proxy user name.", TProxyField::password},
      {"port 0", "p", "0", "", "", "'0' is not a valid port number. Please enter a number from 1 to 65535.",
       TProxyField::port},
      {"port 65536", "p", "65536", "", "",
       "'65536' is not a valid port number. Please enter a number from 1 to 65535.", TProxyField::port},
      {"port beyond 32 bits", "p", "4294967376", "", "",
       "'4294967376' is not a valid port number. Please enter a number from 1 to 65535.", TProxyField::port},
      {"port empty", "p", "", "", "", "'' is not a valid port number. Please enter a number from 1 to 65535.",
       TProxyField::port},
      {"port with a sign", "p", "-80", "", "",
       "'-80' is not a valid port number. Please enter a number from 1 to 65535.", TProxyField::port},
  };
  const std::string settings = ReadSettings();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    presenter.Load();
    presenter.ProxyChosen(true);
    presenter.FieldEdited(TProxyField::server, c.server);
    presenter.FieldEdited(TProxyField::port, c.port);
    presenter.FieldEdited(TProxyField::user, c.user);
    presenter.FieldEdited(TProxyField::password, c.password);
    const auto problem = presenter.Save();
    ASSERT_TRUE(problem);
    EXPECT_EQ(*problem, (TConnectionProblem{c.message, c.focus}));
    EXPECT_FALSE(model->ProxyEnabled());
    EXPECT_EQ(model->ProxyURL(), "proxy.local");
    EXPECT_EQ(model->ProxyPort(), 3128);
    EXPECT_TRUE(presenter.View().saveEnabled);
    EXPECT_EQ(ReadSettings(), settings);
  }
}

TEST_F(ConnectionSettings, SaveTakesTheFieldsOnlyWithTheProxy) {
  presenter.ProxyChosen(true);
  presenter.FieldEdited(TProxyField::server, "gate.example");
  presenter.FieldEdited(TProxyField::port, "65535");
  presenter.FieldEdited(TProxyField::user, "me");
  presenter.FieldEdited(TProxyField::password, "secret");
  EXPECT_FALSE(presenter.Save());
  EXPECT_TRUE(model->ProxyEnabled());
  EXPECT_EQ(model->ProxyURL(), "gate.example");
  EXPECT_EQ(model->ProxyPort(), 65535);
  EXPECT_EQ(model->ProxyPassword(), "secret");
  EXPECT_FALSE(presenter.View().saveEnabled);

  // The default browser settings keep the stored fields for the next proxy choice.
  presenter.ProxyChosen(false);
  presenter.FieldEdited(TProxyField::server, "");
  EXPECT_FALSE(presenter.Save());
  EXPECT_FALSE(model->ProxyEnabled());
  EXPECT_EQ(model->ProxyURL(), "gate.example");
  presenter.Load();
  EXPECT_EQ(presenter.View().fields[0], "gate.example");
  EXPECT_EQ(presenter.View().fields[1], "65535");
}

}  // namespace
