#pragma once
// The component image: signature "TPF0" and one component record whose
// properties are the root's published slots and defined properties. Files
// frame it with a resource header; the clipboard carries it bare.

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

class TPersistent;
class TMyList;

std::vector<std::uint8_t> WriteComponentImage(TPersistent& Root);
// Reads into an existing root; the class name in the image is not checked and
// the root keeps its own class.
void ReadComponentImage(std::span<const std::uint8_t> Image, TPersistent& Root);
// Creates the root from the class name in the image.
std::unique_ptr<TPersistent> ReadComponentImageNew(std::span<const std::uint8_t> Image);

// Resource header, image, and the image size patched into the header.
std::vector<std::uint8_t> WriteResourceImage(TPersistent& Root);
// Offset of the image behind a valid resource header; "Invalid stream format" otherwise.
std::size_t SkipResourceHeader(std::span<const std::uint8_t> Data);

// The clipboard's content: a TMyList root, no header, no compression.
std::vector<std::uint8_t> WriteClipboardImage(TMyList& List);
// The list owns the items it read until they are taken with TakeReadItems.
std::unique_ptr<TMyList> ReadClipboardImage(std::span<const std::uint8_t> Image);
// True when the bytes hold a readable image whose root is a TMyList.
bool CheckClipboardImage(std::span<const std::uint8_t> Image);
