// Opens the catalog backend a location names.
#include "catalog.h"

#include "postgres_catalog.h"
#include "sqlite_catalog.h"

namespace qvserver {

bool is_postgresql_url(std::string_view location) {
  return location.starts_with("postgresql://") || location.starts_with("postgres://");
}

Catalog::Catalog(const std::string& location) {
  if (is_postgresql_url(location))
    backend_ = std::make_unique<PostgresCatalog>(location);
  else
    backend_ = std::make_unique<SqliteCatalog>(location);
}

}  // namespace qvserver
