// The program update's download on the simulated machine against a one-request
// server on loopback: what the progress window is told, what is saved (only in the work
// area's update folder) and started, that a setup past its announced length or the cap or
// cut off leaves no file, that a setup not signed like the program is deleted instead, and
// that ending the download ends a wait for a stalled server.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/paths.h"
#include "engine/work_area.h"
#include "platform/sim/sim_file_signature.h"
#include "platform/sim/sim_machine.h"
#include "support/one_request_server.h"
#include "support/temp_folder.h"
#include "ui/plain_loop.h"
#include "ui/program_update_download.h"

namespace {

using namespace std::chrono;
using TEvents = std::vector<std::string>;

const std::string SHOWN = "show Downloading program update...";
const std::string COMPLETE = "status Download complete.";
const std::string PAUSE = "hide after 1000";

// The progress window and its owner, recording what they are told.
class TRecordingView : public IProgramUpdateView {
 public:
  void ShowProgress(const std::string& status) override { events.push_back("show " + status); }
  void UpdateProgress(int percent, const std::string& status) override {
    percents.push_back(percent);
    if (!status.empty()) events.push_back("status " + status);
  }
  void HideProgress() override { events.push_back("hide"); }
  void HideProgressAfter(unsigned milliseconds, std::function<void()> afterHide) override {
    events.push_back("hide after " + std::to_string(milliseconds));
    m_afterHide = std::move(afterHide);
  }
  void CloseOwner() override { events.push_back("close owner"); }
  void ShowError(const std::string& text) override { events.push_back("error " + text); }

  bool Pausing() const { return m_afterHide != nullptr; }
  // The pause ends and the window hides.
  void EndPause() { std::exchange(m_afterHide, nullptr)(); }
  void Clear() {
    events.clear();
    percents.clear();
  }

  TEvents events;
  std::vector<int> percents;

 private:
  std::function<void()> m_afterHide;
};

// The machine's internet port, announcing a length of its own for every answer: more can
// arrive than announced, as from a server or proxy that does not keep its word.
class TMisannouncingInternet : public IInternetPort {
 public:
  TMisannouncingInternet(IInternetPort& real, uint64_t announced) : m_real(real), m_announced(announced) {}
  TInternetRaw OpenSession(const std::string& agent, uint32_t accessType, const std::string& proxyList,
                           uint32_t flags) override {
    return m_real.OpenSession(agent, accessType, proxyList, flags);
  }
  bool SetOptionNumber(TInternetRaw handle, uint32_t option, uint32_t value) override {
    return m_real.SetOptionNumber(handle, option, value);
  }
  bool SetOptionText(TInternetRaw handle, uint32_t option, const std::string& text) override {
    return m_real.SetOptionText(handle, option, text);
  }
  TInternetRaw Connect(TInternetRaw session, const std::string& server, uint16_t port, uint32_t service,
                       uint32_t flags) override {
    return m_real.Connect(session, server, port, service, flags);
  }
  TInternetRaw OpenRequest(TInternetRaw connection, const std::string& verb, const std::string& object,
                           uint32_t flags) override {
    return m_real.OpenRequest(connection, verb, object, flags);
  }
  bool SendRequest(TInternetRaw request, const std::string& headers, const void* data, uint32_t dataSize) override {
    return m_real.SendRequest(request, headers, data, dataSize);
  }
  bool Read(TInternetRaw request, void* buffer, uint32_t bytesToRead, uint32_t& bytesRead) override {
    return m_real.Read(request, buffer, bytesToRead, bytesRead);
  }
  TInternetRaw OpenUrl(TInternetRaw session, const std::string& url, const std::string& headers,
                       uint32_t flags) override {
    return m_real.OpenUrl(session, url, headers, flags);
  }
  bool QueryStatusCode(TInternetRaw request, uint32_t& status) override {
    return m_real.QueryStatusCode(request, status);
  }
  bool QueryContentLength(TInternetRaw, uint64_t& length) override {
    length = m_announced;
    return true;
  }
  bool Close(TInternetRaw handle) override { return m_real.Close(handle); }
  bool ConnectedState(uint32_t& flags) override { return m_real.ConnectedState(flags); }
  bool LastResponseInfo(uint32_t& error, std::string& text, uint32_t bufferChars) override {
    return m_real.LastResponseInfo(error, text, bufferChars);
  }
  uint32_t LastError() override { return m_real.LastError(); }
  void SetLastErrorCode(uint32_t code) override { m_real.SetLastErrorCode(code); }
  void CancelSession(TInternetRaw session) override { m_real.CancelSession(session); }

 private:
  IInternetPort& m_real;
  uint64_t m_announced;
};

// The key of a signer certificate, as WinVerifyTrust's provider data gives it.
const std::vector<uint8_t> VENDOR_KEY{0x30, 0x82, 0x01, 0x22, 0x01};
const std::vector<uint8_t> OTHER_KEY{0x30, 0x82, 0x01, 0x22, 0x02};

class ProgramUpdateDownload : public ::testing::Test {
 protected:
  ProgramUpdateDownload() {
    machine.shell.programDataFolder = folder.File("ProgramData");
    std::filesystem::create_directory(machine.shell.programDataFolder);
    // The running program and the setup, signed by the same vendor.
    signatures.files[machine.processes.moduleFileName] = {QV_TRUST_VERIFIED, VENDOR_KEY};
    signatures.files[target] = {QV_TRUST_VERIFIED, VENDOR_KEY};
    // Version 1.0.0.1 runs; the setup brings 1.0.0.2.
    machine.moduleVersion.fileVersion = TFileVersion{0x00010000, 0x00000001};
    machine.moduleVersion.fileVersions[target] = TFileVersion{0x00010000, 0x00000002};
  }

  // Runs one download to its end (the completed bar's pause included) and returns how it ended.
  TProgramUpdateOutcome Run(const std::string& url) { return Run(download, url); }
  TProgramUpdateOutcome Run(TProgramUpdateDownload& running, const std::string& url) {
    view.Clear();
    EXPECT_TRUE(running.Start(url, SETUP_NAME, view));
    EXPECT_FALSE(running.Start(url, SETUP_NAME, view));  // one at a time
    const auto start = steady_clock::now();
    loop.RunUntil(
        [&] {
          return running.LastOutcome() != TProgramUpdateOutcome::none || view.Pausing() ||
                 steady_clock::now() - start > 20s;
        },
        10ms);
    if (view.Pausing()) {
      EXPECT_TRUE(running.Downloading());
      view.EndPause();
    }
    EXPECT_FALSE(running.Downloading());
    return running.LastOutcome();
  }
  std::string Saved() const { return folder.Read(SAVED); }
  // Every file under the test's folder, the simulated program-data folder with it.
  std::vector<std::string> Files() const {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.Path()))
      if (!entry.is_directory()) files.push_back(entry.path().lexically_relative(folder.Path()).generic_string());
    std::sort(files.begin(), files.end());
    return files;
  }

  static constexpr const char* SETUP_NAME = "qvtempinstaller.exe";
  static constexpr const char* SAVED = "ProgramData/Quorvane/Update/qvtempinstaller.exe";
  TSimMachine machine;
  TPlainLoop loop;
  TTempFolder folder;
  std::string target = folder.File(SAVED);
  TRecordingView view;
  TSimFileSignature signatures;
  TProgramUpdateDownload download{loop, machine.Ports(), signatures};
};

std::string SetupBody() {
  std::string body;
  for (int i = 0; body.size() < 300000; ++i) body += "setup line " + std::to_string(i) + "\r\n";
  return body;
}

TEST_F(ProgramUpdateDownload, SavesTheWholeSetupAndStartsItThroughTheShell) {
  const std::string body = SetupBody();
  struct TCase {
    intptr_t shellResult;
    TProgramUpdateOutcome outcome;
    TEvents ending;  // after the completion
  };
  const TCase cases[] = {
      {42, TProgramUpdateOutcome::started, {"close owner"}},
      {2, TProgramUpdateOutcome::notStarted, {}},  // the shell refused it: the program stays
  };
  for (const TCase& c : cases) {
    machine.shell.executeResult = c.shellResult;
    machine.shell.launches.clear();
    TOneRequestServer server(HttpAnswer("200 OK", body, body.size()));
    EXPECT_EQ(Run(server.Url()), c.outcome);
    EXPECT_EQ(Saved(), body);
    // In the work area's update folder, a protected folder, and nothing written elsewhere.
    EXPECT_EQ(Files(), (std::vector<std::string>{SAVED}));
    EXPECT_TRUE(machine.fileSystem.IsProtectedFolder(folder.File("ProgramData/Quorvane/Update")));
    TEvents expected{SHOWN, COMPLETE, PAUSE};
    expected.insert(expected.end(), c.ending.begin(), c.ending.end());
    EXPECT_EQ(view.events, expected) << c.shellResult;
    // The percentage grows to 100, the last one with the completion.
    ASSERT_GE(view.percents.size(), 2u);
    EXPECT_TRUE(std::is_sorted(view.percents.begin(), view.percents.end()));
    EXPECT_LT(view.percents.front(), 100);
    EXPECT_EQ(view.percents.back(), 100);
    ASSERT_EQ(machine.shell.launches.size(), 1u);
    const TShellExecuteRequest& launch = machine.shell.launches[0].request;
    EXPECT_EQ(launch.verb, "");
    EXPECT_EQ(launch.file, target);
    EXPECT_EQ(launch.parameters, "/S /UPDATE");
    EXPECT_EQ(launch.show, SW_SHOWNORMAL);
  }
}

TEST_F(ProgramUpdateDownload, AnswersOfOtherLengths) {
  struct TCase {
    const char* name;
    std::string answer;
    std::string saved;
    std::vector<int> percents;
  };
  const TCase cases[] = {
      // No length announced: no percentage until the completion.
      {"no length", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nwhole setup", "whole setup", {100}},
      // More bytes than announced: the announced ones are the answer.
      {"more than announced", HttpAnswer("200 OK", "0123456789 and more", 10), "0123456789", {100, 100}},
  };
  for (const TCase& c : cases) {
    TOneRequestServer server(c.answer);
    EXPECT_EQ(Run(server.Url()), TProgramUpdateOutcome::started) << c.name;
    EXPECT_EQ(Saved(), c.saved) << c.name;
    EXPECT_EQ(view.percents, c.percents) << c.name;
  }
}

TEST_F(ProgramUpdateDownload, AFailedDownloadSavesAndStartsNothing) {
  for (const TNamedAnswer& c : FailingAnswers()) {
    TOneRequestServer server(c.response);
    EXPECT_EQ(Run(server.Url()), TProgramUpdateOutcome::failed) << c.name;
    EXPECT_EQ(Files(), std::vector<std::string>{}) << c.name;  // a cut-off part is deleted too
    // Hidden without a completion.
    EXPECT_EQ(view.events, (TEvents{SHOWN, "hide"})) << c.name;
  }
  // Nothing listens there.
  EXPECT_EQ(Run("http://127.0.0.1:1/download/qvsetup.exe"), TProgramUpdateOutcome::failed);
  EXPECT_EQ(view.events, (TEvents{SHOWN, "hide"}));
  EXPECT_EQ(Files(), std::vector<std::string>{});
  EXPECT_TRUE(machine.shell.launches.empty());
}

// The download stops and fails once it passes the length the answer announced or the cap,
// whichever is smaller, and what it wrote is deleted.
TEST_F(ProgramUpdateDownload, ASetupPastItsAnnouncedLengthOrTheCapLeavesNoFile) {
  constexpr uint64_t CAP = 100000;
  const std::string atCap(CAP, 's');
  const std::string pastCap(CAP + 1, 's');
  const struct {
    const char* name;
    std::string answer;
    TProgramUpdateOutcome outcome;
  } cases[] = {
      {"at the cap", HttpAnswer("200 OK", atCap, atCap.size()), TProgramUpdateOutcome::started},
      {"at the cap, no length announced", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + atCap,
       TProgramUpdateOutcome::started},
      {"past the cap, no length announced", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + pastCap,
       TProgramUpdateOutcome::failed},
      {"past the cap as announced", HttpAnswer("200 OK", pastCap, pastCap.size()), TProgramUpdateOutcome::failed},
  };
  TProgramUpdateDownload capped{loop, machine.Ports(), signatures, CAP};
  for (const auto& c : cases) {
    TOneRequestServer server(c.answer);
    EXPECT_EQ(Run(capped, server.Url()), c.outcome) << c.name;
    if (c.outcome == TProgramUpdateOutcome::started) {
      EXPECT_EQ(Saved(), atCap) << c.name;
      std::filesystem::remove(target);
    } else {
      EXPECT_EQ(view.events, (TEvents{SHOWN, "hide"})) << c.name;
    }
    EXPECT_EQ(Files(), std::vector<std::string>{}) << c.name;
  }

  // The whole setup arrives, but the answer announced one byte less.
  TMisannouncingInternet misannouncing(machine.internet, atCap.size() - 1);
  TSimMachine& m = machine;
  const TSystemPorts ports{m.registry, m.osVersion, m.shell, m.processes, m.power, m.locale,
                           m.fileSystem, m.hashing, m.strings, m.devices, m.imageLists, m.moduleVersion,
                           misannouncing, m.systemRestore, m.threadWait, m.firmware, m.hardware, m.scheduler};
  TProgramUpdateDownload trusting{loop, ports, signatures, CAP};
  machine.shell.launches.clear();
  TOneRequestServer server("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + atCap);
  EXPECT_EQ(Run(trusting, server.Url()), TProgramUpdateOutcome::failed);
  EXPECT_EQ(view.events, (TEvents{SHOWN, "hide"}));
  EXPECT_EQ(Files(), std::vector<std::string>{});
  EXPECT_TRUE(machine.shell.launches.empty());
}

TEST_F(ProgramUpdateDownload, ASetupThatCannotBeSavedIsNotStarted) {
  const struct {
    const char* name;
    std::string runningProgram;  // "" for none
    std::string programData;
    TEvents events;
  } cases[] = {
      // An earlier setup still running keeps its file.
      {"a setup of that name runs", "C:\\Users\\tester\\AppData\\Local\\Temp\\QVTEMPINSTALLER.EXE",
       machine.shell.programDataFolder, {SHOWN, COMPLETE, PAUSE}},
      // No work area: nothing is downloaded, and nothing written anywhere else.
      {"no program-data folder", "", folder.File("missing"), {SHOWN, "hide"}},
      {"no program-data folder known", "", "", {SHOWN, "hide"}},
  };
  ASSERT_FALSE(TWorkArea(machine.shell, machine.fileSystem).Folder(QV_UPDATE_FOLDER_NAME).empty());
  folder.Write(SAVED, "older setup");
  for (const auto& c : cases) {
    machine.processes.running = {"System", "explorer.exe", "Quorvane.exe"};
    if (!c.runningProgram.empty()) machine.processes.running.push_back(c.runningProgram);
    machine.shell.programDataFolder = c.programData;
    TOneRequestServer server(HttpAnswer("200 OK", "newer setup", 11));
    EXPECT_EQ(Run(server.Url()), TProgramUpdateOutcome::notSaved) << c.name;
    EXPECT_EQ(Files(), (std::vector<std::string>{SAVED})) << c.name;
    EXPECT_EQ(Saved(), "older setup") << c.name;
    EXPECT_EQ(view.events, c.events) << c.name;
  }
  EXPECT_TRUE(machine.shell.launches.empty());
}

TEST_F(ProgramUpdateDownload, ASetupNotSignedLikeTheProgramIsDeletedNotStarted) {
  struct TCase {
    const char* name;
    TFileSignature program;
    TFileSignature setup;
    bool held = true;  // the setup could be held unchanged
  };
  const TFileSignature vendor{QV_TRUST_VERIFIED, VENDOR_KEY};
  const TCase cases[] = {
      {"unsigned setup", vendor, {QV_TRUST_E_NOSIGNATURE, {}}},
      {"altered setup", vendor, {QV_TRUST_E_BAD_DIGEST, VENDOR_KEY}},
      {"setup of another signer", vendor, {QV_TRUST_VERIFIED, OTHER_KEY}},
      {"setup signer not trusted", vendor, {QV_CERT_E_UNTRUSTEDROOT, VENDOR_KEY}},
      {"setup with no key read", vendor, {QV_TRUST_VERIFIED, {}}},
      // With no signer of its own to compare, the program starts nothing.
      {"unsigned program", {QV_TRUST_E_NOSIGNATURE, {}}, {QV_TRUST_E_NOSIGNATURE, {}}},
      {"program without key", {QV_TRUST_VERIFIED, {}}, {QV_TRUST_VERIFIED, {}}},
      // Another process has it open for writing: what would run could differ from what is checked.
      {"setup not held", vendor, vendor, false},
  };
  const std::string body = "setup";
  for (const TCase& c : cases) {
    signatures.files[machine.processes.moduleFileName] = c.program;
    signatures.files[target] = c.setup;
    signatures.holdSucceeds = c.held;
    signatures.read.clear();
    TOneRequestServer server(HttpAnswer("200 OK", body, body.size()));
    EXPECT_EQ(Run(server.Url()), TProgramUpdateOutcome::notVerified) << c.name;
    EXPECT_EQ(Files(), std::vector<std::string>{}) << c.name;
    EXPECT_EQ(view.events, (TEvents{SHOWN, COMPLETE, PAUSE,
                                    "error The downloaded update could not be verified and was not started."}))
        << c.name;
  }
  EXPECT_TRUE(machine.shell.launches.empty());
}

// A setup signed like the program is started only when its file version is above the
// running program's: an older or the same release served again, or one whose version
// cannot be read, is deleted and not started, with a message of its own.
TEST_F(ProgramUpdateDownload, ASetupNotNewerThanTheProgramIsDeletedNotStarted) {
  const struct {
    const char* name;
    std::optional<TFileVersion> setup;
    std::optional<TFileVersion> program;
  } cases[] = {
      {"an older setup", TFileVersion{0x00010000, 0x00000000}, TFileVersion{0x00010000, 0x00000001}},
      {"an older major version with a higher build", TFileVersion{0x00000009, 0x00090009}, TFileVersion{0x00010000, 0x00000001}},
      {"the same version", TFileVersion{0x00010000, 0x00000001}, TFileVersion{0x00010000, 0x00000001}},
      {"a setup without a version", std::nullopt, TFileVersion{0x00010000, 0x00000001}},
      {"a program without a version", TFileVersion{0x00010000, 0x00000002}, std::nullopt},
  };
  const std::string body = "setup";
  for (const auto& c : cases) {
    machine.moduleVersion.fileVersion = c.program;
    machine.moduleVersion.fileVersions.erase(target);
    if (c.setup) machine.moduleVersion.fileVersions[target] = *c.setup;
    TOneRequestServer server(HttpAnswer("200 OK", body, body.size()));
    EXPECT_EQ(Run(server.Url()), TProgramUpdateOutcome::notNewer) << c.name;
    EXPECT_EQ(Files(), std::vector<std::string>{}) << c.name;
    EXPECT_EQ(view.events, (TEvents{SHOWN, COMPLETE, PAUSE,
                                    "error The downloaded update is not newer than this version and was not started."}))
        << c.name;
  }
  EXPECT_TRUE(machine.shell.launches.empty());
}

TEST_F(ProgramUpdateDownload, TheSignatureIsCheckedRightBeforeTheSetupStarts) {
  const std::string body = "setup";
  TOneRequestServer server(HttpAnswer("200 OK", body, body.size()));
  ASSERT_TRUE(download.Start(server.Url(), target, view));
  const auto start = steady_clock::now();
  loop.RunUntil([&] { return view.Pausing() || steady_clock::now() - start > 20s; }, 10ms);
  ASSERT_TRUE(view.Pausing());
  EXPECT_TRUE(signatures.read.empty());  // nothing checked while the completed bar shows
  view.EndPause();
  EXPECT_EQ(signatures.read, (std::vector<std::string>{machine.processes.moduleFileName, target}));
  EXPECT_EQ(download.LastOutcome(), TProgramUpdateOutcome::started);
  EXPECT_EQ(signatures.held, 0);  // released once the shell has started it
}

TEST_F(ProgramUpdateDownload, EndingTheDownloadEndsAWaitForAStalledServer) {
  for (const TNamedAnswer& c : StallingAnswers()) {
    TOneRequestServer server(c.response, true);
    TRecordingView stalled;
    const auto start = steady_clock::now();
    {
      TProgramUpdateDownload running(loop, machine.Ports(), signatures);
      ASSERT_TRUE(running.Start(server.Url(), target, stalled));
      loop.RunUntil([&] { return server.requested || steady_clock::now() - start > 10s; }, 10ms);
      ASSERT_TRUE(server.requested) << c.name;
      loop.RunUntil([&] { return steady_clock::now() - start > 300ms; }, 10ms);  // waiting now
    }
    // The worker was joined before the server gave up its stall.
    EXPECT_LT(steady_clock::now() - start, 5s) << c.name;
    loop.RunPending();  // what it had posted is dropped
    EXPECT_EQ(stalled.events, (TEvents{SHOWN})) << c.name;
    EXPECT_EQ(Files(), std::vector<std::string>{}) << c.name;
  }
}

}  // namespace
