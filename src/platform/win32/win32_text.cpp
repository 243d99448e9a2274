#include "platform/win32/win32_text.h"

#include <windows.h>

std::wstring Utf8ToWide(const std::string& text) {
  if (text.empty()) return {};
  int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

std::string WideToUtf8(const wchar_t* text, size_t length) {
  if (length == 0) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), utf8.data(), size, nullptr, nullptr);
  return utf8;
}

std::string WideToUtf8(const std::wstring& text) { return WideToUtf8(text.data(), text.size()); }
