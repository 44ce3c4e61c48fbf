#pragma once
// OLE compound files (structured storage) as bytes: there is no object
// hosting on this platform, so embedded objects are kept as their storage
// image and only checked for being one.

#include <cstdint>
#include <span>

// True when Bytes form a compound file that opens (header, sector chains
// and directory readable).
bool CompoundFileOpens(std::span<const std::uint8_t> Bytes);
