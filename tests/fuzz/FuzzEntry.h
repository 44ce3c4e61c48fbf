#pragma once
#include <cstddef>
#include <cstdint>

// Feeds arbitrary bytes to the readers of saved data. Any EStreamError is an
// acceptable outcome; a crash, a hang or a sanitizer report is not.
void FuzzReadersOneInput(const std::uint8_t* Data, std::size_t Size);
