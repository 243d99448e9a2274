// Started by the Windows tests: waits the given milliseconds, writes the marker
// file, and exits with code 7. Without arguments, as an installer is started, it
// writes "child-started.txt" into its current folder, waits 1.5 s and writes
// "child-ran.txt" there.
#include <windows.h>

#include <cwchar>

namespace {

bool WriteMarker(const wchar_t* name) {
  HANDLE file = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 || argc > 3) return 1;
  if (argc == 1 && !WriteMarker(L"child-started.txt")) return 2;
  const wchar_t* marker = argc == 1 ? L"child-ran.txt" : argv[1];
  Sleep(argc == 1 ? 1500 : static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
  return WriteMarker(marker) ? 7 : 2;
}
