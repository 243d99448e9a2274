// Windows-1252, the ANSI code page of Western Windows systems, decoded to UTF-8.
#pragma once

#include <string>

// Every byte becomes one character; the five bytes the code page leaves undefined
// (81h, 8Dh, 8Fh, 90h, 9Dh) become the control characters of the same number, as
// MultiByteToWideChar makes them.
std::string Windows1252ToUtf8(const std::string& bytes);
