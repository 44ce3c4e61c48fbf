#pragma once
// Off-screen bitmaps: the views' double buffer, pattern tiles and pictures.
// 32-bit RGB pixels, top row first, as a device-independent bitmap holds them
// once flipped; CreateBitmapCanvas gives a canvas that draws into one.

#include <memory>

#include "platform/Gdi.h"

class TCanvas;

class TBitmap {
 public:
  TBitmap();
  TBitmap(int width, int height, COLORREF fill = clWhite);
  TBitmap(const TBitmap& other);
  TBitmap& operator=(const TBitmap& other);
  TBitmap(TBitmap&&) noexcept;
  TBitmap& operator=(TBitmap&&) noexcept;
  ~TBitmap();

  int Width() const;
  int Height() const;
  bool IsEmpty() const { return Width() <= 0 || Height() <= 0; }
  void SetSize(int width, int height, COLORREF fill = clWhite);
  COLORREF Pixel(int x, int y) const;
  void SetPixel(int x, int y, COLORREF c);
  void Fill(COLORREF c);
  // Row y as 0x00RRGGBB words (the DIB byte order B, G, R, 0 on little-endian).
  const std::uint32_t* ScanLine(int y) const;

  struct Impl;
  Impl& impl() { return *d_; }
  const Impl& impl() const { return *d_; }

 private:
  std::unique_ptr<Impl> d_;
};

// A memory device context over the bitmap; the bitmap must outlive it and must
// not be resized while it lives.
std::unique_ptr<TCanvas> CreateBitmapCanvas(TBitmap& bitmap);
