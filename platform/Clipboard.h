#pragma once
// The clipboard: figure lists travel as a component image under a private
// MIME type; pictures as the desktop's standard image type.

#include <cstdint>
#include <optional>
#include <vector>

class TBitmap;

inline constexpr const char* FigureClipboardMime = "application/x-plandeck-figures";

// Replaces the clipboard's content with one component image.
void SetClipboardComponent(const std::vector<std::uint8_t>& Image);
// The component image on the clipboard, if there is one.
std::optional<std::vector<std::uint8_t>> GetClipboardComponent();
// True when the clipboard holds a readable image whose root is a TMyList:
// what enables the paste commands.
bool CheckClipBoard();

void SetClipboardPicture(const TBitmap& Picture);
// The clipboard's picture, if it holds one.
std::optional<TBitmap> GetClipboardPicture();
