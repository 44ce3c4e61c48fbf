// Metafile playback over records written out by hand from the EMF and WMF
// layouts, and over cut and damaged files.

#include "platform/MetafilePlayer.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <array>
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

namespace {
// A metafile of the test data played whole into 100 x 100 pixels.
QImage PlayTestFile(const char* Name) {
  std::ifstream in(std::string(PLANDECK_TEST_DATA "/metafiles/") + Name, std::ios::binary);
  const Bytes b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_GT(b.size(), 100u) << Name;
  TMetafilePlayback r;
  const QImage img = Play(b, 100, 100, &r);
  EXPECT_TRUE(r.Complete) << Name;
  return img;
}
}  // namespace

TEST(MetafilePlayback, AnotherWritersFilesPlayBackToTheirDrawing) {
  // inkscape-shapes.svg converted by Inkscape 1.2 ("inkscape shapes.svg
  // --export-type=emf" and "=wmf"): a red box, a blue disc, a green curve.
  for (const char* name : {"inkscape-shapes.emf", "inkscape-shapes.wmf"}) {
    const QImage img = PlayTestFile(name);
    EXPECT_EQ(At(img, 30, 25), kRed) << name;
    EXPECT_EQ(At(img, 70, 70), kBlue) << name;
    EXPECT_EQ(At(img, 30, 82), 0x00FF00u) << name << ": inside the curve";
    EXPECT_EQ(At(img, 30, 62), kWhite) << name << ": above the curve";
    EXPECT_EQ(At(img, 90, 10), kWhite) << name;
    EXPECT_EQ(At(img, 55, 25), kWhite) << name;
  }
}

TEST(MetafilePlayback, AnotherWritersClipPathKeepsItsFillToTheCircle) {
  // inkscape-clip.svg converted the same way: a red square clipped to a
  // circle of radius 30 round the middle (a SELECTCLIPPATH of Béziers in the
  // EMF), a small blue square in the corner. Its WMF writer drops the clip,
  // so the WMF holds the whole square.
  for (const char* name : {"inkscape-clip.emf", "inkscape-clip.wmf"}) {
    const bool clipped = std::string(name).ends_with(".emf");
    const QImage img = PlayTestFile(name);
    EXPECT_EQ(At(img, 50, 50), kRed) << name;
    EXPECT_EQ(At(img, 50, 75), kRed) << name;
    EXPECT_EQ(At(img, 10, 10), kBlue) << name;
    EXPECT_EQ(At(img, 50, 15), clipped ? kWhite : kRed) << name << ": outside the circle";
    EXPECT_EQ(At(img, 85, 85), clipped ? kWhite : kRed) << name << ": outside the circle";
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

  // A source of 4 x 2 from the 2 x 1 bitmap: the bitmap's part lands in
  // the matching part of the destination (its left half, lower half), and
  // the rest of the source rectangle is not copied out at all.
  Bytes past = EmfHeader();
  Emr(past, 81, {0, 0, 99, 99, 10, 10, 0, 0, 4, 2, 80, 40, 120, 8, 0, 0xCC0020, 80, 40,
                 40, 2, 1, 1 | (24 << 16), 0, 8, 0, 0, 0, 0, 0xFFFF0000, 0});
  EmfEnd(past);
  const QImage part = Play(past, 100, 100, &r);
  EXPECT_TRUE(r.Complete);
  EXPECT_EQ(At(part, 20, 40), kRed);
  EXPECT_EQ(At(part, 40, 40), kBlue);
  EXPECT_EQ(At(part, 20, 20), kWhite);
  EXPECT_EQ(At(part, 60, 40), kWhite);
}

namespace {

// An EMF record from raw bytes after its type and size, padded to words.
void EmrBytes(Bytes& b, int type, Bytes body) {
  while (body.size() % 4) body.push_back(0);
  Put32(b, type);
  Put32(b, 8 + std::int64_t(body.size()));
  b.insert(b.end(), body.begin(), body.end());
}
// A WMF record from raw bytes after its function, padded to words.
void WmrBytes(Bytes& b, int function, Bytes body) {
  if (body.size() % 2) body.push_back(0);
  Put32(b, 3 + std::int64_t(body.size() / 2));
  Put16(b, function);
  b.insert(b.end(), body.begin(), body.end());
}
Bytes Words(std::initializer_list<std::int64_t> values) {
  Bytes b;
  for (std::int64_t v : values) Put32(b, v);
  return b;
}

// BITMAPINFOHEADER and bits of a 2 x 1 24-bit DIB: red, blue.
const std::initializer_list<std::int64_t> kRedBlueDib = {40, 2, 1, 1 | (24 << 16), 0, 8, 0, 0, 0, 0, 0xFFFF0000, 0};
// A 2 x 1 monochrome DIB, black and white colours, bits 1 0.
const std::initializer_list<std::int64_t> kMaskDib = {40, 2, 1, 1 | (1 << 16), 0, 4, 0, 0, 2, 0, 0, 0xFFFFFF, 0x80};

Bytes EmfRedBrushNoPen() {
  Bytes b = EmfHeader();
  Emr(b, 39, {1, 0, 0x0000FF, 0});
  Emr(b, 37, {1});
  Emr(b, 37, {0x80000008});
  return b;
}

// Region data for EXTSELECTCLIPRGN: size, mode, then the header and rects.
Bytes ClipRegion(int Mode, std::initializer_list<std::array<int, 4>> Rects) {
  Bytes rd = Words({32, 1, std::int64_t(Rects.size()), 16 * std::int64_t(Rects.size()), 0, 0, 100, 100});
  for (const auto& r : Rects)
    for (int v : r) Put32(rd, v);
  Bytes b = Words({std::int64_t(rd.size()), Mode});
  b.insert(b.end(), rd.begin(), rd.end());
  return b;
}

}  // namespace

TEST(EmfPlayback, RegionAndPathClipsKeepToTheirAreaAndComeBackWithRestore) {
  Bytes b = EmfRedBrushNoPen();
  Emr(b, 33, {});  // SAVEDC
  // EXTSELECTCLIPRGN, RGN_COPY: two bands, left and right.
  EmrBytes(b, 75, ClipRegion(5, {{0, 0, 30, 100}, {70, 0, 100, 100}}));
  Emr(b, 43, {10, 10, 89, 29});
  // RGN_DIFF cuts a hole out of the left band.
  EmrBytes(b, 75, ClipRegion(4, {{10, 30, 20, 50}}));
  Emr(b, 43, {10, 30, 89, 49});
  Emr(b, 34, {-1});  // RESTOREDC: no clip again
  Emr(b, 43, {10, 60, 89, 69});
  EmfEnd(b);
  TMetafilePlayback r;
  QImage img = Play(b, 100, 100, &r);
  EXPECT_TRUE(r.Complete);
  EXPECT_EQ(At(img, 20, 20), kRed);
  EXPECT_EQ(At(img, 50, 20), kWhite) << "between the bands";
  EXPECT_EQ(At(img, 80, 20), kRed);
  EXPECT_EQ(At(img, 15, 40), kWhite) << "the hole";
  EXPECT_EQ(At(img, 25, 40), kRed);
  EXPECT_EQ(At(img, 50, 65), kRed) << "after the restore";

  // A path as the clip: a triangle, then moved down by OFFSETCLIPRGN.
  Bytes p = EmfRedBrushNoPen();
  Emr(p, 59, {});                                               // BEGINPATH
  Emr(p, 86, {0, 0, 0, 0, 3, 0, 100, 100 << 16});                // POLYGON16 (0,0) (100,0) (0,100)
  Emr(p, 60, {});                                               // ENDPATH
  Emr(p, 67, {5});                                              // SELECTCLIPPATH RGN_COPY
  Emr(p, 43, {0, 0, 99, 99});
  Emr(p, 39, {2, 0, 0xFF0000, 0});                              // blue brush
  Emr(p, 37, {2});
  Emr(p, 26, {0, 50});                                          // OFFSETCLIPRGN
  Emr(p, 43, {0, 0, 99, 99});
  EmfEnd(p);
  img = Play(p, 100, 100, &r);
  EXPECT_TRUE(r.Complete);
  EXPECT_EQ(At(img, 10, 10), kRed);
  EXPECT_EQ(At(img, 60, 20), kRed);
  EXPECT_EQ(At(img, 10, 60), kBlue);
  EXPECT_EQ(At(img, 90, 90), kWhite) << "outside the triangle either way";
  EXPECT_EQ(At(img, 70, 45), kWhite);

  // SELECTCLIPPATH with no path fails in GDI: the clip before it stays.
  Bytes none = EmfRedBrushNoPen();
  Emr(none, 30, {0, 0, 50, 100});
  Emr(none, 67, {5});
  Emr(none, 43, {10, 10, 89, 89});
  EmfEnd(none);
  img = Play(none, 100, 100, &r);
  EXPECT_EQ(At(img, 20, 50), kRed);
  EXPECT_EQ(At(img, 70, 50), kWhite);

  // Region data claiming more rectangles than it holds ends the playback.
  Bytes bad = EmfRedBrushNoPen();
  Bytes rgn = ClipRegion(5, {{0, 0, 30, 100}});
  rgn[16] = 200;  // nCount
  EmrBytes(bad, 75, rgn);
  Emr(bad, 43, {10, 10, 89, 89});
  EmfEnd(bad);
  img = Play(bad, 100, 100, &r);
  EXPECT_FALSE(r.Complete);
  EXPECT_EQ(At(img, 50, 50), kWhite);
}

TEST(WmfPlayback, RegionObjectsClipUntilAHandleThatIsNoRegionLiftsTheClip) {
  Bytes b = WmfStart();
  Wmr(b, 0x0103, {8});
  Wmr(b, 0x020C, {1000, 1000});
  Wmr(b, 0x02FC, {0, 0x0000, 0x00FF, 0});  // brush 0: blue
  Wmr(b, 0x012D, {0});
  Wmr(b, 0x02FA, {5, 0, 0, 0, 0});         // pen 1: null
  Wmr(b, 0x012D, {1});
  // CREATEREGION 2: one scan from y 0 to 1000 with x 0..300 and 700..1000.
  Wmr(b, 0x06FF, {0, 6, 0, 0, 1, 4, 0, 0, 1000, 1000, 4, 0, 1000, 0, 300, 700, 1000, 4});
  Wmr(b, 0x012C, {2});                     // SELECTCLIPREGION 2
  Wmr(b, 0x041B, {290, 900, 100, 100});    // RECTANGLE
  Wmr(b, 0x012C, {0});                     // handle 0 is a brush: the clip goes
  Wmr(b, 0x041B, {690, 900, 600, 100});
  WmfEnd(b);
  TMetafilePlayback r;
  const QImage img = Play(b, 100, 100, &r);
  EXPECT_TRUE(r.Complete);
  EXPECT_EQ(At(img, 20, 20), kBlue);
  EXPECT_EQ(At(img, 50, 20), kWhite);
  EXPECT_EQ(At(img, 80, 20), kBlue);
  EXPECT_EQ(At(img, 50, 65), kBlue) << "after the clip was lifted";

  // A region whose scan counts run past its record ends the playback.
  Bytes bad = WmfStart();
  Wmr(bad, 0x02FC, {0, 0x0000, 0x00FF, 0});
  Wmr(bad, 0x012D, {0});
  Wmr(bad, 0x06FF, {0, 6, 0, 0, 1, 4, 0, 0, 1000, 1000, 400, 0, 1000, 0, 300});
  Wmr(bad, 0x041B, {90, 90, 10, 10});
  WmfEnd(bad);
  const QImage cut = Play(bad, 100, 100, &r);
  EXPECT_FALSE(r.Complete);
  EXPECT_EQ(At(cut, 5, 5), kWhite);
}

TEST(EmfPlayback, PolyDrawMovesDrawsLinesAndBeziersAndClosesFigures) {
  Bytes b = EmfHeader();
  // POLYDRAW16: bounds, 6 points, then their types: move, line, three
  // Bézier points (a straight one), line with close.
  Bytes body = Words({0, 0, 0, 0, 6, 10 | 10 << 16, 90 | 10 << 16, 90 | 50 << 16, 90 | 50 << 16, 90 | 90 << 16,
                      10 | 90 << 16});
  for (int t : {6, 2, 4, 4, 4, 3}) body.push_back(std::uint8_t(t));
  EmrBytes(b, 92, body);
  EmfEnd(b);
  TMetafilePlayback r;
  const QImage img = Play(b, 100, 100, &r);
  EXPECT_TRUE(r.Complete);
  EXPECT_GT(Dark(img, QRect(45, 9, 10, 3)), 0) << "the line";
  EXPECT_GT(Dark(img, QRect(89, 25, 3, 10)), 0) << "the Bézier";
  EXPECT_GT(Dark(img, QRect(45, 89, 10, 3)), 0) << "the last line";
  EXPECT_GT(Dark(img, QRect(9, 45, 3, 10)), 0) << "the closing line";
  EXPECT_EQ(Dark(img, QRect(20, 20, 60, 60)), 0);

  // A count beyond the record's bytes ends the playback.
  Bytes bad = EmfRedSquare();
  Bytes big = Words({0, 0, 0, 0, 1000, 10 | 10 << 16});
  big.push_back(6);
  EmrBytes(bad, 92, big);
  Emr(bad, 43, {60, 60, 89, 89});
  EmfEnd(bad);
  const QImage cut = Play(bad, 100, 100, &r);
  EXPECT_FALSE(r.Complete);
  EXPECT_EQ(At(cut, 20, 20), kRed);
  EXPECT_EQ(At(cut, 70, 70), kWhite);
}

TEST(EmfPlayback, ArcToDrawsALineToTheArcAndMovesTheCurrentPositionToItsEnd) {
  Bytes b = EmfHeader();
  Emr(b, 27, {10, 50});                          // MOVETOEX
  Emr(b, 55, {50, 30, 90, 70, 50, 50, 90, 50});  // ARCTO: the circle from its left to its right
  Emr(b, 54, {90, 90});                          // LINETO from the arc's end
  EmfEnd(b);
  const QImage img = Play(b);
  EXPECT_GT(Dark(img, QRect(20, 49, 20, 3)), 15) << "the line to the arc's start";
  EXPECT_GT(Dark(img, QRect(88, 60, 4, 20)), 15) << "the next line starts at the arc's end";
}

TEST(EmfPlayback, MaskBltPaintsWhereTheMaskIsSetAndPlgBltFillsTheParallelogram) {
  Bytes b = EmfHeader();
  const float twenty = 20.0f, zero = 0.0f;
  std::uint32_t t20, t0;
  std::memcpy(&t20, &twenty, 4);
  std::memcpy(&t0, &zero, 4);
  Emr(b, 35, {t20, t0, t0, t20, t0, t0});  // world: times 20
  // MASKBLT at (1, 1), 2 x 1, SRCCOPY where the mask is 1 and the
  // destination kept where it is 0; the source at 128, the mask at 176.
  Bytes body = Words({0, 0, 99, 99, 1, 1, 2, 1, 0xAACC0020, 0, 0, t20, t0, t0, t20, t0, t0, 0, 0, 128, 40, 168, 8,
                      0, 0, 0, 176, 48, 224, 4});
  for (const Bytes& part : {Words(kRedBlueDib), Words(kMaskDib)}) body.insert(body.end(), part.begin(), part.end());
  EmrBytes(b, 78, body);
  EmfEnd(b);
  TMetafilePlayback r;
  QImage img = Play(b, 100, 100, &r);
  EXPECT_TRUE(r.Complete);
  EXPECT_EQ(At(img, 30, 30), kRed);
  EXPECT_EQ(At(img, 50, 30), kWhite) << "masked off";

  // PLGBLT onto the parallelogram (10,10) (90,10) (30,50).
  Bytes p = EmfHeader();
  Bytes plg = Words({0, 0, 99, 99, 10, 10, 90, 10, 30, 50, 0, 0, 2, 1, t20, t0, t0, t20, t0, t0, 0, 0, 140, 40, 180, 8,
                     0, 0, 0, 0, 0, 0, 0});
  const Bytes dib = Words(kRedBlueDib);
  plg.insert(plg.end(), dib.begin(), dib.end());
  EmrBytes(p, 79, plg);
  EmfEnd(p);
  img = Play(p, 100, 100, &r);
  EXPECT_TRUE(r.Complete);
  EXPECT_EQ(At(img, 30, 20), kRed);
  EXPECT_EQ(At(img, 80, 20), kBlue);
  EXPECT_EQ(At(img, 15, 45), kWhite) << "left of the slanted edge";
  EXPECT_EQ(At(img, 100 - 2, 45), kBlue);
}

TEST(MetafilePlayback, ColourPatternBrushesTileTheirBitmap) {
  // CREATEDIBPATTERNBRUSHPT 1: a 2 x 2 checker of red and blue.
  Bytes e = EmfHeader();
  Bytes brush = Words({1, 0, 32, 40, 72, 16, 40, 2, 2, 1 | (24 << 16), 0, 16, 0, 0, 0, 0,
                       0xFFFF0000, 0, 0x000000FF, 0x0000FF00});
  EmrBytes(e, 94, brush);
  Emr(e, 37, {1});
  Emr(e, 37, {0x80000008});
  Emr(e, 43, {10, 10, 49, 49});
  EmfEnd(e);
  // DIBCREATEPATTERNBRUSH: style, usage, then the same DIB.
  Bytes w = WmfStart();
  Bytes dib = Words({40, 2, 2, 1 | (24 << 16), 0, 16, 0, 0, 0, 0, 0xFFFF0000, 0, 0x000000FF, 0x0000FF00});
  Bytes body{5, 0, 0, 0};
  body.insert(body.end(), dib.begin(), dib.end());
  WmrBytes(w, 0x0142, body);
  Wmr(w, 0x012D, {0});
  Wmr(w, 0x02FA, {5, 0, 0, 0, 0});
  Wmr(w, 0x012D, {1});
  Wmr(w, 0x041B, {50, 50, 10, 10});
  WmfEnd(w);
  for (const Bytes* b : {&e, &w}) {
    TMetafilePlayback r;
    const QImage img = Play(*b, 100, 100, &r);
    EXPECT_TRUE(r.Complete);
    int red = 0, blue = 0, alike = 0;
    for (int y = 12; y < 46; ++y)
      for (int x = 12; x < 46; ++x) {
        red += At(img, x, y) == kRed, blue += At(img, x, y) == kBlue;
        alike += At(img, x, y) == At(img, x + 1, y);
      }
    EXPECT_GT(red, 500);
    EXPECT_GT(blue, 500);
    EXPECT_EQ(alike, 0) << "neighbours differ in a checker";
    EXPECT_EQ(At(img, 60, 60), kWhite);
  }
}

TEST(MetafilePlayback, TextSpacingArraysPlaceEachCharacter) {
  // EXTTEXTOUTW of two "中" 40 pixels high at (0, 20), advances 60 and 40,
  // or the font's own 40 and 40.
  auto emf = [](int first) {
    Bytes b = EmfHeader();
    Bytes font = Words({1, -40, 0, 0, 0, 400});
    for (int v : {0, 0, 0, 134, 0, 0, 0, 0}) font.push_back(std::uint8_t(v));
    const char16_t face[32] = u"SimSun";
    for (char16_t c : face) Put16(font, c);
    EmrBytes(b, 82, font);
    Emr(b, 37, {1});
    Emr(b, 18, {1});
    EmrBytes(b, 84, Words({0, 0, 99, 99, 1, 0, 0, 0, 20, 2, 60, 0x100, 64, 0x4E2D4E2D, first, 40}));
    EmfEnd(b);
    return b;
  };
  // EXTTEXTOUT in a WMF whose window is ten times the box: "中中" in GBK,
  // one advance a byte.
  auto wmf = [](int first) {
    Bytes b = WmfStart();
    Wmr(b, 0x0103, {8});
    Wmr(b, 0x020C, {1000, 1000});
    Wmr(b, 0x02FB, {-400, 0, 0, 0, 400, 0, 134 << 8, 0, 0, 'S' | 'i' << 8, 'm' | 'S' << 8, 'u' | 'n' << 8, 0});
    Wmr(b, 0x012D, {0});
    Wmr(b, 0x0102, {1});
    Wmr(b, 0x0A32, {200, 0, 4, 0, 0xD0D6, 0xD0D6, first * 10, 0, 400, 0});
    WmfEnd(b);
    return b;
  };
  for (auto make : {+emf, +wmf}) {
    TMetafilePlayback r;
    const QImage spaced = Play(make(60), 100, 100, &r);
    EXPECT_TRUE(r.Complete);
    EXPECT_EQ(Dark(spaced, QRect(43, 0, 14, 100)), 0) << "the gap the advance leaves";
    EXPECT_GT(Dark(spaced, QRect(62, 20, 36, 40)), 40) << "the second character";
    const QImage natural = Play(make(40), 100, 100);
    EXPECT_GT(Dark(natural, QRect(43, 0, 14, 100)), 10);
  }
}
