// Zip archive reader: the central directory (Zip64 too), stored and deflated (zlib)
// entries, each entry checked against its CRC-32 and sizes, extraction into a
// folder that keeps the archive's folders. Paths and entry names are UTF-8 text.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_system.h"

// One entry of the central directory.
struct TZipEntry {
  std::string strName;             // UTF-8 ("\" already turned into "/"); a folder ends with "/"
  std::uint16_t nFlags = 0;        // general-purpose bits (1 encrypted, 8 data descriptor, 0x800 UTF-8 name)
  std::uint16_t nMethod = 0;       // 0 stored, 8 deflated; any other method cannot be extracted
  std::uint32_t nCrc32 = 0;        // of the uncompressed bytes
  std::uint64_t nCompressedSize = 0;
  std::uint64_t nSize = 0;         // uncompressed
  std::uint64_t nLocalHeaderOffset = 0;

  bool IsFolder() const { return !strName.empty() && strName.back() == '/'; }
};

class TZipArchive {
 public:
  // Called with an entry's target path (UTF-8, the target folder joined with the
  // entry's name) before the entry is extracted: at least once per entry, in
  // extraction order (the order of the central directory).
  using TProgressHandler = std::function<void(const std::string& targetPath)>;

  TZipArchive() = default;
  TZipArchive(const TZipArchive&) = delete;
  TZipArchive& operator=(const TZipArchive&) = delete;

  // True when the file ends with a sane zip directory: what Open accepts.
  static bool IsValidArchive(const std::string& AFileName);

  // Opens the archive and reads its central directory (an archive behind a
  // self-extracting stub is found too). False, with ErrorText, when the file
  // cannot be read, holds no zip directory, or the directory is damaged. Closes
  // an archive opened before.
  bool Open(const std::string& AFileName);
  void Close();
  bool IsOpen() const { return m_file.is_open(); }

  // The entries of the central directory, in its order (folder entries included).
  size_t EntryCount() const { return m_entries.size(); }
  const std::vector<TZipEntry>& Entries() const { return m_entries; }

  // Extracts every entry into ATargetFolder (created when missing), keeping the
  // archive's folders; folder entries create folders, existing files are replaced.
  // False, with ErrorText, on the first failure: an unsafe entry name (one that
  // would land outside the folder, checked for all entries before anything is
  // written), an encrypted entry or an unsupported method, damaged or truncated
  // data, a size or CRC-32 mismatch, a path through a link (the target folder included), or a file
  // that cannot be written. The failed entry's partial file is removed; entries
  // extracted before it stay.
  bool ExtractAll(const std::string& ATargetFolder, const TProgressHandler& AOnProgress = {});

  // The file system that tells the extraction which paths are links (junctions too);
  // without one, the standard library's symbolic links are the only ones seen.
  void SetFileSystem(IFileSystem* AFileSystem) { m_fileSystem = AFileSystem; }

  // Reads one entry's bytes into AContent, checked like an extraction. False, with
  // ErrorText, when it fails or the entry is larger than AMaxSize bytes.
  bool ReadEntry(size_t AIndex, std::string& AContent, std::uint64_t AMaxSize);

  // Why the last Open, ExtractAll or ReadEntry failed (the entry's name included).
  const std::string& ErrorText() const { return m_errorText; }

  // True when an entry name ("/" or "\" as separators) stays inside the folder it
  // is extracted to: not absolute, no drive letter, no ".." element, and no
  // characters that Windows refuses in file names.
  static bool IsSafeEntryName(const std::string& AName);

 private:
  bool Fail(const std::string& AText);
  bool IsLink(const std::string& APath);
  bool ReadAt(std::uint64_t AOffset, void* ABuffer, size_t ASize);
  bool ReadDirectory();
  bool DataRange(const TZipEntry& AEntry, std::uint64_t& ADataOffset);
  template <typename TSink>
  bool Decode(const TZipEntry& AEntry, TSink&& ASink);

  std::ifstream m_file;
  std::uint64_t m_fileSize = 0;
  std::uint64_t m_base = 0;             // bytes in front of the archive (self-extracting stub)
  std::uint64_t m_directoryOffset = 0;  // where the central directory starts, from m_base
  std::vector<TZipEntry> m_entries;
  std::vector<char> m_inBuffer;
  std::vector<char> m_outBuffer;
  std::string m_errorText;
  IFileSystem* m_fileSystem = nullptr;
};
