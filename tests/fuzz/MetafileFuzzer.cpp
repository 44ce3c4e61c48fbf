#include "MetafileFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  FuzzMetafileOneInput(Data, Size);
  return 0;
}
