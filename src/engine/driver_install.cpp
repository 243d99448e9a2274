// TDataManager's install run: each device's current driver backed up, then the
// package that the download run left in the device's folder copied into a staging folder
// of the protected work area and installed from there by its kind (program, zip archive,
// or any other file opened with its associated program).
#include <filesystem>
#include <system_error>

#include "archive/zip_archive.h"
#include "core/launch.h"
#include "core/paths.h"
#include "engine/busy_flag.h"
#include "engine/data_manager.h"
#include "engine/download_names.h"
#include "engine/install_decision.h"
#include "engine/package_record.h"
#include "engine/staging_folder.h"
#include "platform/path_parts.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* WORK_FOLDER_NAME = "data";

// The name part of an entry's target path; a folder entry's path ends with a separator.
std::string EntryNamePart(std::string path) {
  while (!path.empty() && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  return FileNameOfPath(path);
}

}  // namespace

void TDataManager::InstallCancel() { m_stopped = true; }

bool TDataManager::Install(const TDriverMap& devices, TICallbackHandler* pCallbackHandler) {
  TBusyFlag installing(m_installing);
  bool result = false;
  bool rebootRequired = false;
  auto finish = [&](bool success, bool reboot) {
    if (pCallbackHandler) pCallbackHandler->FinishInstall(success, reboot);
  };

  if (pCallbackHandler) pCallbackHandler->StartInstall(static_cast<int32_t>(devices.size()));
  if (devices.empty()) {
    finish(result, rebootRequired);
    return result;
  }

  for (TDeviceProperties* device : devices) {
    if (m_stopped) {
      if (pCallbackHandler) pCallbackHandler->FinishDriverInstall(*device, 2);
      finish(false, false);
      return result;
    }
    if (pCallbackHandler) pCallbackHandler->StartDriverBackup(*device);
    // Nothing is installed without the backup of the driver it replaces; a device without
    // an installed driver has nothing to back up.
    const TBackupOutcome backup = BackupDevice(*device, pCallbackHandler);
    if (m_stopped) {
      if (pCallbackHandler) pCallbackHandler->FinishDriverInstall(*device, 2);
      finish(false, false);
      return result;
    }
    if (pCallbackHandler) pCallbackHandler->StartDriverInstall(*device);

    bool failed = false;
    // A device without a driver id has no folder of its own: the download folder
    // itself is never taken for one.
    if (backup == boFailed || !device->strDriverDBId.empty()) {
      int32_t code = 0;
      if (backup == boFailed) {
        failed = true;
      } else if (!IsPlainEntryName(device->strDriverDBId)) {
        // An id that would lead out of the download folder names no package of ours.
        failed = true;
      } else {
        const std::string folder = JoinPath(m_model.DownloadLocation(), device->strDriverDBId);
        // The recorded file, not whatever else someone put beside it.
        const std::optional<TPackageRecord> record = ReadPackageRecord(m_ports.registry, device->strDriverDBId);
        const std::string package = record && IsPlainEntryName(record->fileName) ? JoinPath(folder, record->fileName)
                                                                                 : FirstFileIn(folder);
        // A package reached through a junction or link is not ours: it is refused, not run.
        if (HasLinkOn(m_model.DownloadLocation(), package.empty() ? folder : package)) {
          failed = true;
        } else if (!package.empty()) {
          // The package is checked against its record and held open, so that nobody can write,
          // rename or delete it, until it has been copied into a fresh folder of the protected
          // work area. Only that copy is extracted and run; the folder goes with everything in it
          // once the package has run, on every path.
          const std::unique_ptr<IOpenFile> held = OpenRecordedPackage(device->strDriverDBId, package);
          const std::unique_ptr<TStagingFolder> staging =
              held ? TStagingFolder::Create(m_ports.shell, m_ports.fileSystem) : nullptr;
          const std::string staged =
              staging ? StagePackage(*held, device->strDriverDBId, staging->Path()) : std::string();
          if (!held) {
            // Not the file the server confirmed: it is deleted, never run.
            failed = true;
            DiscardPackage(device->strDriverDBId);
          } else if (staged.empty()) {
            failed = true;
          } else if (!ProcessDriverFile(staged, *device, rebootRequired, pCallbackHandler)) {
            failed = true;
            // With one device the user can install its package by hand.
            if (devices.size() == 1) m_ports.shell.Execute("", folder, "", SW_SHOWNORMAL);
          } else {
            result = true;
          }
        }
      }
      if (failed) {
        code = 1;
        m_stopped = true;
        result = false;
      }
      if (pCallbackHandler) pCallbackHandler->FinishDriverInstall(*device, code);
    }

    if (m_stopped) {
      if (pCallbackHandler) pCallbackHandler->FinishDriverInstall(*device, failed ? 1 : 2);
      finish(false, false);
      return result;
    }
  }
  finish(result, rebootRequired);
  return result;
}

bool TDataManager::ProcessDriverFile(const std::string& strDriverFile, TDeviceProperties& devProps, bool& doReboot,
                                     TICallbackHandler* pCallbackHandler) {
  switch (PackageKindOf(strDriverFile)) {
    case pkProgram:
      return LaunchAndWait(m_ports.shell, 0, strDriverFile, "", !m_model.IsOsVistaAndAbove(), true);
    case pkDocument:
      // Waited for: the staged copy it opens is removed once the install has run.
      return LaunchAndWait(m_ports.shell, 0, strDriverFile, "", true, true);
    case pkArchive:
      break;
  }

  if (!TZipArchive::IsValidArchive(strDriverFile)) return false;
  TZipArchive archive;
  archive.SetFileSystem(&m_ports.fileSystem);
  if (!archive.Open(strDriverFile)) return false;
  const std::string workFolder = JoinPath(FolderOfPath(strDriverFile), WORK_FOLDER_NAME);
  // The extraction's state does not outlive the package, on any path; the work folder goes
  // with the staging folder it is in.
  struct TCleanUp {
    TDataManager& engine;
    TZipArchive& archive;
    ~TCleanUp() {
      engine.m_pCallbackHandler = nullptr;
      archive.Close();
    }
  } cleanUp{*this, archive};
  m_pCallbackHandler = pCallbackHandler;
  m_PreviousFilename.clear();

  // The package's own staging folder holds nothing but the package: the work folder is new.
  std::error_code error;
  if (!fs::create_directory(ToPath(workFolder), error) || error) return false;
  if (pCallbackHandler) pCallbackHandler->StartExtract(static_cast<int32_t>(archive.EntryCount()));
  if (!archive.ExtractAll(workFolder, [this](const std::string& target) { OnZipProgress(target); })) return false;
  if (pCallbackHandler) pCallbackHandler->FinishExtract(true);
  return InstallDriverFile(strDriverFile, workFolder, devProps, doReboot, pCallbackHandler);
}

bool TDataManager::InstallDriverFile(const std::string& AfileName, const std::string& AsubFolder,
                                     TDeviceProperties& devProps, bool& ArebootReq,
                                     TICallbackHandler* /*pCallbackHandler*/) {
  const bool openVerb = !m_model.IsOsVistaAndAbove();
  auto launchFirst = [&](const std::vector<std::string>& files) {
    return LaunchAndWait(m_ports.shell, 0, files.front(), "", openVerb, true);
  };
  for (TArchiveMethod method : ArchiveMethodsFor(AfileName)) {
    switch (method) {
      case amInfFiles:
        for (const std::string& inf : FindFilesRecursive(m_ports.fileSystem, AsubFolder, "*.inf"))
          if (InstallDriver(devProps.strHID, inf, ArebootReq) == 0) return true;
        break;
      case amBatch: {
        std::vector<std::string> found = FindFilesRecursive(m_ports.fileSystem, AsubFolder, "install.bat");
        if (found.empty()) found = FindFilesRecursive(m_ports.fileSystem, AsubFolder, "install.cmd");
        if (!found.empty()) return launchFirst(found);
        break;
      }
      case amMsi:
      case amExe:
      case amSetupExe: {
        const char* mask = method == amMsi ? "*.msi" : method == amExe ? "*.exe" : "setup.exe";
        const std::vector<std::string> found = FindFilesRecursive(m_ports.fileSystem, AsubFolder, mask);
        if (!found.empty()) return launchFirst(found);
        break;
      }
    }
  }
  return false;
}

void TDataManager::OnZipProgress(const std::string& FileName) {
  if (!m_pCallbackHandler || FileName == m_PreviousFilename) return;
  m_PreviousFilename = FileName;
  m_pCallbackHandler->StartFileExtract(EntryNamePart(FileName));
}
