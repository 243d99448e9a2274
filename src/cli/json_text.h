// JSON text for qvcli's machine-readable output.
#pragma once

#include <string>
#include <vector>

// The text as a JSON string literal, quotes included.
std::string JsonText(const std::string& text);
std::string JsonList(const std::vector<std::string>& texts);
