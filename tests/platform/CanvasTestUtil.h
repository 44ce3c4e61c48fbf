#pragma once
// Small helpers for pixel checks: a white sheet with a canvas on it, the
// views' y-up mapping, and ink queries.

#include <QImage>
#include <QRect>
#include <memory>

#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/QtCanvas.h"

struct Sheet {
  TBitmap bitmap;
  std::unique_ptr<TCanvas> canvas;
  Sheet(int w, int h, COLORREF fill = clWhite) : bitmap(w, h, fill), canvas(CreateBitmapCanvas(bitmap)) {}
  TCanvas& operator*() { return *canvas; }
  TCanvas* operator->() { return canvas.get(); }
  const QImage& Image() const { return QtImage(bitmap); }
  COLORREF At(int x, int y) const { return bitmap.Pixel(x, y); }
  bool Ink(int x, int y) const { return bitmap.Pixel(x, y) != clWhite; }
  int InkCount() const {
    int n = 0;
    for (int y = 0; y < bitmap.Height(); ++y)
      for (int x = 0; x < bitmap.Width(); ++x) n += Ink(x, y);
    return n;
  }
  QRect InkBounds() const {
    QRect r;
    for (int y = 0; y < bitmap.Height(); ++y)
      for (int x = 0; x < bitmap.Width(); ++x)
        if (Ink(x, y)) r |= QRect(x, y, 1, 1);
    return r;
  }
};

// The drawing views' mapping: one logical unit per pixel, y up, logical
// (0, 0) at the bottom-left of a sheet of the given height.
inline void SetViewMapping(TCanvas& c, int sheetHeight) {
  c.SetMapMode(MM_ANISOTROPIC);
  c.SetViewportExtEx(2540, -2540);
  c.SetWindowExtEx(2540, 2540);
  c.SetWindowOrgEx(0, sheetHeight);
}
