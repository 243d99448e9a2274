#include "core/url.h"

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string PercentDecoded(const std::string& text, bool plusAsBlank) {
  std::string decoded;
  decoded.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (plusAsBlank && text[i] == '+') {
      decoded += ' ';
    } else if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      decoded += text[i];
    }
  }
  return decoded;
}

std::string DecodeURL(const std::string& AURL) { return PercentDecoded(AURL, true); }

void OpenURL(IShell& shell, const std::string& AURL) {
  shell.Execute("open", DecodeURL(AURL), {}, SW_SHOWNORMAL);
}

bool LaunchBrowser(IShell& shell, const std::string& url) {
  return shell.Execute("open", url, {}, SW_SHOWNORMAL) > 32;
}
