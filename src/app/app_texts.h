// Texts the program's small windows share: the version and the legal notice.
#pragma once

#include <string>

#include "platform/module_version.h"
#include "platform/string_table.h"

// The format's "%s" places filled in order with the four parts of the
// program's own file version.
std::string ModuleVersionText(IModuleVersion& moduleVersion, std::string format);
// The legal notice line with the current year.
std::string LegalNoticeText(IStringTable& strings);
