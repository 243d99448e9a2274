// Text from the wire: UTF-8 bytes become valid UTF-8 text, each byte that starts
// no valid sequence replaced by U+FFFD, as the platform's UTF-8 decoder does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

std::string DecodeUtf8(const uint8_t* bytes, size_t size);
