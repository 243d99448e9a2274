// The protected work area and the staging of packages, attacked as an unelevated process of
// the user would: it writes, plants and swaps only where the simulated machine says such a
// process may write. Each attack fails; what runs is the confirmed package's copy alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/staging_folder.h"
#include "engine/work_area.h"
#include "install_fixture.h"
#include "zip_writer.h"

namespace fs = std::filesystem;

namespace {

class ProtectedStaging : public TInstallFixture {
 public:
  std::string Staging() const { return JoinPath(WorkArea(), "Staging"); }

  // What a user process finds in the work area's staging folder: its entries, or none.
  std::vector<std::string> StagingEntries() const {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(Staging(), error), end; !error && it != end; it.increment(error))
      names.push_back(it->path().filename().string());
    return names;
  }

  // The attacker's write: a file at path when an unelevated process could put one there.
  bool Plant(const std::string& path, const std::string& bytes) {
    if (!machine.fileSystem.UserMayWrite(path)) return false;
    fs::create_directories(fs::path(path).parent_path());
    return machine.fileSystem.WriteNewFile(path, bytes);
  }

  // Every folder below root, for an attacker who does not know the staging folder's name.
  static std::vector<std::string> FoldersBelow(const std::string& root) {
    std::vector<std::string> folders;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error))
      if (it->is_directory() && !it->is_symlink()) folders.push_back(it->path().string());
    return folders;
  }
};

TEST_F(ProtectedStaging, TheWorkAreaIsMadeProtectedAndAnUntrustedOneIsMovedAsideUntouched) {
  const struct {
    const char* attack;
    std::function<void(ProtectedStaging&)> plant;
  } cases[] = {
      {"nothing planted", [](ProtectedStaging&) {}},
      {"a folder of the user's at its place",
       [](ProtectedStaging& t) { t.folder.Write("ProgramData/Quorvane/Staging/1/setup.exe", "planted"); }},
      {"a link at its place",
       [](ProtectedStaging& t) {
         t.folder.Write("elsewhere/setup.exe", "planted");
         fs::create_directory_symlink(t.folder.File("elsewhere"), t.WorkArea());
       }},
      {"an administrators' folder that others may write",
       [](ProtectedStaging& t) {
         fs::create_directories(t.WorkArea());
         t.machine.fileSystem.SetFolderRights(t.WorkArea(), "Administrators", true);
       }},
      {"a staging folder of another owner inside a protected work area",
       [](ProtectedStaging& t) {
         ASSERT_TRUE(t.machine.fileSystem.CreateProtectedFolder(t.WorkArea()));
         fs::create_directories(t.Staging());
         t.machine.fileSystem.SetFolderRights(t.Staging(), "User", false);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.attack);
    machine.fileSystem.DeleteTree(0, folder.File("ProgramData"));
    fs::remove_all(folder.File("elsewhere"));
    fs::create_directories(folder.File("ProgramData"));
    c.plant(*this);
    const std::string staging = TWorkArea(machine.shell, machine.fileSystem).Folder("Staging");
    EXPECT_EQ(staging, Staging());
    EXPECT_TRUE(machine.fileSystem.IsProtectedFolder(WorkArea()));
    EXPECT_TRUE(machine.fileSystem.IsProtectedFolder(staging));
    EXPECT_FALSE(machine.fileSystem.UserMayWrite(JoinPath(staging, "x")));
    EXPECT_EQ(StagingEntries(), std::vector<std::string>{});
    // Whatever was there is kept aside as it was, never used and never deleted.
    for (const char* planted : {"elsewhere/setup.exe", "ProgramData/Quorvane.untrusted-1/Staging/1/setup.exe"}) {
      if (fs::exists(folder.File(planted))) {
        EXPECT_EQ(folder.Read(planted), "planted");
      }
    }
  }
}

TEST_F(ProtectedStaging, WithoutAProgramDataFolderNothingIsStagedOrRun) {
  NewDevice("Display", "7");
  PutPackage("7", "setup.exe", "the confirmed installer");
  machine.shell.programDataFolder.clear();
  TInstallRecorder recorder;
  EXPECT_FALSE(engine->Install(Map(), &recorder));
  EXPECT_EQ(LaunchedNames(), std::vector<std::string>{});
  EXPECT_TRUE(fs::exists(fs::path(downloads) / "7" / "setup.exe")) << "a package that was not the fault is kept";
}

// The package's copy is what runs, from its own staging folder as the working folder, and
// the folder is gone after the run whatever its outcome.
TEST_F(ProtectedStaging, PackagesRunFromAFreshStagingFolderThatIsGoneAfterwards) {
  const struct {
    const char* file;
    std::string bytes;
    const char* launched;
    bool succeeds;
  } cases[] = {
      {"setup.exe", "the confirmed installer", "setup.exe", true},
      {"setup.exe", "the confirmed installer", nullptr, false},
      {"net_qvae.zip", qvserver::make_zip({{"bin/driver.exe", "x"}, {"bin/driver.dll", "y"}}), "driver.exe", true},
      {"net.zip", qvserver::make_zip({{"readme.txt", "x"}}), nullptr, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + (c.succeeds ? "" : ", failing"));
    StartCase();
    NewDevice("Display", "7");
    PutPackage("7", c.file, c.bytes);
    machine.shell.executeSucceeds = c.succeeds;
    std::vector<std::string> seen;
    machine.shell.onExecute = [&](const TShellExecuteRequest& request) {
      if (request.mask == 0) return;  // the download folder opened after a failure
      EXPECT_EQ(fs::path(request.file).parent_path().string(), request.directory);
      EXPECT_EQ(request.file.rfind(Staging(), 0), 0u) << request.file;
      EXPECT_FALSE(machine.fileSystem.UserMayWrite(request.file));
      seen.push_back(fs::path(request.file).filename().string());
    };
    TInstallRecorder recorder;
    EXPECT_EQ(engine->Install(Map(), &recorder), c.succeeds);
    machine.shell.onExecute = nullptr;
    EXPECT_EQ(seen, c.launched ? std::vector<std::string>{c.launched} : std::vector<std::string>{});
    EXPECT_EQ(StagingEntries(), std::vector<std::string>{});
    EXPECT_FALSE(fs::exists(fs::path(downloads) / "7" / "data"));
    EXPECT_EQ(folder.Read("Downloads/7/" + std::string(c.file)), c.bytes) << "the user's package is left as it was";
  }
  machine.shell.executeSucceeds = true;
}

// Files planted while the package is extracted, into every folder a user process can find,
// and a folder of the extraction swapped for a link between two entries.
TEST_F(ProtectedStaging, PlantingAndSwappingDuringTheExtractionReachNothing) {
  const struct {
    const char* attack;
    bool swapFolder;
  } cases[] = {{"a setup.exe planted beside every entry", false}, {"the first entry's folder swapped for a link", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.attack);
    StartCase();
    fs::remove_all(folder.File("outside"));
    fs::create_directories(folder.File("outside"));
    NewDevice("Display", "7");
    PutPackage("7", "net_qvae.zip",
               qvserver::make_zip({{"a/one.sys", "1"}, {"a/b.sys", "2"}, {"bin/zdriver.exe", "the driver's program"}}));
    std::vector<std::string> planted, swapped;
    TInstallRecorder recorder;
    recorder.onFileExtract = [&](const std::string&) {
      for (const std::string& where : FoldersBelow(folder.Path())) {
        const std::string target = JoinPath(where, "AAA/setup.exe");
        if (!c.swapFolder && target.find("outside") == std::string::npos && Plant(target, "planted"))
          planted.push_back(where);
        // The entries' folder renamed away and a link to the outside put in its place.
        if (c.swapFolder && fs::path(where).filename() == "a" && machine.fileSystem.UserMayWrite(where)) {
          fs::rename(where, where + "-moved");
          fs::create_directory_symlink(folder.File("outside"), where);
          swapped.push_back(where);
        }
      }
    };
    EXPECT_TRUE(engine->Install(Map(), &recorder));
    EXPECT_EQ(LaunchedNames(), std::vector<std::string>{"zdriver.exe"});
    for (const std::string& where : planted) EXPECT_EQ(where.find(WorkArea()), std::string::npos) << where;
    EXPECT_EQ(swapped, std::vector<std::string>{});
    EXPECT_FALSE(fs::exists(folder.File("outside/b.sys")));
    EXPECT_EQ(StagingEntries(), std::vector<std::string>{});
  }
}

// A DLL a user process puts beside the downloaded package is not beside the program that runs.
TEST_F(ProtectedStaging, ADllPlantedBesideThePackageIsNotBesideTheProgramThatRuns) {
  NewDevice("Display", "7");
  PutPackage("7", "setup.exe", "the confirmed installer");
  ASSERT_TRUE(Plant(JoinPath(JoinPath(downloads, "7"), "version.dll"), "planted"));
  std::vector<std::string> besideTheProgram;
  machine.shell.onExecute = [&](const TShellExecuteRequest& request) {
    for (const auto& entry : fs::directory_iterator(request.directory))
      besideTheProgram.push_back(entry.path().filename().string());
  };
  TInstallRecorder recorder;
  EXPECT_TRUE(engine->Install(Map(), &recorder));
  machine.shell.onExecute = nullptr;
  EXPECT_EQ(besideTheProgram, std::vector<std::string>{"setup.exe"});
}

// A package changed after its copy was checked cannot reach the copy; a copy that does not
// match the record is never run.
TEST_F(ProtectedStaging, TheCopyIsCheckedAgainstTheRecord) {
  NewDevice("Display", "7");
  const std::string package = PutPackage("7", "setup.exe", "the confirmed installer");
  const std::unique_ptr<IOpenFile> held = engine->OpenRecordedPackage("7", package);
  ASSERT_NE(held, nullptr);
  const std::unique_ptr<TStagingFolder> staging = TStagingFolder::Create(machine.shell, machine.fileSystem);
  ASSERT_NE(staging, nullptr);
  const std::string copy = engine->StagePackage(*held, "7", staging->Path());
  EXPECT_EQ(copy, JoinPath(staging->Path(), "setup.exe"));
  EXPECT_EQ(folder.Read(fs::relative(copy, folder.Path()).string()), "the confirmed installer");
  // A second copy of the same name: the staged file is never opened again for writing.
  EXPECT_EQ(engine->StagePackage(*held, "7", staging->Path()), "");
  // A record that no longer matches what is copied: nothing is handed out.
  TPackageRecord other = *ReadPackageRecord(machine.registry, "7");
  other.sha256 = std::string(64, '0');
  ASSERT_TRUE(StorePackageRecord(machine.registry, "7", other));
  const std::unique_ptr<TStagingFolder> second = TStagingFolder::Create(machine.shell, machine.fileSystem);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second->Path(), staging->Path());
  EXPECT_EQ(engine->StagePackage(*held, "7", second->Path()), "");
}

}  // namespace
