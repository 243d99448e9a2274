// The error every catalog backend raises, with the database's own message.
#pragma once

#include <stdexcept>

namespace qvserver {

class CatalogError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace qvserver
