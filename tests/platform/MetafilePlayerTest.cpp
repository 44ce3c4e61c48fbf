// Metafile playback over records written out by hand from the EMF and WMF
// layouts, and over cut and damaged files.

#include "platform/MetafilePlayer.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, int v) {
  b.push_back(std::uint8_t(v & 0xFF));
  b.push_back(std::uint8_t((v >> 8) & 0xFF));
}
void Put32(Bytes& b, std::int64_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t((v >> (8 * i)) & 0xFF));
}

// An EMF record: type, size, then 32-bit values.
void Emr(Bytes& b, int type, std::initializer_list<std::int64_t> values) {
  Put32(b, type);
  Put32(b, 8 + 4 * std::int64_t(values.size()));
  for (std::int64_t v : values) Put32(b, v);
}

// The 88-byte header: bounds 0..99 inclusive, a 100 x 100 pixel device of
// 26 x 26 mm.
Bytes EmfHeader() {
  Bytes b;
  Emr(b, 1, {0, 0, 99, 99, 0, 0, 2645, 2645, 0x464D4520, 0x10000, 0, 0, 0, 0, 0, 0, 100, 100, 26, 26});
  return b;
}
void EmfEnd(Bytes& b) {
  Emr(b, 14, {0, 16, 20});
  const std::uint32_t size = std::uint32_t(b.size());
  for (int i = 0; i < 4; ++i) b[48 + i] = std::uint8_t(size >> (8 * i));
}

// A red square from (10, 10) to (49, 49) inclusive, without outline.
Bytes EmfRedSquare() {
  Bytes b = EmfHeader();
  Emr(b, 39, {1, 0, 0x0000FF, 0});  // CREATEBRUSHINDIRECT 1: solid, red (COLORREF 0x00BBGGRR)
  Emr(b, 37, {1});                  // SELECTOBJECT 1
  Emr(b, 37, {0x80000008});         // SELECTOBJECT NULL_PEN
  Emr(b, 43, {10, 10, 49, 49});     // RECTANGLE
  return b;
}

QImage Play(const Bytes& b, QPointF TopLeft, QPointF BottomRight, int W, int H, TMetafilePlayback* Out = nullptr) {
  QImage img(W, H, QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  const TMetafilePlayback r = PlayMetafile(p, b, TopLeft, BottomRight);
  p.end();
  if (Out) *Out = r;
  return img;
}
QImage Play(const Bytes& b, int W = 100, int H = 100, TMetafilePlayback* Out = nullptr) {
  return Play(b, QPointF(0, 0), QPointF(W, H), W, H, Out);
}

QRgb At(const QImage& i, int x, int y) { return i.pixel(x, y) & 0xFFFFFF; }
constexpr QRgb kRed = 0xFF0000, kWhite = 0xFFFFFF, kBlue = 0x0000FF;

int Dark(const QImage& i, QRect r) {
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) n += qGray(i.pixel(x, y)) < 128;
  return n;
}

}  // namespace

TEST(EmfPlayback, HandWrittenRecordsPaintTheirShapesStretchedAndFlipped) {
  Bytes b = EmfRedSquare();
  EmfEnd(b);
  TMetafilePlayback r;
  const QImage same = Play(b, 100, 100, &r);
  EXPECT_TRUE(r.Complete);
  EXPECT_EQ(r.Records, 6);
  EXPECT_EQ(At(same, 10, 10), kRed);
  // The file's boxes are inclusive, and without a pen GDI fills one pixel
  // less to the right and below.
  EXPECT_EQ(At(same, 48, 48), kRed);
  EXPECT_EQ(At(same, 49, 30), kWhite);
  EXPECT_EQ(At(same, 50, 50), kWhite);
  EXPECT_EQ(At(same, 9, 30), kWhite);

  const QImage twice = Play(b, 200, 200);
  EXPECT_EQ(At(twice, 21, 21), kRed);
  EXPECT_EQ(At(twice, 97, 97), kRed);
  EXPECT_EQ(At(twice, 102, 102), kWhite);

  // The corners exchanged top for bottom: the square comes out at the bottom.
  const QImage flipped = Play(b, QPointF(0, 100), QPointF(100, 0), 100, 100);
  EXPECT_EQ(At(flipped, 30, 70), kRed);
  EXPECT_EQ(At(flipped, 30, 30), kWhite);
}

TEST(EmfPlayback, MappingModesAndWorldTransformsPlaceTheShapes) {
  Bytes b = EmfHeader();
  Emr(b, 39, {1, 0, 0xFF0000, 0});  // blue brush
  Emr(b, 37, {1});
  Emr(b, 37, {0x80000008});
  Emr(b, 17, {8});                // SETMAPMODE ANISOTROPIC
  Emr(b, 9, {1000, 1000});        // SETWINDOWEXTEX
  Emr(b, 11, {100, -100});        // SETVIEWPORTEXTEX: y up
  Emr(b, 12, {0, 100});           // SETVIEWPORTORGEX
  // POLYGON16 (bounds, 3 points packed two 16-bit values a word): a
  // triangle near the logical origin, which is the bottom-left corner.
  Emr(b, 86, {0, 0, 0, 0, 3, (0) | (0 << 16), (500) | (0 << 16), (0) | (500 << 16)});
  EmfEnd(b);
  const QImage img = Play(b);
  EXPECT_EQ(At(img, 5, 94), kBlue);
  EXPECT_EQ(At(img, 5, 5), kWhite);
  EXPECT_EQ(At(img, 40, 97), kBlue);
  EXPECT_EQ(At(img, 45, 56), kWhite);

  // A world transform doubling everything: the square of 10..49 reaches 98.
  Bytes w = EmfHeader();
  Emr(w, 39, {1, 0, 0x0000FF, 0});
  Emr(w, 37, {1});
  Emr(w, 37, {0x80000008});
  const float two = 2.0f, zero = 0.0f;
  std::uint32_t t2, t0;
  std::memcpy(&t2, &two, 4);
  std::memcpy(&t0, &zero, 4);
  Emr(w, 35, {t2, t0, t0, t2, t0, t0});  // SETWORLDTRANSFORM
  Emr(w, 43, {5, 5, 24, 24});
  EmfEnd(w);
  const QImage big = Play(w);
  EXPECT_EQ(At(big, 12, 12), kRed);
  EXPECT_EQ(At(big, 47, 47), kRed);
  EXPECT_EQ(At(big, 52, 52), kWhite);
}

TEST(EmfPlayback, SaveAndRestoreAndClipping) {
  Bytes b = EmfHeader();
  Emr(b, 39, {1, 0, 0x0000FF, 0});
  Emr(b, 37, {1});
  Emr(b, 37, {0x80000008});
  Emr(b, 33, {});                 // SAVEDC
  Emr(b, 30, {0, 0, 30, 100});    // INTERSECTCLIPRECT: the left part only
  Emr(b, 43, {10, 10, 49, 49});
  Emr(b, 34, {-1});               // RESTOREDC: the clip is gone again
  Emr(b, 43, {60, 60, 89, 89});
  EmfEnd(b);
  const QImage img = Play(b);
  EXPECT_EQ(At(img, 20, 20), kRed);
  EXPECT_EQ(At(img, 40, 20), kWhite) << "clipped away";
  EXPECT_EQ(At(img, 70, 70), kRed) << "drawn after the restore";
}

TEST(EmfPlayback, Utf16TextIsDrawn) {
  Bytes b = EmfHeader();
  // EXTCREATEFONTINDIRECTW 1: a LOGFONT 40 pixels high, face "SimSun".
  Bytes font;
  Put32(font, 1);
  for (std::int64_t v : {-40, 0, 0, 0, 400}) Put32(font, v);
  for (int v : {0, 0, 0, 134, 0, 0, 0, 0}) font.push_back(std::uint8_t(v));
  const char16_t face[32] = u"SimSun";
  for (char16_t c : face) Put16(font, c);
  Put32(b, 82);
  Put32(b, 8 + std::int64_t(font.size()));
  b.insert(b.end(), font.begin(), font.end());
  Emr(b, 37, {1});
  Emr(b, 18, {1});  // SETBKMODE TRANSPARENT
  // EXTTEXTOUTW at (20, 20): bounds, mode, scales, reference, 1 char at
  // offset 60, options ETO_NO_RECT, dx offset 64; "中" (U+4E2D), its dx.
  Bytes t;
  for (std::int64_t v : {0, 0, 99, 99, 1, 0, 0, 20, 20, 1, 60, 0x100, 64}) Put32(t, v);
  Put32(t, 0x4E2D);
  Put32(t, 40);
  Put32(b, 84);
  Put32(b, 8 + std::int64_t(t.size()));
  b.insert(b.end(), t.begin(), t.end());
  EmfEnd(b);
  const QImage img = Play(b);
  EXPECT_GT(Dark(img, QRect(20, 20, 45, 45)), 40);
  EXPECT_EQ(Dark(img, QRect(0, 70, 100, 30)), 0);
}

TEST(EmfPlayback, UnknownRecordsAreSkippedAndABrokenOneEndsThePlayKeepingWhatWasPainted) {
  Bytes b = EmfRedSquare();
  Emr(b, 200, {1, 2});  // no such record
  Emr(b, 43, {60, 60, 89, 89});
  Bytes broken = b;
  EmfEnd(b);
  TMetafilePlayback r;
  QImage img = Play(b, 100, 100, &r);
  EXPECT_TRUE(r.Complete);
  EXPECT_EQ(At(img, 70, 70), kRed) << "after the unknown record";

  // A polyline claiming four billion points in a 28-byte record, then a
  // square that must not be reached.
  Emr(broken, 4, {0, 0, 0, 0, 0xFFFFFFFF});
  Emr(broken, 43, {0, 80, 9, 89});
  EmfEnd(broken);
  img = Play(broken, 100, 100, &r);
  EXPECT_FALSE(r.Complete);
  EXPECT_EQ(At(img, 20, 20), kRed);
  EXPECT_EQ(At(img, 5, 85), kWhite);

  // A record whose size runs past the end of the file.
  Bytes past = EmfRedSquare();
  Put32(past, 43);
  Put32(past, 4000);
  Put32(past, 0);
  img = Play(past, 100, 100, &r);
  EXPECT_FALSE(r.Complete);
  EXPECT_EQ(At(img, 20, 20), kRed);
}

namespace {

// A WMF with the placeable header: box 0..100 at 96 units an inch, the
// window 0..1000.
Bytes WmfStart() {
  Bytes b;
  Put32(b, 0x9AC6CDD7);
  const int words[] = {0, 0, 0, 100, 100, 96, 0, 0};
  for (int w : words) Put16(b, w);
  std::uint16_t sum = 0;
  for (std::size_t i = 0; i < 20; i += 2) sum ^= std::uint16_t(b[i] | b[i + 1] << 8);
  Put16(b, sum);
  Put16(b, 1);       // memory metafile
  Put16(b, 9);       // header words
  Put16(b, 0x300);   // version
  Put32(b, 0);       // file size, filled by WmfEnd
  Put16(b, 4);       // objects
  Put32(b, 100);     // largest record
  Put16(b, 0);
  return b;
}
void Wmr(Bytes& b, int function, std::initializer_list<int> words) {
  Put32(b, 3 + std::int64_t(words.size()));
  Put16(b, function);
  for (int w : words) Put16(b, w);
}
void WmfEnd(Bytes& b) {
  Wmr(b, 0, {});
  const std::uint32_t words = std::uint32_t((b.size() - 22) / 2);
  for (int i = 0; i < 4; ++i) b[22 + 6 + i] = std::uint8_t(words >> (8 * i));
}

}  // namespace

TEST(WmfPlayback, HandWrittenRecordsPaintInTheWindowAndGbkTextShows) {
  Bytes b = WmfStart();
  Wmr(b, 0x0103, {8});              // SETMAPMODE ANISOTROPIC
  Wmr(b, 0x020B, {0, 0});           // SETWINDOWORG y, x
  Wmr(b, 0x020C, {1000, 1000});     // SETWINDOWEXT y, x
  Wmr(b, 0x02FC, {0, 0x0000, 0x00FF, 0});  // CREATEBRUSHINDIRECT solid blue (RR GG, BB 00)
  Wmr(b, 0x012D, {0});              // SELECTOBJECT 0
  Wmr(b, 0x02FA, {5, 0, 0, 0, 0});  // CREATEPENINDIRECT null pen
  Wmr(b, 0x012D, {1});
  Wmr(b, 0x041B, {500, 500, 100, 100});  // RECTANGLE bottom, right, top, left
  // CREATEFONTINDIRECT: height -300, GB2312, face "SimSun".
  Wmr(b, 0x02FB, {-300, 0, 0, 0, 400, 0, 134 << 8, 0, 0, 'S' | 'i' << 8, 'm' | 'S' << 8, 'u' | 'n' << 8, 0});
  Wmr(b, 0x012D, {2});
  Wmr(b, 0x0102, {1});  // SETBKMODE TRANSPARENT
  // TEXTOUT: length 2, "中" in GBK (D6 D0), y 600, x 100.
  Wmr(b, 0x0521, {2, 0xD0D6, 600, 100});
  WmfEnd(b);
  TMetafilePlayback r;
  const QImage img = Play(b, 100, 100, &r);
  EXPECT_TRUE(r.Complete);
  EXPECT_EQ(At(img, 20, 20), kBlue);
  EXPECT_EQ(At(img, 48, 48), kBlue);
  EXPECT_EQ(At(img, 50, 50), kWhite);
  EXPECT_GT(Dark(img, QRect(10, 60, 35, 35)), 30) << "the character";
}

TEST(MetafilePlayback, EveryCutOfAFilePaintsWhatItCanAndNeverCrashes) {
  Bytes emf = EmfRedSquare();
  Emr(emf, 86, {0, 0, 0, 0, 3, 0, 50, 50 << 16});
  EmfEnd(emf);
  Bytes wmf = WmfStart();
  Wmr(wmf, 0x02FC, {0, 0x00FF, 0x0000, 0});
  Wmr(wmf, 0x012D, {0});
  Wmr(wmf, 0x0324, {3, 0, 0, 50, 0, 0, 50});  // POLYGON
  Wmr(wmf, 0x041B, {50, 50, 10, 10});
  WmfEnd(wmf);
  for (const Bytes* whole : {&emf, &wmf}) {
    for (std::size_t cut = 0; cut < whole->size(); ++cut) {
      const Bytes part(whole->begin(), whole->begin() + std::ptrdiff_t(cut));
      TMetafilePlayback r;
      Play(part, 20, 20, &r);
      EXPECT_FALSE(r.Complete) << cut;
    }
    // Every byte changed in turn, too.
    for (std::size_t at = 0; at < whole->size(); ++at) {
      Bytes bad = *whole;
      bad[at] ^= 0xA5;
      Play(bad, 20, 20);
    }
  }
}

TEST(MetafilePlayback, AnotherWritersFilesPlayBackToTheirDrawing) {
  // inkscape-shapes.svg converted by Inkscape 1.2 ("inkscape shapes.svg
  // --export-type=emf" and "=wmf"): a red box, a blue disc, a green curve.
  for (const char* name : {"inkscape-shapes.emf", "inkscape-shapes.wmf"}) {
    std::ifstream in(std::string(PLANDECK_TEST_DATA "/metafiles/") + name, std::ios::binary);
    const Bytes b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(b.size(), 100u) << name;
    TMetafilePlayback r;
    const QImage img = Play(b, 100, 100, &r);
    EXPECT_TRUE(r.Complete) << name;
    EXPECT_EQ(At(img, 30, 25), kRed) << name;
    EXPECT_EQ(At(img, 70, 70), kBlue) << name;
    EXPECT_EQ(At(img, 30, 82), 0x00FF00u) << name << ": inside the curve";
    EXPECT_EQ(At(img, 30, 62), kWhite) << name << ": above the curve";
    EXPECT_EQ(At(img, 90, 10), kWhite) << name;
    EXPECT_EQ(At(img, 55, 25), kWhite) << name;
  }
}

TEST(EmfPlayback, StretchDIBitsStretchesItsBitmapIntoTheDestination) {
  Bytes b = EmfHeader();
  // STRETCHDIBITS: bounds, destination (10, 10), source (0, 0) 2 x 1, the
  // BITMAPINFO at 80 (40 bytes), the bits at 120 (8 bytes), RGB colours,
  // SRCCOPY, destination size 80 x 40; then a 2 x 1 24-bit DIB: red, blue.
  Emr(b, 81, {0, 0, 99, 99, 10, 10, 0, 0, 2, 1, 80, 40, 120, 8, 0, 0xCC0020, 80, 40,
              40, 2, 1, 1 | (24 << 16), 0, 8, 0, 0, 0, 0, 0xFFFF0000, 0});
  EmfEnd(b);
  TMetafilePlayback r;
  const QImage img = Play(b, 100, 100, &r);
  EXPECT_TRUE(r.Complete);
  EXPECT_EQ(At(img, 12, 12), kRed);
  EXPECT_EQ(At(img, 47, 47), kRed);
  EXPECT_EQ(At(img, 52, 12), kBlue);
  EXPECT_EQ(At(img, 87, 47), kBlue);
  EXPECT_EQ(At(img, 50, 55), kWhite);
}
