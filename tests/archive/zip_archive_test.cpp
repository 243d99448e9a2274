// Zip reader: extraction of stored, deflated, nested and empty entries with progress
// in order; names in UTF-8 and code page 437; refused names and links; damaged,
// truncated and lying archives fail cleanly and never yield wrong content.
#include "archive/zip_archive.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include <zlib.h>

#include "archive/zip_builder.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

// Every regular file below folder, by its path relative to it ("/" separators).
std::map<std::string, std::string> FilesBelow(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& item : fs::recursive_directory_iterator(folder)) {
    if (!item.is_regular_file()) continue;
    std::ifstream in(item.path(), std::ios::binary);
    files[item.path().lexically_relative(folder).generic_string()] = std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

std::string Pattern(size_t size) {
  std::string text;
  text.reserve(size);
  for (size_t i = 0; text.size() < size; ++i) text += "line " + std::to_string(i) + " of a driver text file\n";
  text.resize(size);
  return text;
}

std::string Noise(size_t size) {
  std::string bytes(size, '\0');
  std::uint32_t state = 2463534242u;
  for (char& byte : bytes) {
    state ^= state << 13, state ^= state >> 17, state ^= state << 5;
    byte = static_cast<char>(state);
  }
  return bytes;
}

class ZipArchiveTest : public ::testing::Test {
 protected:
  std::string WriteArchive(const std::string& bytes, const std::string& name = "package.zip") {
    m_folder.Write(name, bytes);
    return m_folder.File(name);
  }
  fs::path Target() const { return fs::path(m_folder.Path()) / "data"; }

  // Opens and extracts; the progress paths are collected.
  bool Extract(const std::string& bytes, std::string* error = nullptr) {
    TZipArchive archive;
    m_progress.clear();
    bool ok = archive.Open(WriteArchive(bytes)) &&
              archive.ExtractAll(Target().string(), [&](const std::string& path) { m_progress.push_back(path); });
    if (error) *error = archive.ErrorText();
    return ok;
  }

  TTempFolder m_folder;
  std::vector<std::string> m_progress;
};

TEST_F(ZipArchiveTest, ExtractsStoredDeflatedNestedAndEmptyEntriesInOrder) {
  std::string big = Pattern(700 * 1024) + Noise(300 * 1024);  // several buffers in and out
  TZipBuilder zip;
  zip.File("readme.txt", "stored text", 0)
      .Folder("driver/")
      .File("driver/x64/net.inf", Pattern(5000))
      .File("driver\\x64\\net.sys", big)
      .File("driver/empty.cat", "", 8)
      .File("driver/empty-stored.dat", "", 0)
      .Entry({"driver/streamed.cat", Pattern(3000), 8, 0x800, {}, {}, {}, true})  // sizes after the data
      .Folder("driver/lang/de/");
  std::string error;
  ASSERT_TRUE(Extract(zip.Build(), &error)) << error;

  std::map<std::string, std::string> expected = {
      {"readme.txt", "stored text"},         {"driver/x64/net.inf", Pattern(5000)}, {"driver/x64/net.sys", big},
      {"driver/empty.cat", ""},              {"driver/empty-stored.dat", ""},     {"driver/streamed.cat", Pattern(3000)},
  };
  EXPECT_EQ(FilesBelow(Target()), expected);
  EXPECT_TRUE(fs::is_directory(Target() / "driver/lang/de"));

  std::vector<std::string> order = {"readme.txt",       "driver",           "driver/x64/net.inf", "driver/x64/net.sys",
                                    "driver/empty.cat", "driver/empty-stored.dat", "driver/streamed.cat",
                                    "driver/lang/de"};
  ASSERT_EQ(m_progress.size(), order.size());
  for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(fs::path(m_progress[i]), Target() / order[i]) << i;
}

// True when the reader's loop (input and output in 256 KiB pieces, as in
// zip_archive.cpp) consumes the last input byte with the output piece full and the
// stream not yet ended: the next inflate call needs output space only.
bool EndsOnOutputBoundary(const std::string& packed) {
  constexpr size_t piece = 256 * 1024;
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
  std::string out(piece, '\0');
  size_t fed = 0;
  bool boundary = false;
  for (int result = Z_OK; result == Z_OK;) {
    if (stream.avail_in == 0) {
      if (fed == packed.size()) {
        boundary = true;
        break;
      }
      size_t size = std::min(piece, packed.size() - fed);
      stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data() + fed));
      stream.avail_in = static_cast<uInt>(size);
      fed += size;
    }
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    result = inflate(&stream, Z_NO_FLUSH);
  }
  inflateEnd(&stream);
  return boundary;
}

// Debian's unzip and Python's zipfile both accept the archive, and Python reads
// the entry "driver.sys" back as the bytes of the file expected.
void ExpectOtherToolsAccept(const std::string& path, const std::string& expected) {
  EXPECT_EQ(std::system(("unzip -tqq '" + path + "' >/dev/null").c_str()), 0) << "unzip -t " << path;
  std::string script = "import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); assert z.testzip() is None; "
                       "sys.exit(z.read('driver.sys') != open(sys.argv[2], 'rb').read())";
  EXPECT_EQ(std::system(("python3 -c \"" + script + "\" '" + path + "' '" + expected + "'").c_str()), 0)
      << "python3 zipfile " << path;
}

// Packages whose deflate data ends while the inflated bytes still fill the output:
// long zero runs put many output bytes in the last input bits.
TEST_F(ZipArchiveTest, ExtractsDeflateDataThatEndsWithTheOutputFull) {
  constexpr size_t piece = 256 * 1024;
  struct TCase {
    size_t size;
    int level;
  };
  const TCase cases[] = {{piece + 100, 1}, {piece + 100, 6}, {piece + 100, 9}, {2 * piece + 23, 1},
                         {5 * piece + 3, 1}, {5 * piece + 3, 6}, {5 * piece + 3, 9}};
  for (const TCase& test : cases) {
    SCOPED_TRACE("size " + std::to_string(test.size) + ", level " + std::to_string(test.level));
    const std::string content(test.size, '\0');
    TZipBuilder zip;
    zip.SetLevel(test.level);
    ASSERT_TRUE(EndsOnOutputBoundary(zip.Deflate(content)));
    zip.File("driver.inf", Pattern(3000)).File("driver.sys", content);
    std::string path = WriteArchive(zip.Build());
    m_folder.Write("expected.bin", content);
    ExpectOtherToolsAccept(path, m_folder.File("expected.bin"));

    TZipArchive archive;
    ASSERT_TRUE(archive.Open(path)) << archive.ErrorText();
    std::string read;
    EXPECT_TRUE(archive.ReadEntry(1, read, UINT64_MAX)) << archive.ErrorText();
    EXPECT_TRUE(read == content);
    fs::remove_all(Target());
    ASSERT_TRUE(archive.ExtractAll(Target().string())) << archive.ErrorText();
    EXPECT_TRUE(m_folder.Read("data/driver.sys") == content);
  }
}

TEST_F(ZipArchiveTest, ReplacesExistingFilesAndCreatesTheTargetFolder) {
  fs::create_directories(Target() / "a");
  std::ofstream(Target() / "a/file.txt") << "an older and much longer content";
  ASSERT_TRUE(Extract(TZipBuilder().File("a/file.txt", "new").Build()));
  EXPECT_EQ(m_folder.Read("data/a/file.txt"), "new");

  fs::remove_all(Target());
  ASSERT_TRUE(Extract(TZipBuilder().File("only.txt", "x").Build()));
  EXPECT_EQ(m_folder.Read("data/only.txt"), "x");
}

TEST_F(ZipArchiveTest, NamesAreUtf8WithTheFlagAndCodePage437Without) {
  TZipBuilder zip;
  zip.File("Gr\xC3\xBC\xC3\x9F" "e/\xE9\xA9\xB1\xE5\x8B\x95.inf", "utf8");            // "Grüße/驱动.inf", flagged
  zip.Entry({"caf\x82 \x84\xE1.txt", "cp437", 8, 0});                                  // "café äß.txt", unflagged
  std::string error;
  ASSERT_TRUE(Extract(zip.Build(), &error)) << error;
  TZipArchive archive;
  ASSERT_TRUE(archive.Open(m_folder.File("package.zip")));
  EXPECT_EQ(archive.Entries()[0].strName, "Gr\xC3\xBC\xC3\x9F" "e/\xE9\xA9\xB1\xE5\x8B\x95.inf");
  EXPECT_EQ(archive.Entries()[1].strName, "caf\xC3\xA9 \xC3\xA4\xC3\x9F.txt");
  std::map<std::string, std::string> expected = {
      {"Gr\xC3\xBC\xC3\x9F" "e/\xE9\xA9\xB1\xE5\x8B\x95.inf", "utf8"}, {"caf\xC3\xA9 \xC3\xA4\xC3\x9F.txt", "cp437"}};
  EXPECT_EQ(FilesBelow(Target()), expected);
  EXPECT_EQ(m_progress[1], (Target() / fs::path(u8"caf\u00e9 \u00e4\u00df.txt")).string());
}

TEST_F(ZipArchiveTest, RecognisesArchivesAlsoBehindAStub) {
  std::string zip = TZipBuilder().File("setup.exe", "MZ program").Build();
  EXPECT_TRUE(TZipArchive::IsValidArchive(WriteArchive(zip)));
  EXPECT_TRUE(TZipArchive::IsValidArchive(WriteArchive(TZipBuilder().Build("", "a comment"))));  // empty archive
  EXPECT_FALSE(TZipArchive::IsValidArchive(WriteArchive("")));
  EXPECT_FALSE(TZipArchive::IsValidArchive(WriteArchive("just a text file, not an archive")));
  EXPECT_FALSE(TZipArchive::IsValidArchive(m_folder.File("missing.zip")));

  // A self-extracting program: the stub shifts every offset.
  ASSERT_TRUE(TZipArchive::IsValidArchive(WriteArchive(std::string(5000, 'M') + zip)));
  std::string error;
  ASSERT_TRUE(Extract(std::string(5000, 'M') + zip, &error)) << error;
  EXPECT_EQ(m_folder.Read("data/setup.exe"), "MZ program");
}

TEST_F(ZipArchiveTest, ReadsOneEntryIntoMemoryUpToALimit) {
  TZipArchive archive;
  ASSERT_TRUE(archive.Open(WriteArchive(TZipBuilder()
                                            .File("a.inf", "alpha")
                                            .File("b.sys", Pattern(200000))
                                            .Entry({"claims 4 GB", "tiny", 8, 0x800, {}, 0xFFFFFFF0u})
                                            .Build())));
  ASSERT_EQ(archive.EntryCount(), 3u);
  std::string content;
  ASSERT_TRUE(archive.ReadEntry(1, content, 200000)) << archive.ErrorText();
  EXPECT_EQ(content, Pattern(200000));
  ASSERT_TRUE(archive.ReadEntry(0, content, 5));
  EXPECT_EQ(content, "alpha");
  EXPECT_FALSE(archive.ReadEntry(1, content, 199999));
  EXPECT_NE(archive.ErrorText().find("b.sys"), std::string::npos);
  EXPECT_FALSE(archive.ReadEntry(2, content, UINT64_MAX));
  EXPECT_NE(archive.ErrorText().find("size"), std::string::npos) << archive.ErrorText();
  EXPECT_FALSE(archive.ReadEntry(3, content, 10));
}

// Entries whose data or headers are wrong: the extraction fails naming the entry,
// the failed entry leaves no file, and the entries before it stay.
TEST_F(ZipArchiveTest, DamagedEntriesFailWithAClearTextAndLeaveNoPartialFile) {
  std::string text = Pattern(600 * 1024);
  std::string packed = TZipBuilder().Deflate(text);
  std::string damaged = packed;
  for (size_t i = 100; i < 140; ++i) damaged[i] = static_cast<char>(~damaged[i]);
  struct Case {
    const char* label;
    TZipBuilderEntry entry;
    const char* text;
  } cases[] = {
      {"damaged deflate data", {"bad.sys", text, 8, 0x800, {}, {}, damaged}, "damaged"},
      {"deflate data cut short", {"bad.sys", text, 8, 0x800, {}, {}, packed.substr(0, packed.size() / 2)}, "damaged"},
      {"wrong CRC, deflated", {"bad.sys", text, 8, 0x800, 0x12345678u}, "CRC-32"},
      {"wrong CRC, stored", {"bad.sys", "stored bytes", 0, 0x800, 0x12345678u}, "CRC-32"},
      {"more data than declared", {"bad.sys", text, 8, 0x800, {}, 1000u}, "size"},
      {"less data than declared", {"bad.sys", text, 8, 0x800, {}, static_cast<std::uint32_t>(text.size() + 1)}, "size"},
      {"stored sizes differ", {"bad.sys", "stored bytes", 0, 0x800, {}, 5u}, "size"},
      {"unsupported method", {"bad.sys", "x", 12, 0x800}, "method 12"},
      {"encrypted", {"bad.sys", "x", 0, 0x801}, "encrypted"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove_all(Target());
    std::string error;
    EXPECT_FALSE(Extract(TZipBuilder().File("first.txt", "good").Entry(c.entry).Build(), &error));
    EXPECT_NE(error.find("bad.sys"), std::string::npos) << error;
    EXPECT_NE(error.find(c.text), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(Target() / "bad.sys"));
    // Unsupported entries are refused before anything is written.
    bool refusedUpFront = c.entry.method == 12 || (c.entry.flags & 1);
    EXPECT_EQ(fs::exists(Target() / "first.txt"), !refusedUpFront);
  }
}

TEST_F(ZipArchiveTest, RefusesNamesThatLeaveTheTargetFolderAndWritesNothing) {
  const char* names[] = {"../x", "a/../../x", "a/..", "/abs", "\\x", "C:\\x", "C:x", "a/b:stream", "a/.. /x",
                         "a/.../x", "CON", "dir/nul.txt", "com1", "a\x01" "b"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    fs::remove_all(Target());
    std::string error;
    EXPECT_FALSE(Extract(TZipBuilder().File("good.txt", "good").File(name, "evil").File("later.txt", "x").Build(), &error));
    EXPECT_NE(error.find("refused"), std::string::npos) << error;
    EXPECT_TRUE(FilesBelow(m_folder.Path()).size() == 1) << "only the archive itself";
  }
  for (const char* name : {"a/b.txt", "dir/", "./a", "a..b", "..a", "a/./b", "con-fig.txt", "lpt.txt", "COM0"})
    EXPECT_TRUE(TZipArchive::IsSafeEntryName(name)) << name;
}

TEST_F(ZipArchiveTest, DoesNotWriteThroughSymbolicLinks) {
  fs::path outside = fs::path(m_folder.Path()) / "outside";
  fs::create_directories(outside);
  for (const char* name : {"link/x.txt", "link"}) {
    SCOPED_TRACE(name);
    fs::remove_all(Target());
    fs::create_directories(Target());
    std::error_code error;
    fs::create_directory_symlink(outside, Target() / "link", error);
    if (error) GTEST_SKIP() << "no symbolic links here: " << error.message();
    std::string text;
    EXPECT_FALSE(Extract(TZipBuilder().File(name, "evil").Build(), &text));
    EXPECT_NE(text.find("symbolic link"), std::string::npos) << text;
    EXPECT_TRUE(fs::is_empty(outside));
  }
}

TEST_F(ZipArchiveTest, ReadsZip64ArchivesAlsoBehindAStub) {
  TZipBuilder zip;
  zip.SetZip64(true);
  zip.File("a.txt", "stored", 0)
      .Folder("d/")
      .File("d/b.inf", Pattern(70000))
      .Entry({"d/streamed.sys", Pattern(3000), 8, 0x800, {}, {}, {}, true});
  std::map<std::string, std::string> expected = {
      {"a.txt", "stored"}, {"d/b.inf", Pattern(70000)}, {"d/streamed.sys", Pattern(3000)}};
  for (const std::string stub : {"", "MZ self-extracting program"}) {
    SCOPED_TRACE(stub);
    fs::remove_all(Target());
    std::string error;
    ASSERT_TRUE(Extract(zip.Build(stub), &error)) << error;
    EXPECT_EQ(FilesBelow(Target()), expected);
  }
}

TEST_F(ZipArchiveTest, RefusesArchivesSplitOverSeveralParts) {
  std::string zip = TZipBuilder().File("a.txt", "a").Build();
  std::string split = zip.substr(0, zip.size() - 18) + std::string("\x01\x00", 2) + zip.substr(zip.size() - 16);
  TZipBuilder zip64Builder;
  zip64Builder.SetZip64(true);
  std::string zip64 = zip64Builder.File("a.txt", "a").Build();
  zip64[zip64.size() - 22 - 4] = 3;  // the locator's count of parts
  for (const std::string& bytes : {split, zip64}) {
    TZipArchive archive;
    EXPECT_FALSE(archive.Open(WriteArchive(bytes)));
    EXPECT_NE(archive.ErrorText().find("several parts"), std::string::npos) << archive.ErrorText();
  }
}

// A small archive of every kind of entry, plain or Zip64, then damaged in every
// way a byte can be.
class ZipDamageTest : public ZipArchiveTest, public ::testing::WithParamInterface<bool> {
 protected:
  std::vector<std::string> m_contents = {"stored text", "", Pattern(1000), "x"};
  std::string m_zip = [this] {
    TZipBuilder zip;
    zip.SetZip64(GetParam());
    return zip.File("a.txt", m_contents[0], 0)
        .File("d/empty", m_contents[1])
        .Entry({"d/e/big.inf", m_contents[2], 8, 0x800, {}, {}, {}, true})
        .File("last", m_contents[3], 0)
        .Build();
  }();

  // Success must mean the right bytes for every entry; failure must explain itself.
  void CheckOutcome(const std::string& bytes) {
    fs::remove_all(Target());
    TZipArchive archive;
    if (!archive.Open(WriteArchive(bytes))) {
      EXPECT_FALSE(archive.ErrorText().empty());
      return;
    }
    std::vector<std::string> progress;
    bool ok = archive.ExtractAll(Target().string(), [&](const std::string& path) { progress.push_back(path); });
    if (!ok) {
      EXPECT_FALSE(archive.ErrorText().empty());
      return;
    }
    ASSERT_EQ(archive.EntryCount(), m_contents.size());
    ASSERT_EQ(progress.size(), m_contents.size());
    for (size_t i = 0; i < m_contents.size(); ++i) {
      std::ifstream in(fs::path(progress[i]), std::ios::binary);
      EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), m_contents[i]) << archive.Entries()[i].strName;
    }
  }
};

TEST_P(ZipDamageTest, TruncatedAtEveryLengthFailsCleanly) {
  for (size_t length = 0; length < m_zip.size(); ++length) {
    SCOPED_TRACE(length);
    TZipArchive archive;
    EXPECT_FALSE(archive.Open(WriteArchive(m_zip.substr(0, length))) &&
                 archive.ExtractAll(Target().string()));
    EXPECT_FALSE(archive.ErrorText().empty());
  }
}

TEST_P(ZipDamageTest, ADamagedByteAnywhereNeverYieldsWrongContent) {
  for (size_t at = 0; at < m_zip.size(); ++at) {
    for (unsigned char mask : {0x01, 0xFF}) {
      SCOPED_TRACE(std::to_string(at) + " ^ " + std::to_string(mask));
      std::string bytes = m_zip;
      bytes[at] = static_cast<char>(bytes[at] ^ mask);
      CheckOutcome(bytes);
      if (HasFatalFailure()) return;
    }
  }
}

TEST_P(ZipDamageTest, DataCutFromTheMiddleFailsCleanly) {
  // The directory survives but the data in front of it is shorter.
  for (size_t at = 0; at + 10 < m_zip.size(); at += 7) {
    SCOPED_TRACE(at);
    CheckOutcome(m_zip.substr(0, at) + m_zip.substr(at + 10));
    if (HasFatalFailure()) return;
  }
}

INSTANTIATE_TEST_SUITE_P(PlainAndZip64, ZipDamageTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Zip64" : "Plain"; });

}  // namespace
