// The braced text form of a GUID, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", as the
// wire messages carry it.
#pragma once

#include <string>

#include "platform/guid.h"

// Upper-case hexadecimal digits, 38 characters.
std::string GuidToString(const TGuid& guid);
// Accepts the braced form in either letter case; anything else, the empty
// text included, raises EGuidConvertError "'%s' is not a valid GUID value".
TGuid StringToGuid(const std::string& text);
