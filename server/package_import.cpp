// Imports one driver package into the catalog and the store folder.
#include "package_import.h"

#include <fstream>
#include <iterator>

#include "archive/zip_archive.h"
#include "ascii_text.h"
#include "inf_text.h"
#include "md5_digest.h"
#include "package_error.h"

namespace qvserver {

namespace {

constexpr std::uint64_t kMaxInfBytes = 8 * 1024 * 1024;

PackageInf read_inf_bytes(const std::string& inf_path, const std::string& bytes) {
  try {
    return {inf_path, read_inf_driver(InfFile::parse(inf_text_to_utf8(bytes)))};
  } catch (const ImportError& error) {
    throw ImportError(inf_path + ": " + error.what());
  }
}

std::string read_small_file(const std::filesystem::path& file) {
  std::error_code error;
  auto size = std::filesystem::file_size(file, error);
  if (error) throw ImportError("cannot read " + file.string());
  if (size > kMaxInfBytes) throw ImportError(file.string() + " is too large for an INF file");
  std::ifstream in(file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw ImportError("cannot read " + file.string());
  return bytes;
}

// The INF files inside a zip; every entry is checked first, so that a package that
// would write outside its folder on the client is refused whole.
std::vector<PackageInf> infs_in_zip(TZipArchive& zip) {
  for (const auto& entry : zip.Entries())
    if (!TZipArchive::IsSafeEntryName(entry.strName))
      throw ImportError("zip entry \"" + entry.strName + "\" escapes the package folder");
  std::vector<PackageInf> infs;
  for (size_t i = 0; i < zip.EntryCount(); ++i) {
    const TZipEntry& entry = zip.Entries()[i];
    if (entry.IsFolder() || !ascii_lower(entry.strName).ends_with(".inf")) continue;
    std::string bytes;
    if (!zip.ReadEntry(i, bytes, kMaxInfBytes)) throw ImportError(zip.ErrorText());
    infs.push_back(read_inf_bytes(entry.strName, bytes));
  }
  return infs;
}

std::vector<PackageInf> infs_of(const std::filesystem::path& package, const std::optional<std::filesystem::path>& inf_file) {
  std::string extension = ascii_lower(package.extension().string());
  if (extension == ".inf") return {read_inf_bytes(package.filename().string(), read_small_file(package))};
  std::vector<PackageInf> infs;
  if (extension != ".msi") {
    // A file without a readable zip directory holds no INF files of its own.
    TZipArchive zip;
    if (zip.Open(package.string())) infs = infs_in_zip(zip);
  }
  if (infs.empty() && inf_file) infs.push_back(read_inf_bytes(inf_file->filename().string(), read_small_file(*inf_file)));
  if (infs.empty()) {
    if (extension == ".exe" || extension == ".msi")
      throw ImportError(package.string() + ": no INF file can be read from it; name its INF with --inf");
    throw ImportError(package.string() + ": no INF file in the package");
  }
  return infs;
}

bool is_usable_file_name(const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.size() > 200) return false;
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == '/' || c == '\\') return false;
  return true;
}

}  // namespace

ImportResult import_package(Catalog& catalog, const std::filesystem::path& store_dir,
                            const std::filesystem::path& package, const std::optional<std::filesystem::path>& inf_file) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(package, error)) throw ImportError(package.string() + ": no such file");
  std::string file_name = package.filename().string();
  if (!is_usable_file_name(file_name)) throw ImportError(package.string() + ": unusable file name");

  ImportResult result;
  auto infs = infs_of(package, inf_file);
  for (const auto& inf : infs) result.hardware_id_count += inf.driver.targets.size();
  result.driver_count = infs.size();

  std::string md5 = file_md5_hex(package);
  if (auto existing = catalog.package_by_md5(md5)) {
    result.package = *existing;
    result.already_present = true;
    return result;
  }

  PackageRecord record;
  record.file_name = file_name;
  record.size_kb = static_cast<std::int64_t>((std::filesystem::file_size(package) + 1023) / 1024);
  record.md5 = md5;
  std::filesystem::create_directories(store_dir);
  std::filesystem::path placed;
  try {
    result.package = catalog.add_package(record, infs, [&](const PackageRecord& stored) {
      placed = store_dir / stored.stored_name;
      std::filesystem::path partial = placed;
      partial += ".partial";
      std::filesystem::copy_file(package, partial, std::filesystem::copy_options::overwrite_existing);
      std::filesystem::rename(partial, placed);
    });
  } catch (...) {
    if (!placed.empty()) {
      std::filesystem::remove(placed, error);
      std::filesystem::remove(placed.string() + ".partial", error);
    }
    throw;
  }
  return result;
}

}  // namespace qvserver
