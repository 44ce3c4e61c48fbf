#pragma once
// Helpers to write expected bytes out by hand in tests.

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// Appends pieces: numbers are single bytes, strings their characters.
struct ByteBuilder {
  Bytes b;
  ByteBuilder& operator()(std::initializer_list<int> v) {
    for (int x : v) b.push_back(static_cast<std::uint8_t>(x));
    return *this;
  }
  ByteBuilder& operator()(std::string_view s) {
    b.insert(b.end(), s.begin(), s.end());
    return *this;
  }
  // A short string: length byte and characters.
  ByteBuilder& Str(std::string_view s) {
    b.push_back(static_cast<std::uint8_t>(s.size()));
    return (*this)(s);
  }
};
