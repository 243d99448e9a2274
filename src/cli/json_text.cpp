#include "cli/json_text.h"

#include <cstdio>

std::string JsonText(const std::string& text) {
  std::string result = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      result += '\\';
      result += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
      result += escaped;
    } else {
      result += static_cast<char>(c);
    }
  }
  return result + "\"";
}

std::string JsonList(const std::vector<std::string>& texts) {
  std::string result = "[";
  for (size_t i = 0; i < texts.size(); ++i) result += (i ? ", " : "") + JsonText(texts[i]);
  return result + "]";
}
