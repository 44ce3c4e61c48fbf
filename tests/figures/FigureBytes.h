#pragma once
// Saved values written out by hand, and painting a lone figure on a sheet:
// what the figure family tests share.

#include "../foundation/TestBytes.h"
#include "FigureTestSupport.h"

#include <gtest/gtest.h>

#include <initializer_list>

// Tagged extended floats, ten bytes each (without the tag).
using Ext = std::initializer_list<int>;
inline const Ext X0 = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
inline const Ext X1 = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
inline const Ext X2 = {0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0x40};
inline const Ext X3 = {0, 0, 0, 0, 0, 0, 0, 0xC0, 0x00, 0x40};
inline const Ext X4 = {0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x40};
inline const Ext X5 = {0, 0, 0, 0, 0, 0, 0, 0xA0, 0x01, 0x40};
inline const Ext X6 = {0, 0, 0, 0, 0, 0, 0, 0xC0, 0x01, 0x40};
inline const Ext X10 = {0, 0, 0, 0, 0, 0, 0, 0xA0, 0x02, 0x40};
inline const Ext X12 = {0, 0, 0, 0, 0, 0, 0, 0xC0, 0x02, 0x40};
inline const Ext X12_5 = {0, 0, 0, 0, 0, 0, 0, 0xC8, 0x02, 0x40};
inline const Ext X15 = {0, 0, 0, 0, 0, 0, 0, 0xF0, 0x02, 0x40};
inline const Ext X20 = {0, 0, 0, 0, 0, 0, 0, 0xA0, 0x03, 0x40};
inline const Ext X25 = {0, 0, 0, 0, 0, 0, 0, 0xC8, 0x03, 0x40};
inline const Ext X50 = {0, 0, 0, 0, 0, 0, 0, 0xC8, 0x04, 0x40};
inline const Ext X100 = {0, 0, 0, 0, 0, 0, 0, 0xC8, 0x05, 0x40};
inline const Ext X340 = {0, 0, 0, 0, 0, 0, 0, 0xAA, 0x07, 0x40};
inline const Ext X1000 = {0, 0, 0, 0, 0, 0, 0, 0xFA, 0x08, 0x40};
inline const Ext XHalf = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x3F};
inline const Ext XQuarter = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFD, 0x3F};

// One float value: the tag, then the ten bytes.
inline void F(ByteBuilder& b, Ext e) {
  b({0x05});
  b(e);
}

// No caption, scale 1, angle 0, no name, black copy pen of width 1 in the
// given style, white clear brush, no fill item.
inline void FigureValues(ByteBuilder& b, int PenStyle = psSolid) {
  b({0x06, 0x00});
  F(b, X1);
  F(b, X0);
  b({0x06, 0x00});
  b({0x02, 0x00, 0x04, PenStyle, 0x02, 0x01});
  b({0x04, 0xFF, 0xFF, 0xFF, 0x00, 0x01, 0x08});
}
inline void DefaultFigureValues(ByteBuilder& b) { FigureValues(b); }

template <class T>
void ReadAll(T& f, const Bytes& bytes) {
  TReader r(bytes);
  f.ReadData(r);
  EXPECT_EQ(r.Remaining(), 0u);
}

// Paints one figure without parent (logical = local) on a white sheet.
inline void PaintFigure(TCustomFigure& f, Sheet& s) {
  SetViewMapping(*s, s.bitmap.Height());
  f.DrawDC(*s, nullptr, TRect{});
}

// Ink at logical (x, y) on a sheet whose logical origin is its bottom-left.
inline bool InkAt(const Sheet& s, int x, int y) {
  const int row = s.bitmap.Height() - y;
  if (x < 0 || x >= s.bitmap.Width() || row < 0 || row >= s.bitmap.Height()) return false;
  return s.Ink(x, row);
}

// Inked pixels in the logical column x between y0 and y1 inclusive.
inline int ColumnInk(const Sheet& s, int x, int y0, int y1) {
  int n = 0;
  for (int y = y0; y <= y1; ++y) n += InkAt(s, x, y);
  return n;
}

inline int BoxInk(const Sheet& s, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int x = x0; x <= x1; ++x) n += ColumnInk(s, x, y0, y1);
  return n;
}
