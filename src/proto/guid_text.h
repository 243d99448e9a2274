// The braced text form of a GUID, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", as the
// wire messages carry it.
#pragma once

#include <array>
#include <string>

#include "platform/guid.h"

constexpr size_t GUID_TEXT_LENGTH = 38;
// Upper-case hexadecimal digits, GUID_TEXT_LENGTH characters.
std::array<char, GUID_TEXT_LENGTH> GuidText(const TGuid& guid);
std::string GuidToString(const TGuid& guid);
// Accepts the braced form in either letter case; anything else, the empty
// text included, raises EGuidConvertError "'%s' is not a valid GUID value".
TGuid StringToGuid(const std::string& text);
