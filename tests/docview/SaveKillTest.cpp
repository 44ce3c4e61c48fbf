// Saves that are killed part way: the old file stays whole, and the next save
// that succeeds leaves no temporary file behind.

#include "bench/DrawingGenerator.h"
#include "docview/Environment.h"
#include "docview/FiguresDoc.h"
#include "foundation/AtomicFile.h"
#include "foundation/Streams.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using Bytes = std::vector<char>;

namespace {

class SaveKill : public ::testing::Test {
public:
  void SetUp() override {
    RegisterDocumentClasses();
    FDir = fs::temp_directory_path() / ("plandeck-kill-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(FDir);
    fs::create_directories(FDir);
  }
  void TearDown() override { fs::remove_all(FDir); }

  std::string Path(const std::string& Name) const { return (FDir / Name).string(); }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(FDir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  fs::path FDir;
};

Bytes ReadAll(const std::string& Path) {
  std::ifstream f(Path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), {});
}

double SecondsOf(const std::function<void()>& Work) {
  const auto start = std::chrono::steady_clock::now();
  Work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs Save in a child and kills it after Delay; tells whether it was killed
// before it finished.
bool KillDuring(const std::function<void()>& Save, double Delay) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    try {
      Save();
    } catch (...) {
      ::_exit(2);
    }
    ::_exit(0);
  }
  std::this_thread::sleep_for(std::chrono::duration<double>(Delay));
  ::kill(pid, SIGKILL);
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) != 0) << "the save itself failed";
  return WIFSIGNALED(status);
}

// Kills Save at many points through its run; each time the file holds the
// old bytes or the new ones, never a mix, and a save in this process then
// leaves the folder with the file alone.
void KillAtManyPoints(SaveKill& Test, const std::string& Name, const std::function<void()>& Save, int Points) {
  const std::string path = Test.Path(Name);
  Save();
  const Bytes saved = ReadAll(path);
  const double duration = std::max(SecondsOf(Save), 1e-4);
  int killed = 0;
  for (int i = 0; i <= Points; ++i) {
    const Bytes before = ReadAll(path);
    if (KillDuring(Save, duration * 1.2 * i / Points)) ++killed;
    const Bytes after = ReadAll(path);
    EXPECT_TRUE(after == before || after == saved) << "kill point " << i;
    Save();
    EXPECT_EQ(Test.Entries(), std::vector<std::string>{Name}) << "kill point " << i;
  }
  EXPECT_GT(killed, 0);
}

TEST_F(SaveKill, ADrawingBeingWrittenSurvivesEveryKill) {
  auto file = GenerateDrawingFile(4000);
  KillAtManyPoints(*this, "site.gck", [&] { WriteDrawingFile(Path("site.gck"), *file); }, 16);
  TTxProjectFile back;
  EXPECT_TRUE(ReadDrawingFile(Path("site.gck"), back).Ok);
}

TEST_F(SaveKill, TheEnvironmentFileSurvivesEveryKill) {
  TEnvironmentComponent env;
  const std::string folder = FDir.string() + "/";
  KillAtManyPoints(*this, EnvironmentFileName, [&] { ASSERT_TRUE(SaveEnvironment(env, folder)); }, 8);
}

// A temporary file whose writer still lives is not taken for a stray one.
TEST_F(SaveKill, OnlyTemporariesOfDeadWritersAreRemoved) {
  const std::string stale = Path(".site.gck.tmpAbC123"), live = Path(".site.gck.tmpLive00");
  const std::string otherFile = Path(".other.gck.tmpAbC123"), notOurs = Path(".site.gck.tmpLonger123");
  for (const auto& p : {stale, live, otherFile, notOurs}) std::ofstream(p) << "x";
  const int liveFd = ::open(live.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(liveFd, LOCK_EX), 0);

  SaveFileAtomically(Path("site.gck"), [](TStream& out) { out.Write("new", 3); });
  ::close(liveFd);
  EXPECT_EQ(Entries(), (std::vector<std::string>{".other.gck.tmpAbC123", ".site.gck.tmpLive00",
                                                 ".site.gck.tmpLonger123", "site.gck"}));
}

}  // namespace
