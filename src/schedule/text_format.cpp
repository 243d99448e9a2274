#include "schedule/text_format.h"

std::optional<std::string> FormatArgs(const std::string& format, const std::vector<TFormatArg>& args) {
  std::string text;
  size_t next = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      text += format[i];
      continue;
    }
    if (++i >= format.size()) return std::nullopt;
    if (format[i] == '%') {
      text += '%';
      continue;
    }
    size_t index = next;
    if (format[i] >= '0' && format[i] <= '9') {
      index = 0;
      while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
        index = index * 10 + static_cast<size_t>(format[i] - '0');
        if (index > args.size()) return std::nullopt;
        ++i;
      }
      if (i >= format.size() || format[i] != ':') return std::nullopt;
      if (++i >= format.size()) return std::nullopt;
    }
    if (index >= args.size()) return std::nullopt;
    const TFormatArg& arg = args[index];
    next = index + 1;
    switch (format[i]) {
      case 's':
        if (!std::holds_alternative<std::string>(arg)) return std::nullopt;
        text += std::get<std::string>(arg);
        break;
      case 'd':
        if (!std::holds_alternative<int64_t>(arg)) return std::nullopt;
        text += std::to_string(std::get<int64_t>(arg));
        break;
      case 'u':
        if (!std::holds_alternative<int64_t>(arg) || std::get<int64_t>(arg) < 0) return std::nullopt;
        text += std::to_string(std::get<int64_t>(arg));
        break;
      default:
        return std::nullopt;
    }
  }
  return text;
}
