#include "DrawingFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  FuzzDrawingOneInput(Data, Size);
  return 0;
}
