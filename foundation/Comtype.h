#pragma once
// Plane geometry kernel: value records and free routines over them.

#include <cstdint>

struct Tpt {
  double x = 0;
  double y = 0;
};

struct Tv {
  double x = 0;
  double y = 0;
};

struct TBx {
  Tpt qd;
  Tpt zd;
};

struct TPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
};
