// Web addresses: decoding and opening them with the default handler.
#pragma once

#include <string>

#include "platform/shell.h"

// Each complete %XX escape becomes the byte it names, "+" a blank when plusAsBlank;
// a malformed escape stays as it is.
std::string PercentDecoded(const std::string& text, bool plusAsBlank);
// Percent escapes decoded as UTF-8 bytes, "+" as a blank.
std::string DecodeURL(const std::string& AURL);
// Opens the decoded address with the "open" verb in a normal window.
void OpenURL(IShell& shell, const std::string& AURL);
// Opens the address as it is; true when the shell reports success.
bool LaunchBrowser(IShell& shell, const std::string& url);
