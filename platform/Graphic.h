#pragma once
// Pictures held by drawings: one graphic of five kinds (bitmap, icon,
// metafile, JPEG, GIF). A graphic keeps the exact bytes it was loaded from,
// which is what a drawing saves, so reading and writing a drawing leaves a
// picture byte for byte as it was; the pixels are decoded from them for
// painting. JPEG goes through libjpeg, GIF through giflib, BMP and ICO
// through Qt's image reader. Metafiles are played record by record
// (MetafilePlayer.h). Damaged or unknown bytes throw EGraphicError, never crash.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Gdi.h"

class TCanvas;

class EGraphicError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TGraphicKind { Metafile, Bitmap, Icon, Jpeg, Gif };

class TGraphic {
 public:
  // Decodes Bytes as Kind; throws EGraphicError when they are not one.
  TGraphic(TGraphicKind Kind, std::vector<std::uint8_t> Bytes);

  TGraphicKind Kind() const { return FKind; }
  // The bytes it was loaded from: a BMP file image for bitmaps, an ICO image
  // for icons, the metafile, the JPEG or GIF file.
  const std::vector<std::uint8_t>& Bytes() const { return FBytes; }
  // Pixel size (a metafile's from its header).
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool Empty() const { return FWidth <= 0 || FHeight <= 0; }
  // Decoded pixels, top row first, transparent parts on white; a metafile
  // is played into them.
  TBitmap Image() const;

  // Stretches the picture into the logical rectangle Rect as StretchBlt
  // does: the image's top row at Rect.Top. Icons and GIF images are drawn
  // the right way up on the device whichever way the mapping's y points.
  void StretchDraw(TCanvas& Canvas, const TRect& Rect) const;

 private:
  TGraphicKind FKind;
  std::vector<std::uint8_t> FBytes;
  int FWidth = 0;
  int FHeight = 0;
  TBitmap FImage;  // empty for metafiles
};

// The kind a file name's extension loads as (case-insensitive): ".ico" icon,
// ".gif" GIF, ".bmp" bitmap, ".jpg"/".jpeg" JPEG, ".emf"/".wmf" metafile.
// Throws EGraphicError for any other extension.
TGraphicKind GraphicKindOfFile(const std::string& FileName);

// The extensions (lower case, without the dot) of the picture files Qt's
// image readers take beyond the five kinds: PNG, TIFF, WebP and whatever
// else the installed plugins read. Such a picture is kept as a bitmap.
std::vector<std::string> ConvertedPictureExtensions();
bool IsConvertedPictureFile(const std::string& FileName);

class TPicture {
 public:
  TPicture() = default;
  TPicture(const TPicture& Other);
  TPicture& operator=(const TPicture& Other);
  TPicture(TPicture&&) noexcept = default;
  TPicture& operator=(TPicture&&) noexcept = default;
  ~TPicture();

  const TGraphic* Graphic() const { return FGraphic.get(); }
  bool HasGraphic() const { return FGraphic && !FGraphic->Empty(); }
  void SetGraphic(std::unique_ptr<TGraphic> Graphic) { FGraphic = std::move(Graphic); }
  void Clear() { FGraphic.reset(); }
  int Width() const { return FGraphic ? FGraphic->Width() : 0; }
  int Height() const { return FGraphic ? FGraphic->Height() : 0; }

  // Throws EGraphicError naming the file when it cannot be read or decoded;
  // the picture is unchanged then.
  // A file of a kind the drawing format lacks (IsConvertedPictureFile) is
  // decoded and kept as a bitmap; true then.
  bool LoadFromFile(const std::string& FileName);
  // The clipboard's or a screen capture's pixels, kept as a bitmap.
  void LoadFromBitmap(const TBitmap& Bitmap);
  // ".JPG"/".JPEG" as a JPEG file, anything else as a BMP file. Throws
  // EGraphicError (also for an empty picture) or EImageFileError.
  void SaveAsImage(const std::string& FileName) const;

 private:
  std::unique_ptr<TGraphic> FGraphic;
};

// A 24-bit bottom-up BMP file image of the pixels.
std::vector<std::uint8_t> EncodeBMP(const TBitmap& Bitmap);
