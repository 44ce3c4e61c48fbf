#pragma once
// OLE compound files (structured storage) as bytes: there is no object
// hosting on this platform, so embedded objects are kept as their storage
// image, checked for being one, and shown by the picture their server
// stored in it.

#include <cstdint>
#include <span>
#include <vector>

// True when Bytes form a compound file that opens (header, sector chains
// and directory readable).
bool CompoundFileOpens(std::span<const std::uint8_t> Bytes);

// The picture an object's server cached for showing it without the server:
// the first "\002OlePres" stream holding a metafile or a bitmap, else a
// "CONTENTS" stream that is one. Bitmaps come back as a BMP file image.
enum class TPresentationKind { None, Metafile, Bitmap };
struct TOlePresentation {
  TPresentationKind Kind = TPresentationKind::None;
  std::vector<std::uint8_t> Bytes;
};
TOlePresentation CompoundFilePresentation(std::span<const std::uint8_t> Bytes);
