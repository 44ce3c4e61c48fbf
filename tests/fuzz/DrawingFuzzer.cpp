#include "DrawingFuzzEntry.h"

// The fuzzer never destroys its QApplication, so fontconfig is never
// finalised; that is no finding.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  FuzzDrawingOneInput(Data, Size);
  return 0;
}
