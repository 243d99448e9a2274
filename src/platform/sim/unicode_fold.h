// Case folding of UTF-8 text for the native collation: ASCII, Latin-1,
// Latin Extended-A, Greek and Cyrillic capitals map to their small letters.
#pragma once

#include <string>

std::u32string FoldCase(const std::string& utf8);
// Case-insensitive comparison of the folded code points: <0, 0 or >0.
int CompareFolded(const std::string& a, const std::string& b);
