// The drawing fuzzer's seeds and every input it ever found troublesome go
// through the program's entry points again, under the sanitizers in CI.

#include "../fuzz/DrawingFuzzEntry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

namespace {
int Replay(const fs::path& Dir) {
  int count = 0;
  if (!fs::is_directory(Dir)) return 0;
  for (const auto& entry : fs::directory_iterator(Dir)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream f(entry.path(), std::ios::binary);
    const std::vector<std::uint8_t> data(std::istreambuf_iterator<char>(f), {});
    FuzzDrawingOneInput(data.data(), data.size());
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
