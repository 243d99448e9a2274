// Imports one driver package (zip, self-extracting exe, msi or a bare INF) into the
// catalog: reads its INF files, records size, MD5 and an id, and keeps the file.
#pragma once

#include <filesystem>
#include <optional>

#include "catalog.h"

namespace qvserver {

struct ImportResult {
  PackageRecord package;
  std::size_t driver_count = 0;
  std::size_t hardware_id_count = 0;
  bool already_present = false;  // the same file (by MD5) was imported before
};

// inf_file describes a package whose INF cannot be read from it (an msi, or an exe that
// is not a self-extracting zip). Raises ImportError with a text for the operator; on any
// failure the catalog and the store are left as they were.
ImportResult import_package(Catalog& catalog, const std::filesystem::path& store_dir,
                            const std::filesystem::path& package,
                            const std::optional<std::filesystem::path>& inf_file = std::nullopt);

}  // namespace qvserver
