// libgsf reads the compound file. Its GLib headers clash with Qt's keywords,
// so this file includes no Qt header and is built without the precompiled one.

#include "platform/CompoundFile.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

namespace {

std::uint32_t Le32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
std::uint16_t Le16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

struct TUnref {
  void operator()(gpointer p) const { g_object_unref(p); }
};
using TInputPtr = std::unique_ptr<GsfInput, TUnref>;
using TInfilePtr = std::unique_ptr<GsfInfile, TUnref>;

TInfilePtr OpenCompound(std::span<const std::uint8_t> Bytes, TInputPtr& Input) {
  static std::once_flag initialised;
  std::call_once(initialised, [] { gsf_init(); });
  if (Bytes.size() < 512) return nullptr;  // not even a header sector
  Input.reset(gsf_input_memory_new(Bytes.data(), gsf_off_t(Bytes.size()), FALSE));
  if (!Input) return nullptr;
  GError* error = nullptr;
  TInfilePtr file(gsf_infile_msole_new(Input.get(), &error));
  if (error) g_error_free(error);
  return file;
}

// A stream's bytes; none when it claims more than the whole file holds.
std::vector<std::uint8_t> ReadStream(GsfInput* Stream, std::size_t Limit) {
  const gsf_off_t size = gsf_input_size(Stream);
  if (size <= 0 || std::uint64_t(size) > Limit) return {};
  std::vector<std::uint8_t> out(static_cast<std::size_t>(size));
  if (!gsf_input_read(Stream, out.size(), out.data())) return {};
  return out;
}

// The size of a DIB's header and colour table, within Size bytes; 0 when
// it is not one.
std::size_t DibHeaderSize(const std::uint8_t* Dib, std::size_t Size) {
  if (Size < 40) return 0;
  const std::uint32_t head = Le32(Dib);
  if (head != 40 && head != 108 && head != 124) return 0;
  const std::uint16_t bits = Le16(Dib + 14);
  const std::uint32_t compression = Le32(Dib + 16), used = Le32(Dib + 32);
  std::size_t colours = used ? std::min<std::uint32_t>(used, 256) : (bits <= 8 ? std::size_t(1) << bits : 0);
  std::size_t n = head + colours * 4 + (head == 40 && compression == 3 ? 12 : 0);
  return n < Size ? n : 0;
}

// What Data is as a picture: a metafile, a BMP file or a bare DIB.
TOlePresentation Sniff(const std::uint8_t* Data, std::size_t Size) {
  TOlePresentation out;
  if (Size < 18) return out;
  const bool emf = Size >= 88 && Le32(Data) == 1 && Le32(Data + 40) == 0x464D4520;
  const bool wmf = Le32(Data) == 0x9AC6CDD7 || ((Le16(Data) == 1 || Le16(Data) == 2) && Le16(Data + 2) == 9);
  if (emf || wmf) {
    out.Kind = TPresentationKind::Metafile;
    out.Bytes.assign(Data, Data + Size);
  } else if (Data[0] == 'B' && Data[1] == 'M') {
    out.Kind = TPresentationKind::Bitmap;
    out.Bytes.assign(Data, Data + Size);
  } else if (const std::size_t head = DibHeaderSize(Data, Size)) {
    // A file header of our own in front makes it a BMP file.
    out.Kind = TPresentationKind::Bitmap;
    out.Bytes.assign(14, 0);
    out.Bytes[0] = 'B', out.Bytes[1] = 'M';
    const std::uint32_t total = std::uint32_t(14 + Size), off = std::uint32_t(14 + head);
    for (int i = 0; i < 4; ++i) out.Bytes[2 + i] = std::uint8_t(total >> (8 * i)), out.Bytes[10 + i] = std::uint8_t(off >> (8 * i));
    out.Bytes.insert(out.Bytes.end(), Data, Data + Size);
  }
  return out;
}

// An OlePres stream: clipboard format, target device, aspect, index,
// advise flags, a reserved word, width, height, the data's size, the data.
TOlePresentation FromOlePres(const std::vector<std::uint8_t>& S) {
  std::size_t at = 0;
  auto left = [&] { return S.size() - at; };
  if (left() < 4) return {};
  const std::uint32_t marker = Le32(S.data());
  at = 4;
  if (marker == 0xFFFFFFFF || marker == 0xFFFFFFFE) {
    if (left() < 4) return {};
    at += 4;  // a standard clipboard format
  } else if (marker != 0) {
    if (marker > left()) return {};
    at += marker;  // a registered format's name
  }
  if (left() < 4) return {};
  const std::uint32_t device = Le32(S.data() + at);
  at += 4;
  // The size counts its own four bytes.
  if (device > 4) {
    if (device - 4 > left()) return {};
    at += device - 4;
  }
  if (left() < 7 * 4) return {};
  const std::uint32_t size = Le32(S.data() + at + 6 * 4);
  at += 7 * 4;
  if (size > left()) return {};
  return Sniff(S.data() + at, size);
}

}  // namespace

bool CompoundFileOpens(std::span<const std::uint8_t> Bytes) {
  TInputPtr input;
  return OpenCompound(Bytes, input) != nullptr;
}

TOlePresentation CompoundFilePresentation(std::span<const std::uint8_t> Bytes) {
  TInputPtr input;
  TInfilePtr file = OpenCompound(Bytes, input);
  if (!file) return {};
  const int n = gsf_infile_num_children(file.get());
  std::vector<std::string> pres;
  std::string contents;
  for (int i = 0; i < n && i < 4096; ++i) {
    const char* name = gsf_infile_name_by_index(file.get(), i);
    if (!name) continue;
    const std::string s = name;
    if (s.rfind("\002OlePres", 0) == 0) pres.push_back(s);
    if (s == "CONTENTS" || s == "Contents") contents = s;
  }
  std::sort(pres.begin(), pres.end());
  if (!contents.empty()) pres.push_back(contents);
  for (const std::string& name : pres) {
    TInputPtr stream(gsf_infile_child_by_name(file.get(), name.c_str()));
    if (!stream) continue;
    const std::vector<std::uint8_t> bytes = ReadStream(stream.get(), Bytes.size());
    TOlePresentation p = name == contents ? Sniff(bytes.data(), bytes.size()) : FromOlePres(bytes);
    if (p.Kind != TPresentationKind::None) return p;
  }
  return {};
}
