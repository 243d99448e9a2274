#include "engine/download_names.h"

#include <cstdint>
#include <filesystem>
#include <system_error>

#include "core/paths.h"
#include "core/url.h"
#include "platform/ascii_case.h"
#include "platform/path_parts.h"
#include "proto/utf8_text.h"

std::string DownloadFileName(const std::string& url) {
  const std::string bytes = PercentDecoded(url.substr(0, url.find('?')), false);
  std::string name = DecodeUtf8(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  const size_t slash = name.rfind('/');
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const size_t underscore = name.find('_');
  if (underscore != std::string::npos) name.erase(0, underscore + 1);
  return name;
}

TPackageFileType PackageFileTypeOf(const std::string& path) {
  const std::string name = FileNameOfPath(path);
  const size_t dot = name.rfind('.');
  const std::string extension = dot == std::string::npos ? std::string() : AsciiLower(name.substr(dot));
  if (extension == ".exe") return pfProgram;
  if (extension == ".msi") return pfInstallerPackage;
  if (extension == ".zip") return pfArchive;
  return pfOther;
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

std::string FirstFileIn(const std::string& folder) {
  std::error_code error;
  for (std::filesystem::directory_iterator it(ToPath(folder), error), end; !error && it != end; it.increment(error)) {
    std::error_code kindError;
    if (!it->is_directory(kindError)) return FromPath(it->path());
  }
  return {};
}
