#pragma once
// Helpers to write expected bytes out by hand in tests.

#include "foundation/StreamError.h"

#include <cstdint>
#include <functional>
#include <string>
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

// Runs f and returns the message of the EStreamError it throws.
inline std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EStreamError& e) {
    return e.what();
  }
  return "(no error)";
}
