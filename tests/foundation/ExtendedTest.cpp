#include "foundation/Extended.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace {

TExtendedBytes Ext(std::uint64_t mant, std::uint16_t se) {
  TExtendedBytes b{};
  std::memcpy(b.data(), &mant, 8);
  std::memcpy(b.data() + 8, &se, 2);
  return b;
}

std::uint64_t Bits(double d) { return std::bit_cast<std::uint64_t>(d); }

}  // namespace

TEST(Extended, DoublesEncodeAsX87Bytes) {
  EXPECT_EQ(DoubleToExtended(1.0), Ext(0x8000000000000000ull, 0x3FFF));
  EXPECT_EQ(DoubleToExtended(-2.5), Ext(0xA000000000000000ull, 0xC000));
  EXPECT_EQ(DoubleToExtended(0.0), Ext(0, 0));
  EXPECT_EQ(DoubleToExtended(-0.0), Ext(0, 0x8000));
  EXPECT_EQ(DoubleToExtended(std::numeric_limits<double>::max()), Ext(0xFFFFFFFFFFFFF800ull, 0x43FE));
  // 2^-1074, the smallest double denormal, is a normal extended.
  EXPECT_EQ(DoubleToExtended(std::numeric_limits<double>::denorm_min()), Ext(0x8000000000000000ull, 0x3BCD));
  // 3 * 2^-1074
  EXPECT_EQ(DoubleToExtended(std::bit_cast<double>(std::uint64_t{3})), Ext(0xC000000000000000ull, 0x3BCE));
  EXPECT_EQ(DoubleToExtended(std::numeric_limits<double>::infinity()), Ext(0x8000000000000000ull, 0x7FFF));
  EXPECT_EQ(DoubleToExtended(-std::numeric_limits<double>::infinity()), Ext(0x8000000000000000ull, 0xFFFF));
  EXPECT_EQ(DoubleToExtended(std::numeric_limits<double>::quiet_NaN()), Ext(0xC000000000000000ull, 0x7FFF));
}

TEST(Extended, X87BytesRoundToNearestDoubleTiesToEven) {
  // 1/3 as the FPU stores it.
  EXPECT_EQ(Bits(ExtendedToDouble(Ext(0xAAAAAAAAAAAAAAABull, 0x3FFD).data())), 0x3FD5555555555555ull);
  // 1 + 2^-53 is halfway between 1 and the next double: even wins.
  EXPECT_EQ(ExtendedToDouble(Ext(0x8000000000000400ull, 0x3FFF).data()), 1.0);
  // 1 + 3 * 2^-53 is halfway with an odd lower neighbour: rounds up.
  EXPECT_EQ(ExtendedToDouble(Ext(0x8000000000000C00ull, 0x3FFF).data()), 1.0 + std::ldexp(1.0, -51));
  // Just above half rounds up.
  EXPECT_EQ(ExtendedToDouble(Ext(0x8000000000000401ull, 0x3FFF).data()), 1.0 + std::ldexp(1.0, -52));
  // All ones rounds up into the next power of two.
  EXPECT_EQ(ExtendedToDouble(Ext(0xFFFFFFFFFFFFFFFFull, 0x3FFF).data()), 2.0);
}

TEST(Extended, OutOfRangeValuesBecomeInfinityOrDenormalOrZero) {
  EXPECT_EQ(ExtendedToDouble(Ext(0x8000000000000000ull, 0x7FFE).data()), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ExtendedToDouble(Ext(0x8000000000000000ull, 0xFFFE).data()), -std::numeric_limits<double>::infinity());
  // The largest double rounds up to infinity once the dropped bits pass half.
  EXPECT_TRUE(std::isinf(ExtendedToDouble(Ext(0xFFFFFFFFFFFFFC00ull, 0x43FE).data())));
  EXPECT_EQ(ExtendedToDouble(Ext(0xFFFFFFFFFFFFF800ull, 0x43FE).data()), std::numeric_limits<double>::max());
  // 2^-1075 is exactly half the smallest denormal: ties to even gives +0.
  const double tiny = ExtendedToDouble(Ext(0x8000000000000000ull, 0x3BCC).data());
  EXPECT_EQ(Bits(tiny), 0u);
  // 0.75 * 2^-1074 rounds to 2^-1074; the sign survives underflow.
  EXPECT_EQ(ExtendedToDouble(Ext(0xC000000000000000ull, 0x3BCC).data()), std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(Bits(ExtendedToDouble(Ext(0x8000000000000000ull, 0x8001).data())), 0x8000000000000000ull);
  // An extended denormal (exponent 0) is far below any double.
  EXPECT_EQ(ExtendedToDouble(Ext(0x4000000000000000ull, 0).data()), 0.0);
  // A carry out of the denormal range gives the smallest normal double.
  EXPECT_EQ(ExtendedToDouble(Ext(0xFFFFFFFFFFFFFFFFull, 0x3C00).data()), std::numeric_limits<double>::min());
}

TEST(Extended, UnnormalsAndSpecialsDecode) {
  // An unnormal (integer bit clear) still has a value: 0.5 * 2^1 = 1.
  EXPECT_EQ(ExtendedToDouble(Ext(0x4000000000000000ull, 0x4000).data()), 1.0);
  EXPECT_TRUE(std::isinf(ExtendedToDouble(Ext(0x8000000000000000ull, 0x7FFF).data())));
  EXPECT_TRUE(std::isnan(ExtendedToDouble(Ext(0xC000000000000000ull, 0x7FFF).data())));
  // A NaN whose payload lies only in bits a double cannot hold stays a NaN.
  EXPECT_TRUE(std::isnan(ExtendedToDouble(Ext(0x8000000000000001ull, 0x7FFF).data())));
  EXPECT_TRUE(std::signbit(ExtendedToDouble(Ext(0, 0x8000).data())));
}

TEST(Extended, EveryDoubleRoundTripsBitExactly) {
  std::mt19937_64 rng(12345);
  for (int i = 0; i < 200000; ++i) {
    const std::uint64_t bits = rng();
    const double d = std::bit_cast<double>(bits);
    const double back = ExtendedToDouble(DoubleToExtended(d).data());
    if (std::isnan(d))
      ASSERT_TRUE(std::isnan(back));
    else
      ASSERT_EQ(Bits(back), bits) << std::hexfloat << d;
  }
  for (std::uint64_t f : {1ull, 2ull, 0xFFFFFFFFFFFFFull, 0x10000000000000ull})
    EXPECT_EQ(Bits(ExtendedToDouble(DoubleToExtended(std::bit_cast<double>(f)).data())), f);
}
