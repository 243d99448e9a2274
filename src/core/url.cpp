#include "core/url.h"

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string DecodeURL(const std::string& AURL) {
  std::string decoded;
  decoded.reserve(AURL.size());
  for (size_t i = 0; i < AURL.size(); ++i) {
    if (AURL[i] == '+') {
      decoded += ' ';
    } else if (AURL[i] == '%' && i + 2 < AURL.size() && HexValue(AURL[i + 1]) >= 0 &&
               HexValue(AURL[i + 2]) >= 0) {
      decoded += static_cast<char>(HexValue(AURL[i + 1]) * 16 + HexValue(AURL[i + 2]));
      i += 2;
    } else {
      decoded += AURL[i];
    }
  }
  return decoded;
}

void OpenURL(IShell& shell, const std::string& AURL) {
  shell.Execute("open", DecodeURL(AURL), {}, SW_SHOWNORMAL);
}

bool LaunchBrowser(IShell& shell, const std::string& url) {
  return shell.Execute("open", url, {}, SW_SHOWNORMAL) > 32;
}
