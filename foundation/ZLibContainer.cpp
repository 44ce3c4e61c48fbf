#include "foundation/ZLibContainer.h"

#include "foundation/AtomicFile.h"
#include "foundation/ComponentImage.h"
#include "foundation/StreamError.h"
#include "foundation/Streams.h"

#include <zlib.h>

#include <cstring>

namespace {

constexpr std::size_t kChunk = 64 * 1024;
constexpr std::size_t kInputChunk = 256 * 1024;

[[noreturn]] void ThrowZLib(const z_stream& zs, const char* Fallback) {
  throw EStreamError(StreamMsg::CompressionError, zs.msg ? zs.msg : Fallback);
}

struct TDeflater {
  z_stream zs{};
  TDeflater() {
    // Level 1 with zlib's defaults: zlib header, 32 KB window, Adler-32 trailer.
    if (deflateInit(&zs, 1) != Z_OK) ThrowZLib(zs, "deflateInit failed");
  }
  ~TDeflater() { deflateEnd(&zs); }
};

struct TInflater {
  z_stream zs{};
  TInflater() {
    if (inflateInit(&zs) != Z_OK) ThrowZLib(zs, "inflateInit failed");
  }
  ~TInflater() { inflateEnd(&zs); }
};

}  // namespace

void DeflateToStream(std::span<const std::uint8_t> Data, TStream& Out) {
  TDeflater d;
  std::vector<std::uint8_t> buf(kChunk);
  std::size_t offered = 0;
  int ret = Z_OK;
  do {
    if (d.zs.avail_in == 0 && offered < Data.size()) {
      const std::size_t n = std::min<std::size_t>(Data.size() - offered, 1u << 30);
      d.zs.next_in = const_cast<Bytef*>(Data.data() + offered);
      d.zs.avail_in = static_cast<uInt>(n);
      offered += n;
    }
    d.zs.next_out = buf.data();
    d.zs.avail_out = static_cast<uInt>(buf.size());
    ret = deflate(&d.zs, offered == Data.size() ? Z_FINISH : Z_NO_FLUSH);
    if (ret == Z_STREAM_ERROR) ThrowZLib(d.zs, "deflate failed");
    Out.Write(buf.data(), buf.size() - d.zs.avail_out);
  } while (ret != Z_STREAM_END);
}

namespace {

// The resource header states the image size; use it to size the buffer once
// instead of growing it, but never beyond what the caller allows.
std::size_t SizeHintFromHeader(const TByteBuffer& Out) {
  const std::span<const std::uint8_t> d = Out.Span();
  if (d.size() < 4 || d[0] != 0xFF) return 0;
  const auto* nameEnd = static_cast<const std::uint8_t*>(std::memchr(d.data() + 3, 0, d.size() - 3));
  if (!nameEnd) return 0;
  const std::size_t sizeAt = static_cast<std::size_t>(nameEnd - d.data()) + 3;
  if (sizeAt + 4 > d.size()) return 0;
  std::uint32_t size;
  std::memcpy(&size, d.data() + sizeAt, 4);
  return sizeAt + 4 + size;
}

}  // namespace

TByteBuffer InflateStream(TStream& In, std::size_t MaxSize) {
  TInflater inf;
  std::vector<std::uint8_t> in(kInputChunk);
  TByteBuffer out;
  bool hinted = false;
  int ret = Z_OK;
  while (ret != Z_STREAM_END) {
    if (inf.zs.avail_in == 0) {
      const std::size_t n = In.Read(in.data(), in.size());
      if (n == 0) throw EStreamError(StreamMsg::CompressionError, "unexpected end of compressed data");
      inf.zs.next_in = in.data();
      inf.zs.avail_in = static_cast<uInt>(n);
    }
    if (!hinted && out.Size() >= 128) {
      hinted = true;
      out.Reserve(std::min(MaxSize, SizeHintFromHeader(out) + 1));
    }
    if (out.Size() == out.Capacity()) {
      if (out.Size() >= MaxSize) throw EStreamError(StreamMsg::ImageTooLarge);
      out.Reserve(std::min(MaxSize, std::max<std::size_t>(kChunk, out.Capacity() * 2)));
    }
    const std::size_t room = std::min<std::size_t>(out.Capacity() - out.Size(), 1u << 30);
    inf.zs.next_out = out.Data() + out.Size();
    inf.zs.avail_out = static_cast<uInt>(room);
    ret = inflate(&inf.zs, Z_NO_FLUSH);
    out.SetSize(out.Size() + room - inf.zs.avail_out);
    if (ret == Z_NEED_DICT || ret == Z_DATA_ERROR || ret == Z_MEM_ERROR || ret == Z_STREAM_ERROR)
      ThrowZLib(inf.zs, "invalid compressed data");
  }
  return out;
}

namespace {
// Never write a file that reading would refuse.
std::vector<std::uint8_t> CheckedResourceImage(TPersistent& Component) {
  std::vector<std::uint8_t> image = WriteResourceImage(Component);
  if (image.size() > kMaxInflatedImage) throw EStreamError(StreamMsg::ImageTooLarge);
  return image;
}
}  // namespace

void WriteZLibComponentToStream(TStream& Out, TPersistent& Component) {
  DeflateToStream(CheckedResourceImage(Component), Out);
}

void WriteZLibComponentResFile(const std::string& FileName, TPersistent& Component) {
  // The image is complete before the file system is touched.
  const std::vector<std::uint8_t> image = CheckedResourceImage(Component);
  SaveFileAtomically(FileName, [&](TStream& out) { DeflateToStream(image, out); });
}

TPersistent& ReadZLibComponentResFile(const std::string& FileName, TPersistent& Component) {
  TFileStream file(FileName, TFileStream::TMode::OpenRead);
  return ReadZLibComponentFromStream(file, Component);
}

TPersistent& ReadZLibComponentFromStream(TStream& Stream, TPersistent& Component, std::size_t MaxImage) {
  const TByteBuffer data = InflateStream(Stream, MaxImage);
  const std::size_t at = SkipResourceHeader(data.Span());
  ReadComponentImage(data.Span().subspan(at), Component);
  return Component;
}
