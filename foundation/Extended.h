#pragma once
// The 80-bit x87 extended float of the saved files: bytes 0-7 the significand
// with an explicit integer bit, bytes 8-9 the sign (bit 15) and the exponent
// biased by 16383, all little-endian.

#include <array>
#include <cstdint>

using TExtendedBytes = std::array<std::uint8_t, 10>;

// Exact: every double, including signed zeros, denormals, infinities and NaN
// (payload and quiet bit kept), has an extended of the same value.
TExtendedBytes DoubleToExtended(double Value);

// Rounds to the nearest double, ties to even. Values beyond the double range
// become infinities, values below it become denormals or signed zero.
// Infinities and NaN come through as such: the value reader decides what to do.
double ExtendedToDouble(const std::uint8_t* Bytes);
