// MD5 digest of a file's contents.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/hashing.h"

// 32 lower-case hexadecimal digits; raises EInOutError when the file cannot be read.
std::string GetFileMD5(IHashing& hashing, const std::string& AFileName);

// A digest as lower-case hexadecimal digits, two per byte.
std::string LowerHexDigest(const uint8_t* digest, size_t size);
