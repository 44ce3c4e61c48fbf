// The drawing and metafile fuzzers' seeds and every input they ever found
// troublesome go through the program's entry points again, under the
// sanitizers in CI.

#include "../fuzz/DrawingFuzzEntry.h"
#include "../fuzz/MetafileFuzzEntry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

namespace {
int Replay(const fs::path& Dir, void (*Entry)(const std::uint8_t*, std::size_t) = FuzzDrawingOneInput) {
  int count = 0;
  if (!fs::is_directory(Dir)) return 0;
  for (const auto& entry : fs::directory_iterator(Dir)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream f(entry.path(), std::ios::binary);
    const std::vector<std::uint8_t> data(std::istreambuf_iterator<char>(f), {});
    Entry(data.data(), data.size());
    ++count;
  }
  return count;
}
}  // namespace

TEST(DrawingFuzzRegressions, SeedsAndStoredInputsGoThroughWithoutCrashing) {
  const int seeds = Replay(fs::path(PLANDECK_SOURCE_DIR) / "tests/fuzz/seeds/drawing");
  EXPECT_GT(seeds, 2);
  Replay(fs::path(PLANDECK_TEST_DATA) / "fuzz-regressions/drawing");
}

TEST(MetafileFuzzRegressions, SeedsAndStoredInputsPlayWithoutCrashing) {
  const int seeds = Replay(fs::path(PLANDECK_SOURCE_DIR) / "tests/fuzz/seeds/metafile", FuzzMetafileOneInput);
  EXPECT_GT(seeds, 5);
  Replay(fs::path(PLANDECK_TEST_DATA) / "fuzz-regressions/metafile", FuzzMetafileOneInput);
}
