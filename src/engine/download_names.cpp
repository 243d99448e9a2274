#include "engine/download_names.h"

#include <cstdint>

#include "proto/utf8_text.h"

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Each complete %XX escape becomes its byte; everything else, "+" included, is kept.
std::string PercentDecoded(const std::string& text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      bytes += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      bytes += text[i];
    }
  }
  return bytes;
}

}  // namespace

std::string DownloadFileName(const std::string& url) {
  const std::string bytes = PercentDecoded(url.substr(0, url.find('?')));
  std::string name = DecodeUtf8(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  const size_t slash = name.rfind('/');
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const size_t underscore = name.find('_');
  if (underscore != std::string::npos) name.erase(0, underscore + 1);
  return name;
}

bool IsPlainEntryName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  if (name.back() == '.' || name.back() == ' ') return false;
  for (char c : name) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 32 || c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
        c == '>' || c == '|')
      return false;
  }
  return true;
}
