#include "MetafileFuzzEntry.h"

// Fontconfig keeps its caches to the end of the process; that is no finding.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  FuzzMetafileOneInput(Data, Size);
  return 0;
}
