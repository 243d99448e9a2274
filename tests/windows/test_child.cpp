// Started by the Windows tests: waits the given milliseconds, writes the marker
// file, and exits with code 7.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 1;
  Sleep(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
  HANDLE marker = CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (marker == INVALID_HANDLE_VALUE) return 2;
  CloseHandle(marker);
  return 7;
}
