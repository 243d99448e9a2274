// File names from arbitrary text.
#pragma once

#include <string>

// The text with each of * / : < > ? \ | replaced by "_"; everything else kept.
std::string MakeValidFileName(const std::string& AText);
