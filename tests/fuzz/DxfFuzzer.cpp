#include "DxfFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  FuzzDxfOneInput(Data, Size);
  return 0;
}
