// Regions over QRegion: integer rectangles, polygons scan-converted with the
// same X11-derived rules GDI uses, so right and bottom edges stay outside.

#include <QPolygon>

#include "platform/QtCanvas.h"

TRegion::TRegion() : d_(std::make_unique<Impl>()) {}
TRegion::TRegion(const TRegion& other) : d_(std::make_unique<Impl>(*other.d_)) {}
TRegion::TRegion(TRegion&& other) noexcept : d_(std::make_unique<Impl>()) { d_.swap(other.d_); }
TRegion& TRegion::operator=(const TRegion& other) {
  if (this != &other) *d_ = *other.d_;
  return *this;
}
TRegion& TRegion::operator=(TRegion&& other) noexcept {
  d_.swap(other.d_);
  return *this;
}
TRegion::~TRegion() = default;

bool TRegion::IsEmpty() const { return d_->rgn.isEmpty(); }

std::vector<TRect> TRegion::Rects() const {
  std::vector<TRect> out;
  for (const QRect& r : d_->rgn) out.push_back({r.left(), r.top(), r.right() + 1, r.bottom() + 1});
  return out;
}

TRegion RegionFromQt(const QRegion& r) {
  TRegion out;
  out.impl().rgn = r;
  return out;
}

namespace {
int Complexity(const QRegion& r) {
  if (r.isEmpty()) return NULLREGION;
  return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}
}  // namespace

TRegion CreateRectRgn(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  return RegionFromQt(QRegion(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1))));
}

TRegion CreatePolygonRgn(const TPoint* points, int count, int fillMode) {
  if (!points || count < 3) return TRegion();
  QPolygon poly(count);
  for (int i = 0; i < count; ++i) poly.setPoint(i, points[i].x, points[i].y);
  return RegionFromQt(QRegion(poly, fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill));
}

int CombineRgn(TRegion& dest, const TRegion& src1, const TRegion& src2, int mode) {
  const QRegion& a = QtRegion(src1);
  const QRegion& b = QtRegion(src2);
  QRegion r;
  switch (mode) {
    case RGN_AND: r = a.intersected(b); break;
    case RGN_OR: r = a.united(b); break;
    case RGN_XOR: r = a.xored(b); break;
    case RGN_DIFF: r = a.subtracted(b); break;
    case RGN_COPY: r = a; break;
    default: return RGN_ERROR;
  }
  dest.impl().rgn = r;
  return Complexity(r);
}

bool PtInRegion(const TRegion& rgn, std::int32_t x, std::int32_t y) {
  return QtRegion(rgn).contains(QPoint(x, y));
}

int GetRgnBox(const TRegion& rgn, TRect& box) {
  const QRect r = QtRegion(rgn).boundingRect();
  box = r.isEmpty() ? TRect{} : TRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
  return Complexity(QtRegion(rgn));
}

int OffsetRgn(TRegion& rgn, std::int32_t dx, std::int32_t dy) {
  rgn.impl().rgn.translate(dx, dy);
  return Complexity(rgn.impl().rgn);
}
