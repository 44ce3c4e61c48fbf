#pragma once
// Numbers as the property dialogs show and take them: printf-style
// formatting, and parsing that allows surrounding blanks and a leading '+'
// but nothing else (and no infinities).

#include <string>
#include <string_view>

std::string_view TrimBlanks(std::string_view s);
bool ParseInt(std::string_view s, int& Value);
bool ParseFloat(std::string_view s, double& Value);
// Fmt takes one double ("%1.3f").
std::string Format(const char* Fmt, double V);
