#pragma once
// Strings are GBK bytes in every saved file and UTF-8 everywhere inside the
// program. The conversion happens only at that boundary, here.

#include <string>
#include <string_view>

// Both throw EStreamError naming the offending byte position when a string
// cannot be converted; they never produce replacement characters.
std::string GbkToUtf8(std::string_view Gbk);
std::string Utf8ToGbk(std::string_view Utf8);
