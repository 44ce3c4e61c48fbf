// Pictures: the five kinds decode from their own bytes and keep them, damaged
// bytes fail cleanly, icons and GIF images draw upright under the views'
// y-up mapping, and the picture saves as JPEG or BMP.

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "CanvasTestUtil.h"
#include "platform/Graphic.h"
#include "platform/ImageFiles.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// 2 x 2 pixels: red, lime on the top row; blue, white below.
const Bytes kGif = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x02, 0x00, 0x02, 0x00, 0xf1, 0x03, 0x00,
                    0xff, 0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0xff, 0x21,
                    0xf9, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x02,
                    0x00, 0x02, 0x00, 0x00, 0x02, 0x03, 0x44, 0x34, 0x05, 0x00, 0x3b};

// The same pixels as a 24-bit bottom-up BMP.
const Bytes kBmp = {
    'B',  'M',  0x46, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0,                                       // file header
    0x28, 0,    0,    0, 2, 0, 0, 0, 2, 0, 0,    0, 1, 0, 0x18, 0, 0, 0, 0, 0, 0x10, 0, 0, 0,  // info header
    0,    0,    0,    0, 0, 0, 0, 0, 0, 0, 0,    0, 0, 0, 0,    0,                             //
    0xff, 0,    0,    0xff, 0xff, 0xff, 0, 0,                                                  // blue, white
    0,    0,    0xff, 0, 0xff, 0, 0, 0};                                                      // red, lime

// A 2 x 2 icon, 32 bits: red, lime / blue, and a transparent corner.
Bytes TinyIcon() {
  Bytes b = {0, 0, 1, 0, 1, 0,                                  // reserved, type icon, one image
             2, 2, 0, 0, 1, 0, 32, 0, 64, 0, 0, 0, 22, 0, 0, 0,  // 2 x 2, 64 bytes at 22
             40, 0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0, 0, 0, 0, 0,
             0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const Bytes pixels = {0xff, 0, 0, 0xff, 0, 0, 0, 0,       // bottom row: blue, transparent
                        0, 0, 0xff, 0xff, 0, 0xff, 0, 0xff};  // top row: red, lime
  b.insert(b.end(), pixels.begin(), pixels.end());
  b.insert(b.end(), 8, 0);  // AND mask: all drawn, alpha decides
  return b;
}

// An enhanced metafile of a header and the end record, bounds 10 x 5 pixels.
Bytes TinyEmf() {
  Bytes b;
  auto put = [&b](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
  };
  put(1), put(88);                      // EMR_HEADER, size
  put(0), put(0), put(9), put(4);       // bounds
  put(0), put(0), put(264), put(132);   // frame, 0.01 mm
  put(0x464D4520), put(0x10000);       // " EMF", version
  put(108), put(2), put(1), put(0);     // bytes, records, handles + reserved, description
  put(0), put(0);                       // description offset, palette entries
  put(1920), put(1080), put(508), put(285);  // reference device
  put(14), put(20), put(0), put(0), put(20);  // EMR_EOF
  return b;
}

TBitmap ImageOf(const Bytes& b, TGraphicKind kind) { return TGraphic(kind, b).Image(); }

Bytes ReadFile(const QString& name) {
  std::ifstream in(name.toStdString(), std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const QString& name, const Bytes& b) {
  std::ofstream out(name.toStdString(), std::ios::binary);
  out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
  return std::abs(int(GetRValue(a)) - int(GetRValue(b))) <= tolerance &&
         std::abs(int(GetGValue(a)) - int(GetGValue(b))) <= tolerance &&
         std::abs(int(GetBValue(a)) - int(GetBValue(b))) <= tolerance;
}

}  // namespace

TEST(GraphicDecoding, BitmapGifAndIconGiveTheirPixelsTopRowFirst) {
  for (const TBitmap& img : {ImageOf(kBmp, TGraphicKind::Bitmap), ImageOf(kGif, TGraphicKind::Gif)}) {
    ASSERT_EQ(img.Width(), 2);
    ASSERT_EQ(img.Height(), 2);
    EXPECT_EQ(img.Pixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(img.Pixel(1, 0), RGB(0, 255, 0));
    EXPECT_EQ(img.Pixel(0, 1), RGB(0, 0, 255));
    EXPECT_EQ(img.Pixel(1, 1), RGB(255, 255, 255));
  }
  const TBitmap icon = ImageOf(TinyIcon(), TGraphicKind::Icon);
  ASSERT_EQ(icon.Width(), 2);
  EXPECT_EQ(icon.Pixel(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(icon.Pixel(1, 0), RGB(0, 255, 0));
  EXPECT_EQ(icon.Pixel(0, 1), RGB(0, 0, 255));
  EXPECT_EQ(icon.Pixel(1, 1), clWhite) << "transparent parts lie on white";
}

TEST(GraphicDecoding, InterlacedGifRowsLandInTheirPlaces) {
  // 1 x 9: red, lime, blue, repeated; stored in the four interlace passes.
  const Bytes gif = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x09, 0x00, 0xf1, 0x00, 0x00,
                     0xff, 0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0x21,
                     0xf9, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x01,
                     0x00, 0x09, 0x00, 0x40, 0x02, 0x05, 0x84, 0x22, 0x10, 0x16, 0x05, 0x00, 0x3b};
  const TBitmap img = ImageOf(gif, TGraphicKind::Gif);
  ASSERT_EQ(img.Height(), 9);
  const COLORREF cycle[3] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
  for (int y = 0; y < 9; ++y) EXPECT_EQ(img.Pixel(0, y), cycle[y % 3]) << y;
}

TEST(GraphicDecoding, KeepsTheExactBytesItWasMadeFrom) {
  EXPECT_EQ(TGraphic(TGraphicKind::Gif, kGif).Bytes(), kGif);
  EXPECT_EQ(TGraphic(TGraphicKind::Bitmap, kBmp).Bytes(), kBmp);
  EXPECT_EQ(TGraphic(TGraphicKind::Metafile, TinyEmf()).Bytes(), TinyEmf());
  TPicture a;
  a.SetGraphic(std::make_unique<TGraphic>(TGraphicKind::Gif, kGif));
  const TPicture copy = a;
  ASSERT_NE(copy.Graphic(), a.Graphic());
  EXPECT_EQ(copy.Graphic()->Bytes(), kGif);
}

TEST(GraphicDecoding, JpegDecodesThroughLibjpeg) {
  QTemporaryDir dir;
  const QString name = dir.filePath("t.jpg");
  TBitmap src(16, 8, RGB(200, 30, 30));
  for (int x = 0; x < 16; ++x)
    for (int y = 4; y < 8; ++y) src.SetPixel(x, y, RGB(20, 20, 220));
  SaveBitmapAsJPEG(name.toStdString(), src, 95);
  const TGraphic g(TGraphicKind::Jpeg, ReadFile(name));
  ASSERT_EQ(g.Width(), 16);
  ASSERT_EQ(g.Height(), 8);
  EXPECT_TRUE(Near(g.Image().Pixel(8, 1), RGB(200, 30, 30), 24));
  EXPECT_TRUE(Near(g.Image().Pixel(8, 6), RGB(20, 20, 220), 24));
}

TEST(GraphicDecoding, DamagedOrForeignBytesThrowAClearError) {
  const Bytes junk = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  for (TGraphicKind k : {TGraphicKind::Bitmap, TGraphicKind::Icon, TGraphicKind::Jpeg, TGraphicKind::Gif,
                         TGraphicKind::Metafile}) {
    EXPECT_THROW(TGraphic(k, Bytes{}), EGraphicError);
    EXPECT_THROW(TGraphic(k, junk), EGraphicError);
  }
  EXPECT_THROW(TGraphic(TGraphicKind::Gif, Bytes(kGif.begin(), kGif.begin() + 30)), EGraphicError);
  EXPECT_THROW(TGraphic(TGraphicKind::Bitmap, Bytes(kBmp.begin(), kBmp.begin() + 40)), EGraphicError);
  EXPECT_THROW(TGraphic(TGraphicKind::Jpeg, kGif), EGraphicError);
  EXPECT_THROW(TGraphic(TGraphicKind::Gif, kBmp), EGraphicError);
  // A header promising a gigantic picture is refused before anything is allocated.
  Bytes huge = kGif;
  huge[6] = huge[7] = huge[8] = huge[9] = 0xff;
  huge[38] = huge[39] = huge[40] = huge[41] = 0xff;
  EXPECT_THROW(TGraphic(TGraphicKind::Gif, huge), EGraphicError);
  // Cut anywhere, a JPEG either decodes what it can or fails; it never crashes.
  QTemporaryDir dir;
  const QString name = dir.filePath("t.jpg");
  SaveBitmapAsJPEG(name.toStdString(), TBitmap(8, 8, RGB(255, 0, 0)));
  const Bytes jpeg = ReadFile(name);
  for (std::size_t n = 0; n < jpeg.size(); n += 7) {
    try {
      TGraphic g(TGraphicKind::Jpeg, Bytes(jpeg.begin(), jpeg.begin() + std::ptrdiff_t(n)));
    } catch (const EGraphicError&) {
    }
  }
}

TEST(GraphicDecoding, MetafileSizeComesFromItsHeader) {
  const TGraphic emf(TGraphicKind::Metafile, TinyEmf());
  EXPECT_EQ(emf.Width(), 10);
  EXPECT_EQ(emf.Height(), 5);
  // Placeable WMF: 1440 units per inch, 0..720 x 0..360 is 48 x 24 pixels.
  Bytes wmf = {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 0xD0, 0x02, 0x68, 0x01, 0xA0, 0x05, 0, 0, 0, 0, 0, 0,
               1, 0, 9, 0, 0, 3, 12, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0};
  const TGraphic w(TGraphicKind::Metafile, wmf);
  EXPECT_EQ(w.Width(), 48);
  EXPECT_EQ(w.Height(), 24);
  // One unit per inch over 0..30000 would be 2.9 million pixels a side: the
  // header may not size a bitmap beyond what a decoded picture may hold.
  wmf[10] = 0x30, wmf[11] = 0x75, wmf[12] = 0x30, wmf[13] = 0x75, wmf[14] = 1, wmf[15] = 0;
  const TGraphic huge(TGraphicKind::Metafile, wmf);
  EXPECT_EQ(huge.Width(), 0);
  EXPECT_EQ(huge.Image().Width(), 1);
}

// The same 10 x 5 metafile painting a red top half and a blue bottom half
// (RECTANGLE records under a null pen, each brush created and selected).
Bytes TwoColourEmf() {
  Bytes b = TinyEmf();
  b.resize(88);
  auto put = [&b](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
  };
  put(37), put(12), put(0x80000008);                             // SELECTOBJECT NULL_PEN
  put(39), put(24), put(1), put(0), put(0x0000FF), put(0);       // CREATEBRUSHINDIRECT 1 red
  put(37), put(12), put(1);                                      // SELECTOBJECT 1
  put(43), put(24), put(0), put(0), put(10), put(2);             // RECTANGLE: no pen, so rows 0..1
  put(39), put(24), put(2), put(0), put(0xFF0000), put(0);       // CREATEBRUSHINDIRECT 2 blue
  put(37), put(12), put(2);
  put(43), put(24), put(0), put(3), put(10), put(5);             // RECTANGLE rows 3..4
  put(14), put(20), put(0), put(0), put(20);
  return b;
}

TEST(GraphicPainting, AMetafileIsPlayedIntoTheRectangleTheRightWayUp) {
  // Into the flipped rectangle under a y-up mapping, as pictures draw.
  Sheet s(60, 40);
  SetViewMapping(*s, 40);
  TGraphic(TGraphicKind::Metafile, TwoColourEmf()).StretchDraw(*s, TRect{5, 35, 55, 5});
  EXPECT_EQ(s.At(30, 8), RGB(255, 0, 0)) << "the top half at the top";
  EXPECT_EQ(s.At(30, 31), RGB(0, 0, 255));
  EXPECT_EQ(s.At(30, 2), clWhite) << "nothing outside the rectangle";
  EXPECT_EQ(s.At(58, 20), clWhite);
  // An empty metafile paints nothing at all: no placeholder frame.
  Sheet e(60, 40);
  TGraphic(TGraphicKind::Metafile, TinyEmf()).StretchDraw(*e, TRect{5, 5, 55, 35});
  EXPECT_EQ(e.InkCount(), 0);
  // Its pixels for saving come from the same playback.
  const TBitmap pixels = TGraphic(TGraphicKind::Metafile, TwoColourEmf()).Image();
  EXPECT_EQ(pixels.Pixel(5, 0), RGB(255, 0, 0));
  EXPECT_EQ(pixels.Pixel(5, 4), RGB(0, 0, 255));
}

TEST(GraphicPainting, IconsAndGifsDrawUprightUnderAYUpMapping) {
  // Top row red: under the views' mapping the larger y is the device top.
  for (TGraphicKind k : {TGraphicKind::Gif, TGraphicKind::Icon}) {
    Sheet s(20, 20);
    SetViewMapping(*s, 20);
    TGraphic(k, k == TGraphicKind::Gif ? kGif : TinyIcon()).StretchDraw(*s, TRect{0, 0, 20, 20});
    EXPECT_EQ(s.At(4, 4), RGB(255, 0, 0)) << int(k);
    EXPECT_EQ(s.At(4, 15), RGB(0, 0, 255)) << int(k);
  }
  // A bitmap lands as StretchBlt puts it: its top row at the rectangle's top.
  Sheet s(20, 20);
  SetViewMapping(*s, 20);
  TGraphic(TGraphicKind::Bitmap, kBmp).StretchDraw(*s, TRect{0, 20, 20, 0});
  EXPECT_EQ(s.At(4, 4), RGB(255, 0, 0));
  EXPECT_EQ(s.At(4, 15), RGB(0, 0, 255));
}

TEST(PictureFiles, LoadsByExtensionIgnoringCase) {
  QTemporaryDir dir;
  WriteFile(dir.filePath("a.GIF"), kGif);
  WriteFile(dir.filePath("b.Bmp"), kBmp);
  WriteFile(dir.filePath("c.ico"), TinyIcon());
  WriteFile(dir.filePath("d.EMF"), TinyEmf());
  TPicture p;
  p.LoadFromFile(dir.filePath("a.GIF").toStdString());
  EXPECT_EQ(p.Graphic()->Kind(), TGraphicKind::Gif);
  p.LoadFromFile(dir.filePath("b.Bmp").toStdString());
  EXPECT_EQ(p.Graphic()->Kind(), TGraphicKind::Bitmap);
  p.LoadFromFile(dir.filePath("c.ico").toStdString());
  EXPECT_EQ(p.Graphic()->Kind(), TGraphicKind::Icon);
  p.LoadFromFile(dir.filePath("d.EMF").toStdString());
  EXPECT_EQ(p.Graphic()->Kind(), TGraphicKind::Metafile);
  EXPECT_EQ(GraphicKindOfFile("x.JPEG"), TGraphicKind::Jpeg);
  EXPECT_EQ(GraphicKindOfFile("x.wmf"), TGraphicKind::Metafile);
}

TEST(PictureFiles, AFileThatCannotBeLoadedNamesItselfAndKeepsThePicture) {
  QTemporaryDir dir;
  const QString bad = dir.filePath("broken.gif");
  WriteFile(bad, kBmp);
  TPicture p;
  p.LoadFromBitmap(TBitmap(3, 3, RGB(255, 0, 0)));
  try {
    p.LoadFromFile(bad.toStdString());
    FAIL() << "a BMP named .gif loaded as a GIF";
  } catch (const EGraphicError& e) {
    EXPECT_NE(std::string(e.what()).find("broken.gif"), std::string::npos) << e.what();
  }
  EXPECT_EQ(p.Graphic()->Kind(), TGraphicKind::Bitmap);
  EXPECT_THROW(p.LoadFromFile(dir.filePath("missing.bmp").toStdString()), EGraphicError);
  EXPECT_THROW(p.LoadFromFile(dir.filePath("note.txt").toStdString()), EGraphicError);
}

TEST(PictureFiles, PngAndOtherQtFormatsAreKeptAsBitmaps) {
  const std::vector<std::string> extra = ConvertedPictureExtensions();
  EXPECT_NE(std::find(extra.begin(), extra.end(), "png"), extra.end());
  for (const char* own : {"bmp", "ico", "gif", "jpg", "jpeg", "emf", "wmf"})
    EXPECT_EQ(std::find(extra.begin(), extra.end(), own), extra.end()) << own;
  QTemporaryDir dir;
  QImage image(2, 2, QImage::Format_ARGB32);
  image.setPixel(0, 0, qRgb(255, 0, 0));
  image.setPixel(1, 0, qRgb(0, 255, 0));
  image.setPixel(0, 1, qRgb(0, 0, 255));
  image.setPixel(1, 1, qRgba(0, 0, 0, 0));  // transparent: white in the bitmap
  const QString name = dir.filePath("site.PNG");
  ASSERT_TRUE(image.save(name, "png"));
  EXPECT_TRUE(IsConvertedPictureFile(name.toStdString()));
  TPicture p;
  EXPECT_TRUE(p.LoadFromFile(name.toStdString()));
  ASSERT_TRUE(p.HasGraphic());
  EXPECT_EQ(p.Graphic()->Kind(), TGraphicKind::Bitmap);
  EXPECT_EQ(p.Graphic()->Bytes(), kBmp);
  // The five kinds load as themselves and say so.
  WriteFile(dir.filePath("a.gif"), kGif);
  EXPECT_FALSE(p.LoadFromFile(dir.filePath("a.gif").toStdString()));
  EXPECT_EQ(p.Graphic()->Kind(), TGraphicKind::Gif);
  // A damaged PNG fails as any damaged picture does.
  WriteFile(dir.filePath("bad.png"), Bytes{0x89, 'P', 'N', 'G', 1, 2, 3});
  EXPECT_THROW(p.LoadFromFile(dir.filePath("bad.png").toStdString()), EGraphicError);
}

TEST(PictureFiles, PixelsFromTheClipboardBecomeBmpBytes) {
  TBitmap b(2, 2);
  b.SetPixel(0, 0, RGB(255, 0, 0));
  b.SetPixel(1, 0, RGB(0, 255, 0));
  b.SetPixel(0, 1, RGB(0, 0, 255));
  b.SetPixel(1, 1, RGB(255, 255, 255));
  EXPECT_EQ(EncodeBMP(b), kBmp);
  TPicture p;
  p.LoadFromBitmap(b);
  ASSERT_TRUE(p.HasGraphic());
  EXPECT_EQ(p.Graphic()->Kind(), TGraphicKind::Bitmap);
  EXPECT_EQ(p.Graphic()->Bytes(), kBmp);
}

TEST(PictureFiles, SavesAsJpegOrBmpByExtension) {
  QTemporaryDir dir;
  TPicture p;
  p.SetGraphic(std::make_unique<TGraphic>(TGraphicKind::Gif, kGif));
  p.SaveAsImage(dir.filePath("out.JPG").toStdString());
  p.SaveAsImage(dir.filePath("out.BMP").toStdString());
  const Bytes jpg = ReadFile(dir.filePath("out.JPG"));
  ASSERT_GE(jpg.size(), 3u);
  EXPECT_EQ(jpg[0], 0xFF);
  EXPECT_EQ(jpg[1], 0xD8);
  const TGraphic back(TGraphicKind::Bitmap, ReadFile(dir.filePath("out.BMP")));
  EXPECT_EQ(back.Image().Pixel(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(back.Image().Pixel(0, 1), RGB(0, 0, 255));
  EXPECT_THROW(TPicture().SaveAsImage(dir.filePath("empty.bmp").toStdString()), EGraphicError);
}
