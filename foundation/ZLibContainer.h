#pragma once
// The compressed container of .GCK drawings, Plandeck.env and the libraries:
// a zlib stream (level 1) holding a resource header and a component image.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class TPersistent;
class TStream;
class TByteBuffer;

// Refused before it exhausts memory: no real drawing comes near it.
inline constexpr std::size_t kMaxInflatedImage = std::size_t(1) << 30;

// Writes the root into a new compressed file, replacing an existing one only
// once the new one is completely on the disk.
void WriteZLibComponentResFile(const std::string& FileName, TPersistent& Component);
TPersistent& ReadZLibComponentResFile(const std::string& FileName, TPersistent& Component);
// Inflates from the stream's current position and reads into the existing root.
TPersistent& ReadZLibComponentFromStream(TStream& Stream, TPersistent& Component,
                                         std::size_t MaxImage = kMaxInflatedImage);

// The compression steps on their own, for the clipboard, libraries and tests.
void WriteZLibComponentToStream(TStream& Out, TPersistent& Component);
void DeflateToStream(std::span<const std::uint8_t> Data, TStream& Out);
TByteBuffer InflateStream(TStream& In, std::size_t MaxSize = kMaxInflatedImage);
