// The errors of the codec, the message readers and the message lists, each
// carrying the exact text the user sees.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

// Base of every failure to decode a message: the decode stops there.
class EProtoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A broken invariant of the input: truncated data, malformed varint, wrong wire type.
class EProtoAssertion : public EProtoError {
 public:
  using EProtoError::EProtoError;
};

// A field of a wire type the codec cannot skip (groups, 6, 7).
class EInvalidWireType : public EProtoError {
 public:
  EInvalidWireType() : EProtoError("InvalidProtocolBufferException.invalidWireType") {}
};

// A GUID text that is not in the braced form.
class EGuidConvertError : public EProtoError {
 public:
  using EProtoError::EProtoError;
};

// A file or stream that cannot be opened, read or written.
class EStreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An index outside a message's list.
class EListIndexError : public std::out_of_range {
 public:
  explicit EListIndexError(size_t index)
      : std::out_of_range("List index out of bounds (" + std::to_string(index) + ")") {}
};

inline constexpr const char* PB_EOF = "Protocol buffer exception: eof encounterd";
inline constexpr const char* PB_MALFORMED_VARINT = "Protocol buffer exception: malformed Varint";
inline constexpr const char* PB_NEGATIVE_SIZE = "Protocol buffer exception: negative Size";
inline constexpr const char* PB_TRUNCATED = "Protocol buffer exception: truncated Message";
inline constexpr const char* PB_WRONG_WIRE_TYPE = "Assertion failure";
