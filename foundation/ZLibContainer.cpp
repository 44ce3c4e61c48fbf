#include "foundation/ZLibContainer.h"

#include "foundation/AtomicFile.h"
#include "foundation/ComponentImage.h"
#include "foundation/StreamError.h"
#include "foundation/Streams.h"

#include <zlib.h>

namespace {

constexpr std::size_t kChunk = 64 * 1024;

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

std::vector<std::uint8_t> InflateStream(TStream& In, std::size_t MaxSize) {
  TInflater inf;
  std::vector<std::uint8_t> in(kChunk);
  std::vector<std::uint8_t> out;
  std::size_t used = 0;
  int ret = Z_OK;
  while (ret != Z_STREAM_END) {
    if (inf.zs.avail_in == 0) {
      const std::size_t n = In.Read(in.data(), in.size());
      if (n == 0) throw EStreamError(StreamMsg::CompressionError, "unexpected end of compressed data");
      inf.zs.next_in = in.data();
      inf.zs.avail_in = static_cast<uInt>(n);
    }
    if (used == out.size()) {
      if (out.size() >= MaxSize)
        throw EStreamError(StreamMsg::ImageTooLarge);
      out.resize(std::min(MaxSize, std::max<std::size_t>(kChunk, out.size() * 2)));
    }
    inf.zs.next_out = out.data() + used;
    inf.zs.avail_out = static_cast<uInt>(std::min<std::size_t>(out.size() - used, 1u << 30));
    const uInt before = inf.zs.avail_out;
    ret = inflate(&inf.zs, Z_NO_FLUSH);
    used += before - inf.zs.avail_out;
    if (ret == Z_NEED_DICT || ret == Z_DATA_ERROR || ret == Z_MEM_ERROR || ret == Z_STREAM_ERROR)
      ThrowZLib(inf.zs, "invalid compressed data");
  }
  out.resize(used);
  return out;
}

void WriteZLibComponentToStream(TStream& Out, TPersistent& Component) {
  DeflateToStream(WriteResourceImage(Component), Out);
}

void WriteZLibComponentResFile(const std::string& FileName, TPersistent& Component) {
  // The image is complete before the file system is touched.
  const std::vector<std::uint8_t> image = WriteResourceImage(Component);
  SaveFileAtomically(FileName, [&](TStream& out) { DeflateToStream(image, out); });
}

TPersistent& ReadZLibComponentResFile(const std::string& FileName, TPersistent& Component) {
  TFileStream file(FileName, TFileStream::TMode::OpenRead);
  return ReadZLibComponentFromStream(file, Component);
}

TPersistent& ReadZLibComponentFromStream(TStream& Stream, TPersistent& Component, std::size_t MaxImage) {
  const std::vector<std::uint8_t> data = InflateStream(Stream, MaxImage);
  const std::size_t at = SkipResourceHeader(data);
  ReadComponentImage(std::span(data).subspan(at), Component);
  return Component;
}
