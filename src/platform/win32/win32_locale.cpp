#include "platform/win32/win32_locale.h"

#include <windows.h>

#include "platform/win32/win32_text.h"

int TWin32Locale::CompareText(const std::string& a, const std::string& b) {
  const std::wstring wa = Utf8ToWide(a), wb = Utf8ToWide(b);
  int result = CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE, wa.c_str(), static_cast<int>(wa.size()),
                               wb.c_str(), static_cast<int>(wb.size()), nullptr, nullptr, 0);
  if (result == 0) return wa.compare(wb) < 0 ? -1 : wa.compare(wb) > 0 ? 1 : 0;  // the call failed
  return result - CSTR_EQUAL;
}

std::string TWin32Locale::DecimalSeparator() {
  wchar_t separator[8] = {};
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) == 0) return ".";
  return WideToUtf8(std::wstring(separator));
}

std::string TWin32Locale::LongMonthName(int month) {
  if (month < 1 || month > 12) return {};
  wchar_t name[80] = {};
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SMONTHNAME1 + static_cast<LCTYPE>(month - 1), name, 80) == 0)
    return {};
  return WideToUtf8(std::wstring(name));
}

std::string TWin32Locale::LongDayName(int dayOfWeek) {
  if (dayOfWeek < 0 || dayOfWeek > 6) return {};
  // LOCALE_SDAYNAME1 is Monday, LOCALE_SDAYNAME7 Sunday.
  const LCTYPE type = LOCALE_SDAYNAME1 + static_cast<LCTYPE>((dayOfWeek + 6) % 7);
  wchar_t name[80] = {};
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, name, 80) == 0) return {};
  return WideToUtf8(std::wstring(name));
}

std::string TWin32Locale::ShortDate(int year, int month, int day) {
  SYSTEMTIME date{};
  date.wYear = static_cast<WORD>(year);
  date.wMonth = static_cast<WORD>(month);
  date.wDay = static_cast<WORD>(day);
  wchar_t text[80] = {};
  if (GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &date, nullptr, text, 80, nullptr) == 0) return {};
  return WideToUtf8(std::wstring(text));
}

TLocalTime TWin32Locale::LocalNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::string TWin32Locale::AnsiToUtf8(const std::string& bytes) {
  if (bytes.empty()) return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), length);
  return WideToUtf8(wide);
}
