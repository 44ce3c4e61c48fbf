#include "FuzzEntry.h"

#include "../foundation/TestClasses.h"

#include "foundation/ComponentImage.h"
#include "foundation/StreamError.h"
#include "foundation/Streams.h"
#include "foundation/ZLibContainer.h"

#include <span>

void FuzzReadersOneInput(const std::uint8_t* Data, std::size_t Size) {
  RegisterTestClasses();
  if (Size == 0) return;
  // The first byte picks the reader, so one corpus covers them all.
  const std::uint8_t mode = Data[0] % 4;
  const std::span<const std::uint8_t> rest(Data + 1, Size - 1);
  try {
    switch (mode) {
      case 0: {
        TTestRoot root;
        ReadComponentImage(rest, root);
        break;
      }
      case 1: {
        TTestListRoot root;
        ReadComponentImage(rest, root);
        break;
      }
      case 2: {
        CheckClipboardImage(rest);
        break;
      }
      case 3: {
        // A compressed container; small limit so the fuzzer cannot exhaust memory.
        TSpanStream in(rest);
        TTestListRoot root;
        ReadZLibComponentFromStream(in, root, 64u << 20);
        break;
      }
    }
  } catch (const EStreamError&) {
  }
}
