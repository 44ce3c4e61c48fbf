#include "platform/Gdi.h"

#include <iterator>

COLORREF ColorToRGB(COLORREF c) {
  if (!(c & clSystemColor)) return c & 0x00FFFFFF;
  // The classic desktop scheme, indexed by COLOR_* in the low byte.
  static constexpr COLORREF kSystem[] = {
      RGB(200, 200, 200), RGB(0, 128, 128),   RGB(0, 0, 128),     RGB(128, 128, 128),
      RGB(192, 192, 192), RGB(255, 255, 255), RGB(0, 0, 0),       RGB(0, 0, 0),
      RGB(0, 0, 0),       RGB(255, 255, 255), RGB(192, 192, 192), RGB(192, 192, 192),
      RGB(128, 128, 128), RGB(0, 0, 128),     RGB(255, 255, 255), RGB(192, 192, 192),
      RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),       RGB(192, 192, 192),
      RGB(255, 255, 255), RGB(0, 0, 0),       RGB(223, 223, 223), RGB(0, 0, 0),
      RGB(255, 255, 225)};
  const unsigned index = c & 0xFF;
  return index < std::size(kSystem) ? kSystem[index] : clBlack;
}

TLogPen GeometricPen(const TPen& pen) {
  TLogPen p;
  p.Style = pen.Style == psClear ? psClear : pen.Style == psInsideFrame ? psInsideFrame : psSolid;
  p.Width = pen.Width;
  p.Color = pen.Color;
  p.Geometric = true;
  p.EndCap = pecFlat;
  p.Join = pjMiter;
  return p;
}

int PenModeToRop2(TPenMode mode) {
  static constexpr int kRop2[] = {
      R2_BLACK,       R2_WHITE,      R2_NOP,      R2_NOT,         R2_COPYPEN,    R2_NOTCOPYPEN,
      R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN, R2_NOTMERGEPEN,
      R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,   R2_NOTXORPEN};
  return mode < std::size(kRop2) ? kRop2[mode] : R2_COPYPEN;
}

std::int32_t MulDivEven(std::int64_t a, std::int64_t b, std::int64_t c) {
  std::int64_t num = a * b;
  if (c < 0) {
    num = -num;
    c = -c;
  }
  std::int64_t q = num / c;
  std::int64_t r = num % c;
  if (r < 0) {
    r += c;
    q -= 1;
  }
  if (2 * r > c || (2 * r == c && (q & 1))) q += 1;
  return std::int32_t(q);
}
