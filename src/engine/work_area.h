// The program's protected work area, "%ProgramData%\Quorvane": the only place where the
// elevated program extracts, runs and restores. Its folders are made by the program with an
// administrators-only DACL; one that is a reparse point, has another owner or lets anyone
// else write is never used: it is moved aside, left as it is, and made again.
#pragma once

#include <string>

#include "platform/file_system.h"
#include "platform/shell.h"

inline constexpr const char* QV_WORK_AREA_NAME = "Quorvane";
// The work area's folder of the fresh folders packages and backups are staged in.
inline constexpr const char* QV_STAGING_FOLDER_NAME = "Staging";
// The work area's folder the program's own update saves its setup in and starts it from.
inline constexpr const char* QV_UPDATE_FOLDER_NAME = "Update";

class TWorkArea {
 public:
  TWorkArea(IShell& shell, IFileSystem& fileSystem) : m_shell(shell), m_fileSystem(fileSystem) {}

  // The work area itself, made or checked now; empty when it cannot be had.
  std::string Root();
  // A protected folder of that name directly in the work area, made or checked now, the work
  // area with it; empty when either cannot be had.
  std::string Folder(const std::string& name);

 private:
  // The protected folder at path: as it is when it can be trusted, else made anew.
  std::string Ensure(const std::string& path);

  IShell& m_shell;
  IFileSystem& m_fileSystem;
};
