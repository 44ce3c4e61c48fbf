// The five picture kinds: bytes kept as loaded, pixels decoded for painting.

#include "platform/Graphic.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <cctype>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

// jpeglib.h needs FILE and size_t declared first.
#include <gif_lib.h>
#include <jpeglib.h>

#include "platform/Canvas.h"
#include "platform/ImageFiles.h"
#include "platform/MetafilePlayer.h"
#include "platform/QtCanvas.h"

namespace {

// A damaged header must not make us allocate gigabytes: 16384 x 16384 is far
// beyond any picture a site plan holds.
constexpr std::int64_t kMaxPixels = std::int64_t(16384) * 16384;

void CheckSize(std::int64_t W, std::int64_t H, const char* What) {
  if (W <= 0 || H <= 0 || W * H > kMaxPixels)
    throw EGraphicError(std::string(What) + " image has an invalid size");
}

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
         std::uint32_t(b[at + 3]) << 24;
}
std::uint16_t Le16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return std::uint16_t(b[at] | b[at + 1] << 8);
}

// Qt decodes into whatever format the file has; drawings want opaque RGB32
// with transparent parts on white.
TBitmap FromQImage(const QImage& Source) {
  TBitmap out(Source.width(), Source.height(), clWhite);
  QPainter p(&QtImage(out));
  p.drawImage(0, 0, Source);
  return out;
}

TBitmap DecodeWithQt(const std::vector<std::uint8_t>& Bytes, const char* Format, const char* What) {
  QByteArray data(reinterpret_cast<const char*>(Bytes.data()), qsizetype(Bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, Format);
  reader.setDecideFormatFromContent(false);
  const QSize size = reader.size();
  if (size.isValid()) CheckSize(size.width(), size.height(), What);
  QImage image;
  if (!reader.read(&image) || image.isNull())
    throw EGraphicError(std::string(What) + " image is not valid: " + reader.errorString().toStdString());
  CheckSize(image.width(), image.height(), What);
  return FromQImage(image);
}

// ---- JPEG

struct JpegErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

extern "C" void JpegReadErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// Warnings about slightly damaged data are no reason to stop, nor to print.
extern "C" void JpegSilentMessage(j_common_ptr) {}

// Nothing with a destructor lives between setjmp and the end of decoding:
// the pixels go into a malloc'd block that the error path frees.
bool DecodeJpegRaw(const std::vector<std::uint8_t>& Bytes, unsigned char*& Pixels, int& W, int& H, char* Message) {
  jpeg_decompress_struct cinfo;
  JpegErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = JpegReadErrorExit;
  err.pub.output_message = JpegSilentMessage;
  err.message[0] = '\0';
  unsigned char* volatile buffer = nullptr;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    std::free(buffer);
    std::strncpy(Message, err.message, JMSG_LENGTH_MAX);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, Bytes.data(), static_cast<unsigned long>(Bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  if (cinfo.image_width == 0 || cinfo.image_height == 0 ||
      std::int64_t(cinfo.image_width) * std::int64_t(cinfo.image_height) > kMaxPixels) {
    jpeg_destroy_decompress(&cinfo);
    std::strncpy(Message, "invalid size", JMSG_LENGTH_MAX);
    return false;
  }
  jpeg_start_decompress(&cinfo);
  const std::size_t stride = std::size_t(cinfo.output_width) * 3;
  buffer = static_cast<unsigned char*>(std::malloc(stride * cinfo.output_height));
  if (!buffer) {
    jpeg_destroy_decompress(&cinfo);
    std::strncpy(Message, "out of memory", JMSG_LENGTH_MAX);
    return false;
  }
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW rows[1] = {buffer + stride * cinfo.output_scanline};
    jpeg_read_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_decompress(&cinfo);
  W = int(cinfo.output_width);
  H = int(cinfo.output_height);
  jpeg_destroy_decompress(&cinfo);
  Pixels = buffer;
  return true;
}

TBitmap DecodeJpeg(const std::vector<std::uint8_t>& Bytes) {
  unsigned char* pixels = nullptr;
  int w = 0, h = 0;
  char message[JMSG_LENGTH_MAX] = {};
  if (!DecodeJpegRaw(Bytes, pixels, w, h, message))
    throw EGraphicError(std::string("JPEG image is not valid: ") + message);
  std::unique_ptr<unsigned char, decltype(&std::free)> hold(pixels, &std::free);
  TBitmap out(w, h);
  for (int y = 0; y < h; ++y) {
    const unsigned char* src = pixels + std::size_t(y) * std::size_t(w) * 3;
    for (int x = 0; x < w; ++x, src += 3) out.SetPixel(x, y, RGB(src[0], src[1], src[2]));
  }
  return out;
}

// ---- GIF

struct GifSource {
  const std::vector<std::uint8_t>* Bytes;
  std::size_t Pos = 0;
};

// giflib has no text for some of its codes.
std::string GifError(int Code) {
  const char* text = GifErrorString(Code);
  return text ? text : "error " + std::to_string(Code);
}

extern "C" int GifReadMemory(GifFileType* Gif, GifByteType* Out, int Count) {
  auto* src = static_cast<GifSource*>(Gif->UserData);
  const std::size_t left = src->Bytes->size() - src->Pos;
  const std::size_t n = std::min(left, Count > 0 ? std::size_t(Count) : std::size_t(0));
  if (n) std::memcpy(Out, src->Bytes->data() + src->Pos, n);
  src->Pos += n;
  return int(n);
}

// The first frame on the logical screen; the background and transparent
// pixels stay white. Read record by record rather than slurped, so a frame
// size is checked before anything is allocated for it.
TBitmap DecodeGif(const std::vector<std::uint8_t>& Bytes) {
  GifSource src{&Bytes};
  int error = 0;
  GifFileType* gif = DGifOpen(&src, GifReadMemory, &error);
  if (!gif) throw EGraphicError("GIF image is not valid: " + GifError(error));
  struct Closer {
    GifFileType* g;
    ~Closer() {
      int e = 0;
      DGifCloseFile(g, &e);
    }
  } closer{gif};
  auto fail = [gif](const char* what) {
    return EGraphicError(std::string("GIF image is not valid: ") + (what ? what : GifError(gif->Error).c_str()));
  };
  int transparent = NO_TRANSPARENT_COLOR;
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif, &type) != GIF_OK) throw fail(nullptr);
    if (type == TERMINATE_RECORD_TYPE) throw fail("no image");
    if (type == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* block = nullptr;
      if (DGifGetExtension(gif, &code, &block) != GIF_OK) throw fail(nullptr);
      if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
        GraphicsControlBlock gcb{};
        gcb.TransparentColor = NO_TRANSPARENT_COLOR;
        if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK) transparent = gcb.TransparentColor;
      }
      while (block)
        if (DGifGetExtensionNext(gif, &block) != GIF_OK) throw fail(nullptr);
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE) continue;
    if (DGifGetImageDesc(gif) != GIF_OK) throw fail(nullptr);
    const GifImageDesc& d = gif->Image;
    int w = gif->SWidth, h = gif->SHeight;
    if (w <= 0 || h <= 0) {
      w = d.Left + d.Width;
      h = d.Top + d.Height;
    }
    CheckSize(w, h, "GIF");
    CheckSize(d.Width, d.Height, "GIF");
    const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
    if (!map) throw fail("no colour table");
    std::vector<GifPixelType> pixels(std::size_t(d.Width) * std::size_t(d.Height));
    // Interlaced rows arrive in four passes.
    static constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    const int passes = d.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass)
      for (int y = d.Interlace ? kStart[pass] : 0; y < d.Height; y += d.Interlace ? kStep[pass] : 1)
        if (DGifGetLine(gif, pixels.data() + std::size_t(y) * std::size_t(d.Width), d.Width) != GIF_OK)
          throw fail(nullptr);
    TBitmap out(w, h, clWhite);
    for (int y = 0; y < d.Height; ++y) {
      const int py = d.Top + y;
      if (py < 0 || py >= h) continue;
      for (int x = 0; x < d.Width; ++x) {
        const int px = d.Left + x;
        if (px < 0 || px >= w) continue;
        const int index = pixels[std::size_t(y) * std::size_t(d.Width) + std::size_t(x)];
        if (index == transparent) continue;
        if (index >= map->ColorCount) {
          out.SetPixel(px, py, clBlack);
          continue;
        }
        const GifColorType c = map->Colors[index];
        out.SetPixel(px, py, RGB(c.Red, c.Green, c.Blue));
      }
    }
    return out;
  }
}

// ---- metafiles: the size from the header; MetafilePlayer paints them

constexpr std::uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;

void MetafileSize(const std::vector<std::uint8_t>& b, int& W, int& H) {
  W = H = 0;
  if (b.size() >= 88 && Le32(b, 0) == 1 && Le32(b, 40) == kEmfSignature) {
    const auto l = std::int32_t(Le32(b, 8)), t = std::int32_t(Le32(b, 12));
    const auto r = std::int32_t(Le32(b, 16)), bt = std::int32_t(Le32(b, 20));
    std::int64_t w = std::int64_t(r) - l + 1, h = std::int64_t(bt) - t + 1;
    if (w <= 1 || h <= 1) {
      // No drawn bounds: the frame in 0.01 mm at the screen's 96 dpi.
      const auto fl = std::int32_t(Le32(b, 24)), ft = std::int32_t(Le32(b, 28));
      const auto fr = std::int32_t(Le32(b, 32)), fb = std::int32_t(Le32(b, 36));
      w = (std::int64_t(fr) - fl) * 96 / 2540;
      h = (std::int64_t(fb) - ft) * 96 / 2540;
    }
    if (w > 0 && h > 0 && w * h <= kMaxPixels) W = int(w), H = int(h);
    return;
  }
  std::size_t at = 0;
  if (b.size() >= 22 && Le32(b, 0) == kPlaceableKey) {
    const auto l = std::int16_t(Le16(b, 6)), t = std::int16_t(Le16(b, 8));
    const auto r = std::int16_t(Le16(b, 10)), bt = std::int16_t(Le16(b, 12));
    const int inch = Le16(b, 14);
    if (inch > 0) {
      W = int(std::abs(int(r) - int(l)) * 96 / inch);
      H = int(std::abs(int(bt) - int(t)) * 96 / inch);
    }
    // The size picks the bitmap a saved copy is drawn into: no more than a
    // decoded picture may hold.
    if (std::int64_t(W) * H > kMaxPixels) W = H = 0;
    at = 22;
  }
  if (b.size() < at + 18 || (Le16(b, at) != 1 && Le16(b, at) != 2) || Le16(b, at + 2) != 9)
    throw EGraphicError("Metafile is not valid");
  if (W > 0 && H > 0) return;
  // Without a placeable header the window extent is the picture's size.
  std::size_t pos = at + 18;
  while (pos + 6 <= b.size()) {
    const std::uint32_t words = Le32(b, pos);
    const std::uint16_t function = Le16(b, pos + 4);
    if (function == 0x020C && pos + 10 <= b.size()) {  // META_SETWINDOWEXT: height, width
      H = std::abs(std::int16_t(Le16(b, pos + 6)));
      W = std::abs(std::int16_t(Le16(b, pos + 8)));
      if (std::int64_t(W) * H > kMaxPixels) W = H = 0;
      return;
    }
    if (words < 3 || function == 0) return;
    pos += std::size_t(words) * 2;
  }
}

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Extension(const std::string& FileName) {
  const auto dot = FileName.find_last_of('.');
  const auto slash = FileName.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return Lower(FileName.substr(dot));
}

}  // namespace

TGraphic::TGraphic(TGraphicKind Kind, std::vector<std::uint8_t> Bytes) : FKind(Kind), FBytes(std::move(Bytes)) {
  switch (FKind) {
    case TGraphicKind::Bitmap: FImage = DecodeWithQt(FBytes, "BMP", "Bitmap"); break;
    case TGraphicKind::Icon: FImage = DecodeWithQt(FBytes, "ICO", "Icon"); break;
    case TGraphicKind::Jpeg: FImage = DecodeJpeg(FBytes); break;
    case TGraphicKind::Gif: FImage = DecodeGif(FBytes); break;
    case TGraphicKind::Metafile:
      if (FBytes.size() < 4 || (Le32(FBytes, 0) != 1 && Le32(FBytes, 0) != kPlaceableKey &&
                                Le16(FBytes, 0) != 1 && Le16(FBytes, 0) != 2))
        throw EGraphicError("Metafile is not valid");
      MetafileSize(FBytes, FWidth, FHeight);
      return;
  }
  FWidth = FImage.Width();
  FHeight = FImage.Height();
}

TBitmap TGraphic::Image() const {
  if (FKind != TGraphicKind::Metafile) return FImage;
  TBitmap out(std::max(FWidth, 1), std::max(FHeight, 1), clWhite);
  auto canvas = CreateBitmapCanvas(out);
  StretchDraw(*canvas, TRect{0, 0, out.Width(), out.Height()});
  return out;
}

void TGraphic::StretchDraw(TCanvas& Canvas, const TRect& Rect) const {
  std::int32_t top = Rect.Top, bottom = Rect.Bottom;
  if (FKind == TGraphicKind::Metafile) {
    // The picture's top-left corner goes to (Rect.Left, Rect.Top).
    TPoint p[2] = {{Rect.Left, top}, {Rect.Right, bottom}};
    Canvas.LPtoDP(p, 2);
    if (auto* qt = dynamic_cast<TQtCanvas*>(&Canvas)) {
      PlayMetafile(qt->Painter(), FBytes, QPointF(p[0].x, p[0].y), QPointF(p[1].x, p[1].y));
      return;
    }
    // Elsewhere (a metafile being written) the picture goes as pixels, at
    // most 4096 on a side.
    const int w = std::clamp(std::abs(p[1].x - p[0].x), 1, 4096), h = std::clamp(std::abs(p[1].y - p[0].y), 1, 4096);
    TBitmap pixels(w, h, clWhite);
    {
      QPainter painter(&QtImage(pixels));
      PlayMetafile(painter, FBytes, QPointF(0, 0), QPointF(w, h));
    }
    Canvas.StretchBlt(Rect.Left, top, Rect.Right - Rect.Left, bottom - top, pixels, 0, 0, w, h, SRCCOPY);
    return;
  }
  if (FKind == TGraphicKind::Icon || FKind == TGraphicKind::Gif) {
    TPoint p[2] = {{Rect.Left, top}, {Rect.Left, bottom}};
    Canvas.LPtoDP(p, 2);
    if (p[0].y > p[1].y) std::swap(top, bottom);
  }
  Canvas.StretchBlt(Rect.Left, top, Rect.Right - Rect.Left, bottom - top, FImage, 0, 0, FImage.Width(),
                    FImage.Height(), SRCCOPY);
}

TGraphicKind GraphicKindOfFile(const std::string& FileName) {
  const std::string ext = Extension(FileName);
  if (ext == ".ico") return TGraphicKind::Icon;
  if (ext == ".gif") return TGraphicKind::Gif;
  if (ext == ".bmp") return TGraphicKind::Bitmap;
  if (ext == ".jpg" || ext == ".jpeg") return TGraphicKind::Jpeg;
  if (ext == ".emf" || ext == ".wmf") return TGraphicKind::Metafile;
  throw EGraphicError("Unknown picture file extension " + (ext.empty() ? std::string("(none)") : ext));
}

TPicture::TPicture(const TPicture& Other)
    : FGraphic(Other.FGraphic ? std::make_unique<TGraphic>(*Other.FGraphic) : nullptr) {}

TPicture& TPicture::operator=(const TPicture& Other) {
  if (this != &Other) FGraphic = Other.FGraphic ? std::make_unique<TGraphic>(*Other.FGraphic) : nullptr;
  return *this;
}

TPicture::~TPicture() = default;

std::vector<std::string> ConvertedPictureExtensions() {
  static const char* const kOwn[] = {"bmp", "ico", "gif", "jpg", "jpeg", "emf", "wmf"};
  std::vector<std::string> out;
  for (const QByteArray& f : QImageReader::supportedImageFormats()) {
    const std::string e = Lower(f.toStdString());
    if (std::find(std::begin(kOwn), std::end(kOwn), e) == std::end(kOwn) &&
        std::find(out.begin(), out.end(), e) == out.end())
      out.push_back(e);
  }
  return out;
}

bool IsConvertedPictureFile(const std::string& FileName) {
  const std::string ext = Extension(FileName);
  if (ext.size() < 2) return false;
  const std::vector<std::string> all = ConvertedPictureExtensions();
  return std::find(all.begin(), all.end(), ext.substr(1)) != all.end();
}

bool TPicture::LoadFromFile(const std::string& FileName) {
  try {
    if (IsConvertedPictureFile(FileName)) {
      // The drawing stores five kinds only: anything else becomes a bitmap.
      std::ifstream in(FileName, std::ios::binary);
      if (!in) throw EGraphicError("the file cannot be opened");
      std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (in.bad()) throw EGraphicError("the file cannot be read");
      const std::string format = Extension(FileName).substr(1);
      const TBitmap pixels = DecodeWithQt(bytes, format.c_str(), format.c_str());
      FGraphic = std::make_unique<TGraphic>(TGraphicKind::Bitmap, EncodeBMP(pixels));
      return true;
    }
    const TGraphicKind kind = GraphicKindOfFile(FileName);
    std::ifstream in(FileName, std::ios::binary);
    if (!in) throw EGraphicError("the file cannot be opened");
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw EGraphicError("the file cannot be read");
    FGraphic = std::make_unique<TGraphic>(kind, std::move(bytes));
    return false;
  } catch (const EGraphicError& e) {
    throw EGraphicError("Cannot load picture " + FileName + ": " + e.what());
  }
}

void TPicture::LoadFromBitmap(const TBitmap& Bitmap) {
  if (Bitmap.IsEmpty()) {
    FGraphic.reset();
    return;
  }
  FGraphic = std::make_unique<TGraphic>(TGraphicKind::Bitmap, EncodeBMP(Bitmap));
}

void TPicture::SaveAsImage(const std::string& FileName) const {
  if (!HasGraphic()) throw EGraphicError("Cannot save " + FileName + ": the picture is empty");
  const std::string ext = Extension(FileName);
  if (ext == ".jpg" || ext == ".jpeg")
    SaveBitmapAsJPEG(FileName, FGraphic->Image());
  else
    SaveBitmapAsBMP(FileName, FGraphic->Image());
}

std::vector<std::uint8_t> EncodeBMP(const TBitmap& Bitmap) {
  const int w = Bitmap.Width(), h = Bitmap.Height();
  const std::size_t stride = (std::size_t(w) * 3 + 3) & ~std::size_t(3);
  const std::size_t image = stride * std::size_t(h);
  std::vector<std::uint8_t> out(54 + image, 0);
  auto put32 = [&out](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
  };
  out[0] = 'B';
  out[1] = 'M';
  put32(2, std::uint32_t(out.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, std::uint32_t(w));
  put32(22, std::uint32_t(h));
  out[26] = 1;   // planes
  out[28] = 24;  // bits per pixel
  put32(34, std::uint32_t(image));
  for (int y = 0; y < h; ++y) {
    const std::uint32_t* src = Bitmap.ScanLine(y);
    std::uint8_t* row = out.data() + 54 + std::size_t(h - 1 - y) * stride;  // bottom-up
    for (int x = 0; x < w; ++x) {
      row[x * 3 + 0] = std::uint8_t(src[x] & 0xFF);
      row[x * 3 + 1] = std::uint8_t((src[x] >> 8) & 0xFF);
      row[x * 3 + 2] = std::uint8_t((src[x] >> 16) & 0xFF);
    }
  }
  return out;
}
