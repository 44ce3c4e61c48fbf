#pragma once
// Saving a bitmap as an image file: BMP through Qt, JPEG through libjpeg.
// Both throw EImageFileError naming the file and the reason.

#include <stdexcept>
#include <string>

class TBitmap;

class EImageFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

constexpr int kDefaultJpegQuality = 75;  // libjpeg's own default

void SaveBitmapAsBMP(const std::string& fileName, const TBitmap& bitmap);
// quality 1..100.
void SaveBitmapAsJPEG(const std::string& fileName, const TBitmap& bitmap, int quality = kDefaultJpegQuality);
