#include "platform/QtCanvas.h"
#include "platform/System.h"

TBitmap::TBitmap() : d_(std::make_unique<Impl>()) {}
TBitmap::TBitmap(int width, int height, COLORREF fill) : TBitmap() { SetSize(width, height, fill); }
TBitmap::TBitmap(const TBitmap& other) : d_(std::make_unique<Impl>(*other.d_)) {}
TBitmap& TBitmap::operator=(const TBitmap& other) {
  if (this != &other) *d_ = *other.d_;
  return *this;
}
TBitmap::TBitmap(TBitmap&& other) noexcept : d_(std::make_unique<Impl>()) { d_.swap(other.d_); }
TBitmap& TBitmap::operator=(TBitmap&& other) noexcept {
  d_.swap(other.d_);
  return *this;
}
TBitmap::~TBitmap() = default;

int TBitmap::Width() const { return d_->image.width(); }
int TBitmap::Height() const { return d_->image.height(); }

void TBitmap::SetSize(int width, int height, COLORREF fill) {
  if (width <= 0 || height <= 0) {
    d_->image = QImage();
    return;
  }
  // RGB32 keeps alpha opaque, which the raster operations need.
  d_->image = QImage(width, height, QImage::Format_RGB32);
  Fill(fill);
}

COLORREF TBitmap::Pixel(int x, int y) const {
  if (!d_->image.valid(x, y)) return clBlack;
  return QColorToColorRef(QColor::fromRgb(d_->image.pixel(x, y)));
}

void TBitmap::SetPixel(int x, int y, COLORREF c) {
  if (d_->image.valid(x, y)) d_->image.setPixel(x, y, ColorRefToQColor(c).rgb());
}

void TBitmap::Fill(COLORREF c) {
  if (!d_->image.isNull()) d_->image.fill(ColorRefToQColor(c));
}

const std::uint32_t* TBitmap::ScanLine(int y) const {
  return reinterpret_cast<const std::uint32_t*>(d_->image.constScanLine(y));
}

std::unique_ptr<TCanvas> CreateBitmapCanvas(TBitmap& bitmap) {
  // A memory context is compatible with the screen: it reports the screen's
  // resolution, not the 72 dpi a bare QImage carries.
  return std::make_unique<TQtCanvas>(&QtImage(bitmap), DT_RASDISPLAY, ScreenLogPixels);
}
