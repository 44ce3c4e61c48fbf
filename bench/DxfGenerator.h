#pragma once
// DXF files for the import benchmark: an R12 file of N LINE entities and a
// mixed R2000 file (lines, circles, arcs, light-weight polylines with
// bulges, texts, some of them Chinese in GBK). The same arguments give the
// same text.

#include <string>

std::string GenerateDxfLines(int N, unsigned Seed = 1);
std::string GenerateDxfMixed(int N, unsigned Seed = 1);
