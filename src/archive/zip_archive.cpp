// Zip archive reader over zlib. The central directory is the authority for names,
// sizes and checksums; the local header only tells where an entry's data starts.
#include "archive/zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <limits>
#include <set>
#include <system_error>

#include "platform/ascii_case.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t END_OF_DIRECTORY = 0x06054b50;
constexpr std::uint32_t ZIP64_LOCATOR = 0x07064b50;
constexpr std::uint32_t ZIP64_END_OF_DIRECTORY = 0x06064b50;
constexpr std::uint16_t ZIP64_EXTRA_FIELD = 0x0001;
constexpr std::uint32_t DIRECTORY_ENTRY = 0x02014b50;
constexpr std::uint32_t LOCAL_HEADER = 0x04034b50;
constexpr size_t END_RECORD_SIZE = 22;
constexpr size_t ZIP64_LOCATOR_SIZE = 20;
constexpr size_t ZIP64_END_RECORD_SIZE = 56;
constexpr size_t MAX_COMMENT_SIZE = 65535;
constexpr size_t DIRECTORY_ENTRY_SIZE = 46;
constexpr size_t LOCAL_HEADER_SIZE = 30;
constexpr std::uint16_t FLAG_ENCRYPTED = 0x0001;
constexpr std::uint16_t FLAG_UTF8_NAME = 0x0800;
constexpr std::uint16_t METHOD_STORED = 0;
constexpr std::uint16_t METHOD_DEFLATED = 8;
// Large enough that zlib stays in its fast loop and file reads and writes are few.
constexpr size_t BUFFER_SIZE = 256 * 1024;
constexpr std::uint64_t MAX_RESERVE = 16 * 1024 * 1024;

std::uint32_t Le16(const unsigned char* p) { return p[0] | p[1] << 8; }
std::uint32_t Le32(const unsigned char* p) { return Le16(p) | Le16(p + 2) << 16; }
std::uint64_t Le64(const unsigned char* p) { return Le32(p) | static_cast<std::uint64_t>(Le32(p + 4)) << 32; }

// Sizes and offset that do not fit 32 bits are 0xFFFFFFFF in the directory entry
// and follow, in this order and only those, in its Zip64 extra field. False when
// a field is missing.
bool ReadZip64Fields(TZipEntry& entry, const unsigned char* extra, size_t extraSize) {
  std::uint64_t* fields[] = {&entry.nSize, &entry.nCompressedSize, &entry.nLocalHeaderOffset};
  bool needed = false;
  for (std::uint64_t* field : fields) needed |= *field == 0xFFFFFFFF;
  if (!needed) return true;
  size_t at = 0;
  while (extraSize - at >= 4) {
    size_t id = Le16(extra + at), size = Le16(extra + at + 2);
    if (size > extraSize - at - 4) return false;
    if (id == ZIP64_EXTRA_FIELD) {
      const unsigned char* data = extra + at + 4;
      size_t used = 0;
      for (std::uint64_t* field : fields) {
        if (*field != 0xFFFFFFFF) continue;
        if (size - used < 8) return false;
        *field = Le64(data + used);
        used += 8;
      }
      return true;
    }
    at += 4 + size;
  }
  return false;
}

fs::path Utf8Path(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }
std::string PathText(const fs::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | code >> 6);
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | code >> 12);
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Code page 437, the names of zip entries without the UTF-8 flag: bytes 0x80 to 0xFF.
constexpr std::array<std::uint16_t, 128> CP437_HIGH = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

std::string Cp437ToUtf8(const unsigned char* bytes, size_t size) {
  std::string out;
  out.reserve(size);
  for (size_t i = 0; i < size; ++i) AppendUtf8(out, bytes[i] < 0x80 ? bytes[i] : CP437_HIGH[bytes[i] - 0x80]);
  return out;
}

// Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(const std::string& text) {
  size_t i = 0;
  while (i < text.size()) {
    auto c = static_cast<unsigned char>(text[i]);
    size_t length;
    std::uint32_t code;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      length = 2, code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3, code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4, code = c & 0x07;
    } else {
      return false;
    }
    if (text.size() - i < length) return false;
    for (size_t k = 1; k < length; ++k) {
      auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    if ((length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
        (length == 4 && (code < 0x10000 || code > 0x10FFFF)))
      return false;
    i += length;
  }
  return true;
}

bool IsReservedDeviceName(std::string component) {
  // Windows opens a device for these names, with or without an extension.
  component = AsciiUpper(component.substr(0, component.find('.')));
  while (!component.empty() && component.back() == ' ') component.pop_back();
  if (component == "CON" || component == "PRN" || component == "AUX" || component == "NUL") return true;
  return component.size() == 4 && (component.starts_with("COM") || component.starts_with("LPT")) &&
         component[3] >= '1' && component[3] <= '9';
}

// The name's folder and file components, without empty and "." components.
std::vector<std::string> NameComponents(const std::string& name) {
  std::vector<std::string> components;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("/\\", start);
    if (end == std::string::npos) end = name.size();
    std::string component = name.substr(start, end - start);
    if (!component.empty() && component != ".") components.push_back(std::move(component));
    start = end + 1;
  }
  return components;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Ends an inflate stream on every path.
class TInflateStream {
 public:
  TInflateStream() { m_ready = inflateInit2(&m_stream, -MAX_WBITS) == Z_OK; }
  ~TInflateStream() {
    if (m_ready) inflateEnd(&m_stream);
  }
  TInflateStream(const TInflateStream&) = delete;
  TInflateStream& operator=(const TInflateStream&) = delete;
  bool Ready() const { return m_ready; }
  z_stream& Stream() { return m_stream; }

 private:
  z_stream m_stream{};
  bool m_ready = false;
};

}  // namespace

bool TZipArchive::IsValidArchive(const std::string& AFileName) {
  TZipArchive archive;
  return archive.Open(AFileName);
}

bool TZipArchive::IsSafeEntryName(const std::string& AName) {
  if (AName.empty() || AName.front() == '/' || AName.front() == '\\') return false;
  for (char c : AName) {
    auto byte = static_cast<unsigned char>(c);
    // A colon is a drive letter or an alternate data stream on Windows.
    if (byte < 0x20 || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|') return false;
  }
  size_t start = 0;
  while (start <= AName.size()) {
    size_t end = AName.find_first_of("/\\", start);
    if (end == std::string::npos) end = AName.size();
    std::string component = AName.substr(start, end - start);
    // Windows drops trailing dots and spaces, so ".. " and "..." mean "..".
    size_t kept = component.find_last_not_of(". ");
    if (!component.empty() && component != "." && kept == std::string::npos) return false;
    if (!component.empty() && IsReservedDeviceName(component)) return false;
    start = end + 1;
  }
  return true;
}

bool TZipArchive::Fail(const std::string& AText) {
  m_errorText = AText;
  return false;
}

void TZipArchive::Close() {
  if (m_file.is_open()) m_file.close();
  m_file.clear();
  m_fileSize = 0;
  m_base = 0;
  m_directoryOffset = 0;
  m_entries.clear();
}

bool TZipArchive::ReadAt(std::uint64_t AOffset, void* ABuffer, size_t ASize) {
  if (AOffset > m_fileSize || ASize > m_fileSize - AOffset) return false;
  m_file.clear();
  if (!m_file.seekg(static_cast<std::streamoff>(AOffset))) return false;
  return static_cast<bool>(m_file.read(static_cast<char*>(ABuffer), static_cast<std::streamsize>(ASize)));
}

bool TZipArchive::Open(const std::string& AFileName) {
  Close();
  m_errorText.clear();
  m_file.open(Utf8Path(AFileName), std::ios::binary);
  if (!m_file.is_open()) return Fail("Cannot open the archive " + Quoted(AFileName) + ".");
  m_file.seekg(0, std::ios::end);
  auto end = m_file.tellg();
  if (end < 0) {
    Close();
    return Fail("Cannot read the archive " + Quoted(AFileName) + ".");
  }
  m_fileSize = static_cast<std::uint64_t>(end);
  if (!ReadDirectory()) {
    std::string reason = m_errorText;
    Close();
    return Fail(Quoted(AFileName) + ": " + reason);
  }
  return true;
}

bool TZipArchive::ReadDirectory() {
  if (m_fileSize < END_RECORD_SIZE) return Fail("not a zip archive.");
  size_t tailSize = static_cast<size_t>(std::min<std::uint64_t>(m_fileSize, END_RECORD_SIZE + MAX_COMMENT_SIZE));
  std::vector<unsigned char> tail(tailSize);
  if (!ReadAt(m_fileSize - tailSize, tail.data(), tailSize)) return Fail("cannot read the archive.");

  // The last end record whose comment fits in the file.
  size_t at = tailSize - END_RECORD_SIZE + 1;
  bool found = false;
  while (at-- > 0) {
    if (Le32(&tail[at]) == END_OF_DIRECTORY && at + END_RECORD_SIZE + Le16(&tail[at + 20]) <= tailSize) {
      found = true;
      break;
    }
  }
  if (!found) return Fail("not a zip archive.");
  const unsigned char* record = &tail[at];
  // Where the directory ends: the end record, or the Zip64 end record in front of it.
  std::uint64_t directoryEnd = m_fileSize - tailSize + at;
  std::uint64_t disk = Le16(record + 4), directoryDisk = Le16(record + 6);
  std::uint64_t entriesOnDisk = Le16(record + 8), count = Le16(record + 10);
  std::uint64_t directorySize = Le32(record + 12), directoryOffset = Le32(record + 16);

  unsigned char locator[ZIP64_LOCATOR_SIZE];
  if (directoryEnd >= ZIP64_LOCATOR_SIZE && ReadAt(directoryEnd - ZIP64_LOCATOR_SIZE, locator, sizeof locator) &&
      Le32(locator) == ZIP64_LOCATOR) {
    if (Le32(locator + 4) != 0 || Le32(locator + 16) > 1)
      return Fail("an archive split over several parts, which is not supported.");
    // The Zip64 end record is where the locator says, or, behind a stub that
    // shifts the archive, right in front of the locator.
    std::uint64_t locatorAt = directoryEnd - ZIP64_LOCATOR_SIZE;
    std::uint64_t candidates[] = {Le64(locator + 8), locatorAt >= ZIP64_END_RECORD_SIZE ? locatorAt - ZIP64_END_RECORD_SIZE : locatorAt};
    unsigned char zip64[ZIP64_END_RECORD_SIZE];
    std::uint64_t recordAt = 0;
    bool recordFound = false;
    for (std::uint64_t candidate : candidates) {
      if (candidate >= locatorAt || locatorAt - candidate < ZIP64_END_RECORD_SIZE) continue;
      if (ReadAt(candidate, zip64, sizeof zip64) && Le32(zip64) == ZIP64_END_OF_DIRECTORY &&
          Le64(zip64 + 4) == locatorAt - candidate - 12) {
        recordAt = candidate;
        recordFound = true;
        break;
      }
    }
    // Without its record the locator counts only when the end record defers to it.
    bool deferred = entriesOnDisk == 0xFFFF || count == 0xFFFF || directorySize == 0xFFFFFFFF ||
                    directoryOffset == 0xFFFFFFFF;
    if (!recordFound && deferred) return Fail("the Zip64 directory is damaged or the archive is truncated.");
    if (recordFound) {
      directoryEnd = recordAt;
      disk = Le32(zip64 + 16), directoryDisk = Le32(zip64 + 20);
      entriesOnDisk = Le64(zip64 + 24), count = Le64(zip64 + 32);
      directorySize = Le64(zip64 + 40), directoryOffset = Le64(zip64 + 48);
    }
  }
  if (disk != 0 || directoryDisk != 0 || entriesOnDisk != count)
    return Fail("an archive split over several parts, which is not supported.");
  if (directorySize > directoryEnd || directoryOffset > directoryEnd - directorySize ||
      count > directorySize / DIRECTORY_ENTRY_SIZE)
    return Fail("the zip directory is damaged or the archive is truncated.");
  // Anything in front of the archive (a self-extracting stub) shifts every offset.
  m_base = directoryEnd - directorySize - directoryOffset;
  m_directoryOffset = directoryOffset;

  std::vector<unsigned char> directory(static_cast<size_t>(directorySize));
  if (!ReadAt(m_base + directoryOffset, directory.data(), directory.size())) return Fail("cannot read the zip directory.");
  m_entries.reserve(static_cast<size_t>(count));
  size_t position = 0;
  for (std::uint64_t i = 0; i < count; ++i) {
    if (directory.size() - position < DIRECTORY_ENTRY_SIZE || Le32(&directory[position]) != DIRECTORY_ENTRY)
      return Fail("the zip directory is damaged.");
    const unsigned char* item = &directory[position];
    size_t nameSize = Le16(item + 28), extraSize = Le16(item + 30), commentSize = Le16(item + 32);
    if (directory.size() - position - DIRECTORY_ENTRY_SIZE < nameSize + extraSize + commentSize)
      return Fail("the zip directory is damaged.");
    TZipEntry entry;
    entry.nFlags = static_cast<std::uint16_t>(Le16(item + 8));
    entry.nMethod = static_cast<std::uint16_t>(Le16(item + 10));
    entry.nCrc32 = Le32(item + 16);
    entry.nCompressedSize = Le32(item + 20);
    entry.nSize = Le32(item + 24);
    entry.nLocalHeaderOffset = Le32(item + 42);
    const unsigned char* name = item + DIRECTORY_ENTRY_SIZE;
    if (entry.nFlags & FLAG_UTF8_NAME) {
      entry.strName.assign(reinterpret_cast<const char*>(name), nameSize);
      if (!IsValidUtf8(entry.strName)) return Fail("the zip directory holds a name that is not valid UTF-8.");
    } else {
      entry.strName = Cp437ToUtf8(name, nameSize);
    }
    std::replace(entry.strName.begin(), entry.strName.end(), '\\', '/');
    if (!ReadZip64Fields(entry, name + nameSize, extraSize))
      return Fail("the Zip64 fields of the zip directory are damaged.");
    if (entry.nLocalHeaderOffset > m_directoryOffset) return Fail("the zip directory is damaged.");
    m_entries.push_back(std::move(entry));
    position += DIRECTORY_ENTRY_SIZE + nameSize + extraSize + commentSize;
  }
  return true;
}

// Finds where the entry's data starts; its data must end before the directory.
bool TZipArchive::DataRange(const TZipEntry& AEntry, std::uint64_t& ADataOffset) {
  const std::string damaged = "The zip entry " + Quoted(AEntry.strName) + " is damaged or the archive is truncated.";
  unsigned char header[LOCAL_HEADER_SIZE];
  if (m_directoryOffset - AEntry.nLocalHeaderOffset < LOCAL_HEADER_SIZE ||
      !ReadAt(m_base + AEntry.nLocalHeaderOffset, header, sizeof header) || Le32(header) != LOCAL_HEADER)
    return Fail(damaged);
  std::uint64_t data = AEntry.nLocalHeaderOffset + LOCAL_HEADER_SIZE + Le16(header + 26) + Le16(header + 28);
  if (data > m_directoryOffset || AEntry.nCompressedSize > m_directoryOffset - data) return Fail(damaged);
  ADataOffset = m_base + data;
  return true;
}

// Streams the entry's uncompressed bytes to ASink(const char*, size_t) -> bool and
// checks them against the directory's size and CRC-32.
template <typename TSink>
bool TZipArchive::Decode(const TZipEntry& AEntry, TSink&& ASink) {
  const std::string entry = "The zip entry " + Quoted(AEntry.strName);
  if (AEntry.nFlags & FLAG_ENCRYPTED) return Fail(entry + " is encrypted, which is not supported.");
  if (AEntry.nMethod != METHOD_STORED && AEntry.nMethod != METHOD_DEFLATED)
    return Fail(entry + " uses compression method " + std::to_string(AEntry.nMethod) + ", which is not supported.");
  if (AEntry.nMethod == METHOD_STORED && AEntry.nCompressedSize != AEntry.nSize)
    return Fail(entry + " is damaged: its sizes do not match.");
  std::uint64_t offset;
  if (!DataRange(AEntry, offset)) return false;
  m_inBuffer.resize(BUFFER_SIZE);
  m_file.clear();
  if (!m_file.seekg(static_cast<std::streamoff>(offset))) return Fail("Cannot read the zip entry " + Quoted(AEntry.strName) + ".");

  std::uint64_t remaining = AEntry.nCompressedSize;
  std::uint64_t produced = 0;
  uLong crc = crc32(0L, Z_NULL, 0);
  auto readChunk = [&](size_t& size) {
    size = static_cast<size_t>(std::min<std::uint64_t>(remaining, BUFFER_SIZE));
    if (!m_file.read(m_inBuffer.data(), static_cast<std::streamsize>(size))) return false;
    remaining -= size;
    return true;
  };
  const std::string readError = "Cannot read the zip entry " + Quoted(AEntry.strName) + ".";
  const std::string writeError = "Cannot write the zip entry " + Quoted(AEntry.strName) + ".";

  if (AEntry.nMethod == METHOD_STORED) {
    while (remaining > 0) {
      size_t size;
      if (!readChunk(size)) return Fail(readError);
      crc = crc32(crc, reinterpret_cast<const Bytef*>(m_inBuffer.data()), static_cast<uInt>(size));
      if (!ASink(m_inBuffer.data(), size)) return Fail(writeError);
      produced += size;
    }
  } else {
    TInflateStream inflater;
    if (!inflater.Ready()) return Fail("zlib cannot start inflating.");
    z_stream& stream = inflater.Stream();
    m_outBuffer.resize(BUFFER_SIZE);
    bool ended = false;
    while (!ended) {
      // With the input used up, zlib may still hold output for a full buffer: only
      // a call that makes no progress means the data ends early.
      if (stream.avail_in == 0 && remaining > 0) {
        size_t size;
        if (!readChunk(size)) return Fail(readError);
        stream.next_in = reinterpret_cast<Bytef*>(m_inBuffer.data());
        stream.avail_in = static_cast<uInt>(size);
      }
      const uInt inputBefore = stream.avail_in;
      stream.next_out = reinterpret_cast<Bytef*>(m_outBuffer.data());
      stream.avail_out = static_cast<uInt>(m_outBuffer.size());
      int result = inflate(&stream, Z_NO_FLUSH);
      if (result == Z_STREAM_END) {
        ended = true;
      } else if (result != Z_OK && result != Z_BUF_ERROR) {
        return Fail(entry + " is damaged: its deflate data is invalid.");
      }
      size_t size = m_outBuffer.size() - stream.avail_out;
      if (!ended && size == 0 && stream.avail_in == inputBefore)
        return Fail(entry + " is damaged: its deflate data ends early.");
      // More bytes than the directory promises: damaged, and never written.
      if (size > AEntry.nSize - produced) return Fail(entry + " is damaged: its size does not match the directory.");
      if (size > 0) {
        crc = crc32(crc, reinterpret_cast<const Bytef*>(m_outBuffer.data()), static_cast<uInt>(size));
        if (!ASink(m_outBuffer.data(), size)) return Fail(writeError);
        produced += size;
      }
    }
  }
  if (produced != AEntry.nSize) return Fail(entry + " is damaged: its size does not match the directory.");
  if (static_cast<std::uint32_t>(crc) != AEntry.nCrc32) return Fail(entry + " fails its CRC-32 check.");
  return true;
}

bool TZipArchive::ReadEntry(size_t AIndex, std::string& AContent, std::uint64_t AMaxSize) {
  m_errorText.clear();
  AContent.clear();
  if (!IsOpen()) return Fail("No archive is open.");
  if (AIndex >= m_entries.size()) return Fail("The archive has no entry " + std::to_string(AIndex) + ".");
  const TZipEntry& entry = m_entries[AIndex];
  if (entry.nSize > AMaxSize)
    return Fail("The zip entry " + Quoted(entry.strName) + " is larger than " + std::to_string(AMaxSize) + " bytes.");
  // The declared size is not trusted with memory up front; a lie fails in Decode.
  AContent.reserve(static_cast<size_t>(std::min<std::uint64_t>(entry.nSize, MAX_RESERVE)));
  bool ok = Decode(entry, [&](const char* data, size_t size) {
    AContent.append(data, size);
    return true;
  });
  if (!ok) AContent.clear();
  return ok;
}

bool TZipArchive::IsLink(const std::string& APath) {
  if (m_fileSystem != nullptr) return m_fileSystem->IsReparsePoint(APath);
  std::error_code error;
  return fs::is_symlink(fs::symlink_status(Utf8Path(APath), error));
}

bool TZipArchive::ExtractAll(const std::string& ATargetFolder, const TProgressHandler& AOnProgress) {
  m_errorText.clear();
  if (!IsOpen()) return Fail("No archive is open.");
  // Every entry is checked before anything is written.
  for (const TZipEntry& entry : m_entries) {
    std::string quoted = Quoted(entry.strName);
    if (!IsSafeEntryName(entry.strName))
      return Fail("The zip entry " + quoted +
                  " is refused: its name would leave the target folder or is not a valid file name.");
    if (entry.IsFolder()) continue;
    if (NameComponents(entry.strName).empty()) return Fail("The zip entry " + quoted + " has no file name.");
    if (entry.nFlags & FLAG_ENCRYPTED) return Fail("The zip entry " + quoted + " is encrypted, which is not supported.");
    if (entry.nMethod != METHOD_STORED && entry.nMethod != METHOD_DEFLATED)
      return Fail("The zip entry " + quoted + " uses compression method " + std::to_string(entry.nMethod) +
                  ", which is not supported.");
  }

  const fs::path root = Utf8Path(ATargetFolder);
  std::error_code error;
  fs::create_directories(root, error);
  if (!fs::is_directory(root, error)) return Fail("Cannot create the folder " + Quoted(ATargetFolder) + ".");
  auto refuseLink = [&](const std::string& path) {
    return Fail("The path " + Quoted(path) + " is a symbolic link; nothing is written through it.");
  };
  if (IsLink(ATargetFolder)) return refuseLink(ATargetFolder);

  // Folders below the root that exist as real folders (never through a link).
  std::set<fs::path> knownFolders;
  auto ensureFolder = [&](const fs::path& folder) {
    if (knownFolders.count(folder)) return true;
    if (!fs::exists(fs::symlink_status(folder, error))) fs::create_directory(folder, error);
    if (IsLink(PathText(folder))) return refuseLink(PathText(folder));
    if (!fs::is_directory(fs::symlink_status(folder, error))) return Fail("Cannot create the folder " + Quoted(PathText(folder)) + ".");
    knownFolders.insert(folder);
    return true;
  };

  for (const TZipEntry& entry : m_entries) {
    std::vector<std::string> components = NameComponents(entry.strName);
    fs::path target = root;
    std::vector<fs::path> folders;
    for (size_t i = 0; i < components.size(); ++i) {
      target /= Utf8Path(components[i]);
      if (i + 1 < components.size() || entry.IsFolder()) folders.push_back(target);
    }
    if (AOnProgress) AOnProgress(PathText(target));
    for (const fs::path& folder : folders)
      if (!ensureFolder(folder)) return false;
    if (entry.IsFolder()) continue;

    auto status = fs::symlink_status(target, error);
    if (IsLink(PathText(target))) return refuseLink(PathText(target));
    if (fs::is_directory(status)) return Fail("Cannot write " + Quoted(PathText(target)) + ": a folder of that name exists.");
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    if (!out.is_open()) return Fail("Cannot write " + Quoted(PathText(target)) + ".");
    bool ok = Decode(entry, [&](const char* data, size_t size) {
      return static_cast<bool>(out.write(data, static_cast<std::streamsize>(size)));
    });
    out.close();
    if (ok && !out) ok = Fail("Cannot write " + Quoted(PathText(target)) + ".");
    if (!ok) {
      fs::remove(target, error);
      return false;
    }
  }
  return true;
}
