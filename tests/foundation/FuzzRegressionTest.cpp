#include "../fuzz/FuzzEntry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {
int ReplayFolder(const std::filesystem::path& dir) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;  // the other fuzzers' inputs live in folders
    std::ifstream f(entry.path(), std::ios::binary);
    const std::vector<std::uint8_t> data(std::istreambuf_iterator<char>(f), {});
    FuzzReadersOneInput(data.data(), data.size());
    ++count;
  }
  return count;
}
}  // namespace

// Every input the fuzzer ever found troublesome (and the seeds) must read
// without a crash or a sanitizer report.
TEST(FuzzRegressions, StoredInputsReadWithoutCrashing) {
  EXPECT_GT(ReplayFolder(std::filesystem::path(PLANDECK_TEST_DATA) / "fuzz-regressions"), 0);
}

// The minimised corpus of the last long fuzzing run: cheap, and it keeps
// every reader path that run reached covered under the sanitizers.
TEST(FuzzRegressions, MinimisedCorpusReadsWithoutCrashing) {
  EXPECT_GT(ReplayFolder(std::filesystem::path(PLANDECK_TEST_DATA) / "fuzz-corpus" / "readers"), 100);
}
