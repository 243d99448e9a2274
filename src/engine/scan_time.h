// The scan's time texts: "mmmm dd, yyyy hh:nn am/pm" with the month in the user's language.
#pragma once

#include <string>

#include "platform/locale.h"

std::string FormatScanTime(const TLocalTime& time, ILocale& locale);
// The current local time as a scan time text.
std::string ScanTimeNow(ILocale& locale);
