// The braced text form of a GUID, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
// The 16 bytes are laid out as the Windows GUID structure in memory: Data1,
// Data2 and Data3 little-endian, then the 8 bytes of Data4.
#pragma once

#include <array>
#include <cstdint>
#include <string>

using TGuid = std::array<uint8_t, 16>;

// Upper-case hexadecimal digits, 38 characters.
std::string GuidToString(const TGuid& guid);
// Accepts the braced form in either letter case; anything else, the empty
// text included, raises EGuidConvertError "'%s' is not a valid GUID value".
TGuid StringToGuid(const std::string& text);
