#include "../fuzz/FuzzEntry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

// Every input the fuzzer ever found troublesome (and a few seeds) must read
// without a crash or a sanitizer report.
TEST(FuzzRegressions, StoredInputsReadWithoutCrashing) {
  const std::filesystem::path dir = std::filesystem::path(PLANDECK_TEST_DATA) / "fuzz-regressions";
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    std::ifstream f(entry.path(), std::ios::binary);
    const std::vector<std::uint8_t> data(std::istreambuf_iterator<char>(f), {});
    FuzzReadersOneInput(data.data(), data.size());
    ++count;
  }
  EXPECT_GT(count, 0);
}
