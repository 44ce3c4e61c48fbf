#pragma once
// Integer regions as GDI keeps them: built from rectangles and polygons,
// combined by CombineRgn, hit-tested by PtInRegion. A region carries no
// coordinate space of its own; figures build logical ones (GetRegion) and
// device ones (GetClientRegion), and the canvas clips with device ones.

#include <memory>
#include <vector>

#include "platform/Gdi.h"

class TRegion {
 public:
  TRegion();  // empty
  TRegion(const TRegion& other);
  TRegion(TRegion&& other) noexcept;
  TRegion& operator=(const TRegion& other);
  TRegion& operator=(TRegion&& other) noexcept;
  ~TRegion();

  bool IsEmpty() const;
  // The region as disjoint rectangles (right and bottom exclusive), the form a
  // metafile's region records take.
  std::vector<TRect> Rects() const;

  struct Impl;
  Impl& impl() { return *d_; }
  const Impl& impl() const { return *d_; }

 private:
  std::unique_ptr<Impl> d_;
};

TRegion CreateRectRgn(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
// fillMode is ALTERNATE or WINDING. Like GDI, the right and bottom edges of
// the outline are outside the region.
TRegion CreatePolygonRgn(const TPoint* points, int count, int fillMode);
// Dest = Src1 <mode> Src2; mode RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF or
// RGN_COPY. Returns NULLREGION, SIMPLEREGION, COMPLEXREGION or RGN_ERROR.
int CombineRgn(TRegion& dest, const TRegion& src1, const TRegion& src2, int mode);
bool PtInRegion(const TRegion& rgn, std::int32_t x, std::int32_t y);
int GetRgnBox(const TRegion& rgn, TRect& box);
int OffsetRgn(TRegion& rgn, std::int32_t dx, std::int32_t dy);
