#include "foundation/Extended.h"

#include <bit>
#include <cstring>

namespace {

constexpr int kExtBias = 16383;
constexpr int kDblBias = 1023;
constexpr std::uint64_t kIntegerBit = 0x8000000000000000ull;
constexpr std::uint64_t kDblFracMask = (1ull << 52) - 1;

// m >> s rounded to nearest, ties to even; 1 <= s <= 64.
std::uint64_t ShiftRightRounded(std::uint64_t m, int s) {
  std::uint64_t q = s >= 64 ? 0 : m >> s;
  std::uint64_t rem = s >= 64 ? m : m & ((1ull << s) - 1);
  std::uint64_t half = 1ull << (s - 1);
  if (rem > half || (rem == half && (q & 1))) ++q;
  return q;
}

}  // namespace

TExtendedBytes DoubleToExtended(double Value) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(Value);
  const std::uint16_t sign = static_cast<std::uint16_t>((bits >> 63) << 15);
  const int exp = static_cast<int>((bits >> 52) & 0x7FF);
  const std::uint64_t frac = bits & kDblFracMask;

  std::uint64_t mant = 0;
  int e = 0;
  if (exp == 0x7FF) {
    e = 0x7FFF;
    mant = kIntegerBit | (frac << 11);  // infinity when frac is 0, NaN otherwise
  } else if (exp == 0) {
    if (frac != 0) {
      // Double denormals are normal numbers in the wider exponent range.
      const int shift = std::countl_zero(frac);
      mant = frac << shift;
      e = kExtBias + 63 - 1074 - shift;
    }
  } else {
    mant = kIntegerBit | (frac << 11);
    e = exp - kDblBias + kExtBias;
  }

  TExtendedBytes out{};
  std::memcpy(out.data(), &mant, 8);  // little-endian host
  const std::uint16_t se = static_cast<std::uint16_t>(sign | e);
  std::memcpy(out.data() + 8, &se, 2);
  return out;
}

double ExtendedToDouble(const std::uint8_t* Bytes) {
  std::uint64_t mant;
  std::uint16_t se;
  std::memcpy(&mant, Bytes, 8);
  std::memcpy(&se, Bytes + 8, 2);
  const std::uint64_t sign = static_cast<std::uint64_t>(se >> 15) << 63;
  const int E = se & 0x7FFF;

  if (E == 0x7FFF) {
    const std::uint64_t payload = (mant << 1) >> 12;  // below the integer bit
    if ((mant << 1) == 0) return std::bit_cast<double>(sign | (0x7FFull << 52));
    // Keep the NaN a NaN even when its payload lies only in the dropped bits.
    return std::bit_cast<double>(sign | (0x7FFull << 52) | (payload ? payload : (1ull << 51)));
  }
  if (mant == 0) return std::bit_cast<double>(sign);

  // value = mant * 2^(e - 63); unnormals and denormals are normalised first.
  int e = (E == 0 ? 1 : E) - kExtBias;
  const int shift = std::countl_zero(mant);
  mant <<= shift;
  e -= shift;

  if (e >= 1 - kDblBias) {
    std::uint64_t m53 = ShiftRightRounded(mant, 11);
    if (m53 >> 53) {  // rounding carried into a new bit
      m53 >>= 1;
      ++e;
    }
    if (e > kDblBias) return std::bit_cast<double>(sign | (0x7FFull << 52));
    return std::bit_cast<double>(sign | (static_cast<std::uint64_t>(e + kDblBias) << 52) |
                                 (m53 & kDblFracMask));
  }
  // Double denormal: f * 2^-1074 with f = mant * 2^(e + 1011).
  const int s = -(e + 1011);
  if (s > 64) return std::bit_cast<double>(sign);
  // A carry into bit 52 yields the smallest normal, which the encoding absorbs.
  return std::bit_cast<double>(sign | ShiftRightRounded(mant, s));
}
