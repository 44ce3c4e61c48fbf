// Bitmaps saved as BMP and JPEG, read back by Qt's own image readers.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <string>

#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/ImageFiles.h"

namespace {

class ImageFilesTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  std::string Path(const char* name) const { return QDir(dir.path()).filePath(name).toStdString(); }
};

// A white picture with one thick black horizontal line across rows 45..54.
TBitmap LinePicture() {
  TBitmap bitmap(160, 100);
  {
    auto canvas = CreateBitmapCanvas(bitmap);
    canvas->SelectPen(CreatePen(psSolid, 10, clBlack));
    canvas->MoveToEx(20, 50);
    canvas->LineTo(140, 50);
  }
  return bitmap;
}

int Gray(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)); }

TEST_F(ImageFilesTest, BmpLoadsWithTheSizeAndExactPixels) {
  TBitmap bitmap(37, 21, clWhite);
  bitmap.SetPixel(3, 4, RGB(255, 0, 0));
  bitmap.SetPixel(36, 20, RGB(0, 0, 255));
  const std::string name = Path("a.bmp");
  SaveBitmapAsBMP(name, bitmap);
  QImage image;
  ASSERT_TRUE(image.load(QString::fromStdString(name), "BMP"));
  EXPECT_EQ(image.size(), QSize(37, 21));
  EXPECT_EQ(image.pixel(3, 4), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(36, 20), qRgb(0, 0, 255));
  EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255));
}

TEST_F(ImageFilesTest, JpegLoadsWithDarkPixelsWhereTheLineIs) {
  const std::string name = Path("line.jpg");
  SaveBitmapAsJPEG(name, LinePicture());
  QImage image;
  ASSERT_TRUE(image.load(QString::fromStdString(name), "JPEG"));
  EXPECT_EQ(image.size(), QSize(160, 100));
  for (int x = 30; x <= 130; x += 20) {
    EXPECT_LT(Gray(image, x, 50), 60) << x;
    EXPECT_LT(Gray(image, x, 47), 60) << x;
    EXPECT_GT(Gray(image, x, 20), 200) << x;
    EXPECT_GT(Gray(image, x, 80), 200) << x;
  }
  EXPECT_GT(Gray(image, 5, 50), 200);
}

TEST_F(ImageFilesTest, JpegKeepsColoursInTheirChannels) {
  TBitmap bitmap(32, 32, RGB(255, 0, 0));
  const std::string name = Path("red.jpg");
  SaveBitmapAsJPEG(name, bitmap);
  QImage image;
  ASSERT_TRUE(image.load(QString::fromStdString(name), "JPEG"));
  const QRgb c = image.pixel(16, 16);
  EXPECT_GT(qRed(c), 200);
  EXPECT_LT(qBlue(c), 60);
  EXPECT_LT(qGreen(c), 60);
}

TEST_F(ImageFilesTest, JpegQualityDefaultsToSeventyFiveAndIsApplied) {
  EXPECT_EQ(kDefaultJpegQuality, 75);
  const TBitmap picture = LinePicture();
  SaveBitmapAsJPEG(Path("q75.jpg"), picture);
  SaveBitmapAsJPEG(Path("q100.jpg"), picture, 100);
  SaveBitmapAsJPEG(Path("q10.jpg"), picture, 10);
  const qint64 s75 = QFileInfo(QString::fromStdString(Path("q75.jpg"))).size();
  const qint64 s100 = QFileInfo(QString::fromStdString(Path("q100.jpg"))).size();
  const qint64 s10 = QFileInfo(QString::fromStdString(Path("q10.jpg"))).size();
  EXPECT_LT(s10, s75);
  EXPECT_LT(s75, s100);
}

TEST_F(ImageFilesTest, UnwritableFilesFailNamingTheFile) {
  const std::string jpg = Path("missing/dir/x.jpg");
  try {
    SaveBitmapAsJPEG(jpg, LinePicture());
    FAIL() << "no error";
  } catch (const EImageFileError& e) {
    EXPECT_NE(std::string(e.what()).find(jpg), std::string::npos) << e.what();
  }
  const std::string bmp = Path("missing/dir/x.bmp");
  try {
    SaveBitmapAsBMP(bmp, LinePicture());
    FAIL() << "no error";
  } catch (const EImageFileError& e) {
    EXPECT_NE(std::string(e.what()).find(bmp), std::string::npos) << e.what();
  }
  EXPECT_THROW(SaveBitmapAsJPEG(Path("empty.jpg"), TBitmap()), EImageFileError);
}

}  // namespace
