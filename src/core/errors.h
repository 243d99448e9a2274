// The exceptions the core raises, each carrying the exact text the user sees.
#pragma once

#include <stdexcept>
#include <string>

class EQvError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// File and folder failures.
class EInOutError : public EQvError {
 public:
  using EQvError::EQvError;
};

// Text that does not convert to a number.
class EConvertError : public EQvError {
 public:
  using EQvError::EQvError;
};

// A registry value of an unexpected type.
class ERegistryError : public EQvError {
 public:
  using EQvError::EQvError;
};

// The pattern with its first "%s" replaced by the argument.
std::string FormatText(const std::string& pattern, const std::string& argument);
