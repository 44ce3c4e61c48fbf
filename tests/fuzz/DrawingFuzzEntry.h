#pragma once
#include <cstddef>
#include <cstdint>

// Feeds arbitrary bytes to the program's own entry points with every class
// registered: a drawing is read, painted whole into a small image and
// written again. A read error is an acceptable outcome; a crash, a hang, a
// runaway allocation or a sanitizer report is not.
void FuzzDrawingOneInput(const std::uint8_t* Data, std::size_t Size);
