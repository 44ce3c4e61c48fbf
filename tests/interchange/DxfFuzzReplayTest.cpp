// The DXF fuzzer's seeds and every input it ever found troublesome go
// through the import, painting and export again, under the sanitizers in CI.

#include "../fuzz/DxfFuzzEntry.h"

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
    SCOPED_TRACE(entry.path().filename().string());
    FuzzDxfOneInput(data.data(), data.size());
    ++count;
  }
  return count;
}
}  // namespace

TEST(DxfFuzzRegressions, SeedsAndStoredInputsGoThroughWithoutCrashing) {
  EXPECT_GT(Replay(fs::path(PLANDECK_TESTS) / "fuzz/seeds/dxf"), 4);
  Replay(fs::path(PLANDECK_TESTS) / "data/fuzz-regressions/dxf");
}
