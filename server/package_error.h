// The error raised for a driver package the server refuses, with a text for the operator.
#pragma once

#include <stdexcept>

namespace qvserver {

class ImportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace qvserver
