#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include "platform/win32/win32_text.h"

bool TWin32FileSystem::DriveExists(char letter) {
  const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
  return GetDriveTypeW(root) != DRIVE_NO_ROOT_DIR;
}

bool TWin32FileSystem::MoveFileOver(const std::string& source, const std::string& target) {
  return MoveFileExW(Utf8ToWide(source).c_str(), Utf8ToWide(target).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}
