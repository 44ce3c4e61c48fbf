#pragma once
#include <cstddef>
#include <cstdint>

// Feeds arbitrary bytes to the DXF import as a file's text: the drawing is
// read as ReadFromDxfFile reads it, painted whole into a small image and
// written back as DXF in memory. A read error is an acceptable outcome; a
// crash, a hang, a runaway allocation or a sanitizer report is not.
void FuzzDxfOneInput(const std::uint8_t* Data, std::size_t Size);
