#pragma once
#include <cstddef>
#include <cstdint>

// Feeds arbitrary bytes to metafile playback as the picture figure paints a
// picture: the first byte's low bit picks EMF or WMF (a minimal header of
// that kind goes in front when the rest does not start with one), its next
// bit whether the picture is played upside down; the rest is played into a
// small image. A crash, a hang, a runaway allocation or a sanitizer report
// is a finding; anything painted is not.
void FuzzMetafileOneInput(const std::uint8_t* Data, std::size_t Size);
