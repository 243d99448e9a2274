// The parts of a Windows path held as text, where either "\" or "/" separates them.
#pragma once

#include <string>
#include <string_view>

// What follows the last separator; the whole text when it has none, and nothing
// when it ends with one.
inline std::string FileNameOfPath(std::string_view path) {
  const size_t slash = path.find_last_of("\\/");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// What precedes the last separator: the folder a file is in; nothing when there is no
// separator. A file in a root gives the root with its separator ("C:\", "/").
inline std::string FolderOfPath(std::string_view path) {
  const size_t slash = path.find_last_of("\\/");
  if (slash == std::string_view::npos) return {};
  const bool root = slash == 0 || (slash == 2 && path[1] == ':');
  return std::string(path.substr(0, root ? slash + 1 : slash));
}

// A name that stays inside the folder it is joined to: one non-empty path
// component other than "." and "..", without separators, drive colons or
// control characters.
inline bool IsPlainFileName(std::string_view name) {
  for (char c : name)
    if (c == '\\' || c == '/' || c == ':' || static_cast<unsigned char>(c) < 0x20) return false;
  // Windows drops trailing dots and spaces, so ".. " names the parent folder too.
  return name.find_last_not_of(". ") != std::string_view::npos;
}
