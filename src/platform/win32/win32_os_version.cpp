#include "platform/win32/win32_os_version.h"

#include <windows.h>

#include "platform/win32/win32_text.h"

namespace {

using TRtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOEXW*);

// RtlGetVersion reports the true version; GetVersionExW is shimmed for programs
// without a compatibility manifest.
bool RtlVersion(OSVERSIONINFOEXW& info) {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");  // always loaded, from the system folder
  auto rtlGetVersion = ntdll ? reinterpret_cast<TRtlGetVersion>(
                                   reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                             : nullptr;
  info = OSVERSIONINFOEXW{};
  info.dwOSVersionInfoSize = sizeof(info);
  return rtlGetVersion && rtlGetVersion(&info) == 0;
}

}  // namespace

TOsVersionNumbers TWin32OsVersion::Version() {
  OSVERSIONINFOEXW info;
  if (!RtlVersion(info)) return {};
  return {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
}

std::optional<TOsExtendedVersion> TWin32OsVersion::ExtendedVersion() {
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return std::nullopt;
#pragma GCC diagnostic pop
  return TOsExtendedVersion{info.wProductType, info.wSuiteMask};
}

bool TWin32OsVersion::IsServerR2() { return GetSystemMetrics(SM_SERVERR2) != 0; }

uint16_t TWin32OsVersion::ProcessorArchitecture() {
  SYSTEM_INFO info{};
  GetNativeSystemInfo(&info);
  return info.wProcessorArchitecture;
}

std::optional<uint32_t> TWin32OsVersion::ProductInfo(uint32_t major, uint32_t minor, uint32_t spMajor,
                                                     uint32_t spMinor) {
  DWORD type = 0;
  if (!GetProductInfo(major, minor, spMajor, spMinor, &type)) return std::nullopt;
  return type;
}

bool TWin32OsVersion::VerifyVersionAtLeast(uint32_t major, uint32_t minor) {
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  info.dwMajorVersion = major;
  info.dwMinorVersion = minor;
  ULONGLONG condition = 0;
  condition = VerSetConditionMask(condition, VER_MAJORVERSION, VER_GREATER_EQUAL);
  condition = VerSetConditionMask(condition, VER_MINORVERSION, VER_GREATER_EQUAL);
  return VerifyVersionInfoW(&info, VER_MAJORVERSION | VER_MINORVERSION, condition) != FALSE;
}

std::string TWin32OsVersion::DnsHostName() {
  DWORD length = 0;
  GetComputerNameExW(ComputerNameDnsHostname, nullptr, &length);  // the length with the terminator
  if (length == 0) return {};
  std::wstring name(length, L'\0');
  if (!GetComputerNameExW(ComputerNameDnsHostname, name.data(), &length)) return {};
  return WideToUtf8(name.data(), length);
}
