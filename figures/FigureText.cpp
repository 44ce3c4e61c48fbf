#include "figures/FigureText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <type_traits>

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

namespace {
template <class T>
bool ParseNumber(std::string_view s, T& Value) {
  s = TrimBlanks(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return false;
  T v{};
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size()) return false;
  if constexpr (std::is_floating_point_v<T>)
    if (!std::isfinite(v)) return false;
  Value = v;
  return true;
}
}  // namespace

bool ParseInt(std::string_view s, int& Value) { return ParseNumber(s, Value); }
bool ParseFloat(std::string_view s, double& Value) { return ParseNumber(s, Value); }

std::string Format(const char* Fmt, double V) {
  char buf[64];
  std::snprintf(buf, sizeof buf, Fmt, V);
  return buf;
}
