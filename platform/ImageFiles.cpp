// BMP through QImageWriter; JPEG through libjpeg's compressor directly, so
// the quality and the file match what the JPEG pictures of the drawings use.

#include "platform/ImageFiles.h"

#include <QFile>
#include <QImageWriter>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "platform/Bitmap.h"
#include "platform/QtCanvas.h"

void SaveBitmapAsBMP(const std::string& fileName, const TBitmap& bitmap) {
  if (bitmap.IsEmpty()) throw EImageFileError("Cannot save " + fileName + " as a bitmap: the picture is empty");
  QImageWriter writer(QString::fromStdString(fileName), "bmp");
  if (!writer.write(QtImage(bitmap)))
    throw EImageFileError("Cannot save " + fileName + " as a bitmap: " + writer.errorString().toStdString());
}

namespace {

// libjpeg reports fatal errors through error_exit, which must not return:
// it jumps back to SaveBitmapAsJPEG with the message.
struct JpegErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

extern "C" void JpegErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

struct FileCloser {
  void operator()(FILE* f) const {
    if (f) std::fclose(f);
  }
};

}  // namespace

void SaveBitmapAsJPEG(const std::string& fileName, const TBitmap& bitmap, int quality) {
  if (bitmap.IsEmpty()) throw EImageFileError("Cannot save " + fileName + " as a JPEG image: the picture is empty");
  std::unique_ptr<FILE, FileCloser> file(std::fopen(fileName.c_str(), "wb"));
  if (!file)
    throw EImageFileError("Cannot save " + fileName + " as a JPEG image: " + std::strerror(errno));

  const int width = bitmap.Width(), height = bitmap.Height();
  std::vector<JSAMPLE> row(size_t(width) * 3);
  // Nothing with a destructor lives between setjmp and the compression:
  // longjmp would skip it.
  jpeg_compress_struct cinfo;
  JpegErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = JpegErrorExit;
  err.message[0] = '\0';
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    throw EImageFileError("Cannot save " + fileName + " as a JPEG image: " + err.message);
  }
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file.get());
  cinfo.image_width = JDIMENSION(width);
  cinfo.image_height = JDIMENSION(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, std::clamp(quality, 1, 100), TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    const std::uint32_t* src = bitmap.ScanLine(int(cinfo.next_scanline));
    for (int x = 0; x < width; ++x) {
      row[size_t(x) * 3 + 0] = JSAMPLE((src[x] >> 16) & 0xFF);
      row[size_t(x) * 3 + 1] = JSAMPLE((src[x] >> 8) & 0xFF);
      row[size_t(x) * 3 + 2] = JSAMPLE(src[x] & 0xFF);
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  const bool flushed = std::fflush(file.get()) == 0 && !std::ferror(file.get());
  const bool closed = std::fclose(file.release()) == 0;
  if (!flushed || !closed)
    throw EImageFileError("Cannot save " + fileName + " as a JPEG image: " + std::strerror(errno));
}
