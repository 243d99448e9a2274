// Packages under attack on the real Win32 file system: a file the program holds open
// cannot be written, swapped, renamed or deleted; the download target is shared with
// nobody; the install checks the package against its HKLM record, keeps it held while
// the installer runs, and starts the installer in the package's own folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "core/data_model.h"
#include "core/paths.h"
#include "engine/data_manager.h"
#include "engine/package_record.h"
#include "platform/win32/win32_machine.h"
#include "platform/win32/win32_processes.h"
#include "support/null_callback_handler.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr DWORD kDummyError = 0xDEADBEEF;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string ProgramFolder() {
  TWin32Processes processes;
  return FromPath(ToPath(processes.ModuleFileName()).parent_path());
}

// What another process of the user tries on a file: each attempt with the error it met,
// 0 when it succeeded.
struct TAttempt {
  const char* attack;
  DWORD error;
};

std::vector<TAttempt> Attack(const std::wstring& file, const std::wstring& evil) {
  std::vector<TAttempt> attempts;
  auto record = [&](const char* attack, bool succeeded) {
    attempts.push_back({attack, succeeded ? 0 : GetLastError()});
  };
  SetLastError(kDummyError);
  HANDLE writer = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  record("open for writing", writer != INVALID_HANDLE_VALUE);
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  SetLastError(kDummyError);
  record("swap by rename over it", MoveFileExW(evil.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE);
  SetLastError(kDummyError);
  const std::wstring away = file + L".away";
  const bool renamed = MoveFileExW(file.c_str(), away.c_str(), 0) != FALSE;
  record("rename it away", renamed);
  if (renamed) MoveFileExW(away.c_str(), file.c_str(), 0);
  SetLastError(kDummyError);
  record("delete it", DeleteFileW(file.c_str()) != FALSE);
  return attempts;
}

class PackageHold : public ::testing::Test {
 protected:
  std::wstring Wide(const std::string& name) const { return ToPath(folder.File(name)).wstring(); }

  TTempFolder folder;
  TWin32FileSystem fileSystem;
};

TEST_F(PackageHold, AHeldFileRefusesEveryChangeAndAdmitsReaders) {
  folder.Write("setup.exe", "the confirmed installer");
  folder.Write("evil.exe", "evil");
  {
    const std::unique_ptr<IOpenFile> held = fileSystem.OpenFile(folder.File("setup.exe"), fomReadDenyWriters);
    ASSERT_NE(held, nullptr);
    for (const TAttempt& attempt : Attack(Wide("setup.exe"), Wide("evil.exe"))) {
      SCOPED_TRACE(attempt.attack);
      // Refused as a sharing violation, or for a rename over the open file as access denied.
      EXPECT_TRUE(attempt.error == ERROR_SHARING_VIOLATION || attempt.error == ERROR_ACCESS_DENIED) << attempt.error;
    }
    // Readers are let in, as the started installer itself is.
    const std::unique_ptr<IOpenFile> reader = fileSystem.OpenFile(folder.File("setup.exe"), fomReadDenyWriters);
    EXPECT_NE(reader, nullptr);
    EXPECT_EQ(folder.Read("setup.exe"), "the confirmed installer");
  }
  // Released: the same changes go through.
  for (const TAttempt& attempt : Attack(Wide("setup.exe"), Wide("evil.exe"))) EXPECT_EQ(attempt.error, 0u) << attempt.attack;
}

TEST_F(PackageHold, TheDownloadTargetIsSharedWithNobody) {
  const std::string target = folder.File("driver.zip");
  {
    const std::unique_ptr<IOpenFile> written = fileSystem.OpenFile(target, fomCreateExclusive);
    ASSERT_NE(written, nullptr);
    EXPECT_TRUE(written->Write("PK", 2));
    SetLastError(kDummyError);
    EXPECT_EQ(fileSystem.OpenFile(target, fomReadDenyWriters), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    SetLastError(kDummyError);
    HANDLE reader = CreateFileW(Wide("driver.zip").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  }
  EXPECT_EQ(folder.Read("driver.zip"), "PK");
  // Never over something already there.
  SetLastError(kDummyError);
  EXPECT_EQ(fileSystem.OpenFile(target, fomCreateExclusive), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  EXPECT_EQ(fileSystem.OpenFile(folder.Path(), fomReadDenyWriters), nullptr) << "a folder is no file";
}

TEST_F(PackageHold, CngDigestsOfAPackage) {
  const struct {
    std::string content;
    const char* md5;
    const char* sha256;
  } cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {std::string(1000000, 'a'), "7707d6ae4e027c70eea2a935c2296f21",
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  TWin32Hashing hashing;
  for (const auto& c : cases) {
    folder.Write("package.bin", c.content);
    const std::unique_ptr<IOpenFile> file = fileSystem.OpenFile(folder.File("package.bin"), fomReadDenyWriters);
    ASSERT_NE(file, nullptr);
    const std::optional<TPackageRecord> record = MeasurePackage(hashing, *file, "package.bin");
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(*record, (TPackageRecord{"package.bin", c.content.size(), c.sha256, c.md5}));
  }
}

// The install on the real machine: a recorded installer (the test child program) is copied
// into a staging folder of the work area and run from there, while another thread keeps
// trying to swap, write or delete the downloaded package; every attempt fails, the installer
// runs in its staging folder, which is gone afterwards, and the package is as confirmed. A
// package without a record is refused without being run.
TEST_F(PackageHold, TheInstallHoldsTheCheckedPackageWhileItRuns) {
  TWin32Machine machine;
  TDriverDatamodel model(machine.Ports());
  const std::string downloads = folder.File("Download");
  model.SetDownloadLocation(downloads);
  model.SetBackupLocation(folder.File("Backup"));
  TDataManager engine(model, machine.Ports());
  const std::string driverId = "qv-hold-" + std::to_string(GetCurrentProcessId());
  const fs::path package = ToPath(JoinPath(JoinPath(downloads, driverId), "setup.exe"));
  fs::create_directories(package.parent_path());
  fs::copy_file(ToPath(JoinPath(ProgramFolder(), "qv_test_child.exe")), package);
  const std::string confirmed = ReadAll(package);
  folder.Write("evil.exe", "evil");

  TDeviceProperties device;
  device.strName = "Held";
  device.strHID = "ROOT\\QUORVANE_NO_SUCH_DEVICE";
  device.strDriverDBId = driverId;
  TNullCallbackHandler handler;

  // Without a record the file is refused and nothing runs; it is left where it is, since the
  // program has no record of making it.
  ForgetPackageRecord(machine.registry, driverId);
  EXPECT_FALSE(engine.Install({&device}, &handler));
  EXPECT_EQ(ReadAll(package), confirmed);
  EXPECT_FALSE(fs::exists(package.parent_path() / "child-ran.txt"));
  {
    const std::unique_ptr<IOpenFile> file = fileSystem.OpenFile(FromPath(package), fomReadDenyWriters);
    ASSERT_NE(file, nullptr);
    const std::optional<TPackageRecord> record = MeasurePackage(machine.hashing, *file, "setup.exe");
    ASSERT_TRUE(record.has_value());
    ASSERT_TRUE(StorePackageRecord(machine.registry, driverId, *record));
  }

  ASSERT_NE(engine.OpenRecordedPackage(driverId, FromPath(package)), nullptr) << "the recorded package is taken";

  std::atomic<bool> done{false};
  std::atomic<int> tries{0};
  std::vector<std::string> succeeded;
  // The installer writes its markers into its working folder: its staging folder.
  const fs::path staging = ToPath(machine.shell.ProgramDataFolder()) / "Quorvane" / "Staging";
  std::atomic<bool> ranInStaging{false};
  const auto stagedMarker = [&](const char* name) {
    std::error_code error;
    for (fs::directory_iterator it(staging, error), end; !error && it != end; it.increment(error))
      if (fs::exists(it->path() / name)) return true;
    return false;
  };
  const auto started = [&] { return stagedMarker("child-started.txt"); };
  const auto ended = [&] { return stagedMarker("child-ran.txt"); };
  std::thread attacker([&] {
    // Rounds count only while the installer runs, between its two markers: the install
    // holds the package from its check until the installer has ended. Before that an
    // attacker's open would only make the check refuse the package. Bounded: at most 20 s.
    // The installer sleeps 1.5 s between its markers: rounds start only in its first 0.7 s,
    // so that none still runs when it ends and the package is released.
    const ULONGLONG end = GetTickCount64() + 20000;
    ULONGLONG seen = 0;
    while (!done && GetTickCount64() < end) {
      Sleep(5);
      if (!started() || ended()) continue;
      if (seen == 0) seen = GetTickCount64();
      if (GetTickCount64() > seen + 700) continue;
      ranInStaging = true;
      const std::vector<TAttempt> round = Attack(package.wstring(), Wide("evil.exe"));
      // A round counts only when the installer still ran at its end: its staging folder is
      // removed (the markers with it) before the package is released.
      if (!started() || ended()) continue;
      for (const TAttempt& attempt : round)
        if (attempt.error == 0) succeeded.push_back(attempt.attack);
      ++tries;
    }
  });
  engine.m_stopped = false;
  const bool installed = engine.Install({&device}, &handler);
  done = true;
  attacker.join();

  EXPECT_TRUE(installed);
  EXPECT_GT(tries.load(), 0);
  EXPECT_EQ(succeeded, std::vector<std::string>{});
  EXPECT_EQ(ReadAll(package), confirmed);
  EXPECT_TRUE(ranInStaging) << "the installer starts in its staging folder";
  EXPECT_TRUE(fs::is_empty(staging)) << "the staging folder was left behind";
  EXPECT_FALSE(fs::exists(package.parent_path() / "child-started.txt"));
  ForgetPackageRecord(machine.registry, driverId);
}

}  // namespace
