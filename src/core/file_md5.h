// MD5 digest of a file's contents.
#pragma once

#include <string>

#include "platform/hashing.h"

// 32 lower-case hexadecimal digits; raises EInOutError when the file cannot be read.
std::string GetFileMD5(IHashing& hashing, const std::string& AFileName);
