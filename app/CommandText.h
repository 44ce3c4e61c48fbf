#pragma once
// Numbers as the command dialogs and input boxes read and show them: blanks
// round the text are allowed, anything else after the number is not.

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

namespace command_text {

inline std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  return s;
}

inline bool ParseInt(std::string_view s, int& Value) {
  s = Trim(s);
  if (s.empty()) return false;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), Value);
  return ec == std::errc() && end == s.data() + s.size();
}

inline bool ParseFloat(std::string_view s, double& Value) {
  s = Trim(s);
  if (s.empty()) return false;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), Value);
  return ec == std::errc() && end == s.data() + s.size() && std::isfinite(Value);
}

// The shortest text that reads back as V: 420 is "420", 297.5 "297.5".
inline std::string FloatText(double V) {
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, V);
  return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

}  // namespace command_text
