#include "../foundation/TestBytes.h"

#include "docview/Environment.h"
#include "foundation/ComponentImage.h"
#include "foundation/ZLibContainer.h"

#include <QByteArray>
#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class Environment : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterStreamingClasses();
    RegisterEnvironmentClasses();
    FDir = fs::temp_directory_path() / ("plandeck-env-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(FDir);
    fs::create_directories(FDir);
  }
  void TearDown() override { fs::remove_all(FDir); }
  std::string Folder() const { return FDir.string() + "/"; }
  fs::path FDir;
};

// "Environment.P" of the defaults, value by value.
Bytes DefaultValues() {
  ByteBuilder b;
  b({0x09});                                                          // show new dialog
  b({0x05, 0, 0, 0, 0, 0, 0, 0, 0xD2, 0x07, 0x40});                   // 420.0
  b({0x05, 0, 0, 0, 0, 0, 0, 0x80, 0x94, 0x07, 0x40});                // 297.0
  b({0x02, 0, 0x02, 0, 0x02, 1, 0x02, 1, 0x02, 8});                   // cursor, select, offsets, capture
  b({0x00});                                                          // raw snap set
  b({0x03, 0xFF, 0x00});                                              // capture colour 255
  b({0x09});                                                          // delete confirm
  b({0x04, 0xFF, 0xFF, 0xFF, 0x00});                                  // background 0xFFFFFF
  b({0x09, 0x08});                                                    // allow move, ortho
  b({0x00});                                                          // raw cursor pen style
  b({0x02, 5, 0x02, 0});                                              // undo count, printer
  return b.b;
}

Bytes EnvFileContent(const Bytes& values) {
  ByteBuilder image;
  image("TPF0").Str("TEnvironmentComponent")({0});
  image.Str("Environment.P");
  image.b.insert(image.b.end(), values.begin(), values.end());
  image.Str("Environment.S")({0x0A, 0, 0, 0, 0});
  image({0, 0});
  ByteBuilder file;
  file({0xFF, 0x0A, 0x00})("TENVIRONMENTCOMPONENT")({0x00, 0x30, 0x10});
  const auto n = static_cast<std::uint32_t>(image.b.size());
  file({static_cast<int>(n & 0xFF), static_cast<int>((n >> 8) & 0xFF), 0, 0});
  file.b.insert(file.b.end(), image.b.begin(), image.b.end());
  return file.b;
}

void WriteCompressed(const std::string& path, const Bytes& content) {
  uLongf len = compressBound(content.size());
  Bytes z(len);
  compress2(z.data(), &len, content.data(), content.size(), 1);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(z.data()), static_cast<std::streamsize>(len));
}

Bytes InflatedFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  const Bytes z(std::istreambuf_iterator<char>(f), {});
  Bytes out(1 << 16);
  uLongf len = out.size();
  EXPECT_EQ(uncompress(out.data(), &len, z.data(), z.size()), Z_OK);
  out.resize(len);
  return out;
}

}  // namespace

TEST_F(Environment, DefaultsWriteTheHandWrittenFile) {
  TEnvironmentComponent env;
  ASSERT_TRUE(SaveEnvironment(env, Folder()));
  EXPECT_EQ(InflatedFile(Folder() + "Plandeck.env"), EnvFileContent(DefaultValues()));
}

TEST_F(Environment, HandWrittenFileReadsEveryField) {
  Bytes values = DefaultValues();
  values[0] = 0x08;    // no new-drawing dialog
  values[32] = 12;     // capture radius
  values[33] = 0x05;   // snap kinds 0 and 2
  values[44] = 0x09;   // ortho on
  values[45] = 2;      // dotted cursor pen
  values[47] = 0;      // history off
  WriteCompressed(Folder() + "Plandeck.env", EnvFileContent(values));

  TEnvironmentComponent env;
  ASSERT_TRUE(LoadEnvironment(env, Folder()));
  const TEnvironment& e = *env.FEnvironment;
  EXPECT_FALSE(e.FShowNewDialog);
  EXPECT_EQ(e.FDefaultWidth, 420.0);
  EXPECT_EQ(e.FDefaultHeight, 297.0);
  EXPECT_EQ(e.FCaptureBj, 12);
  EXPECT_EQ(e.FPointLxSet, 0x05);
  EXPECT_EQ(e.FCaptureColor, 255u);
  EXPECT_EQ(e.FViewBackColor, 0xFFFFFFu);
  EXPECT_TRUE(e.FOrtho);
  EXPECT_EQ(e.FCursorPenStyle, 2);
  EXPECT_EQ(e.FUndoCount, 0);

  // Written back, the same bytes come out.
  ASSERT_TRUE(SaveEnvironment(env, Folder()));
  EXPECT_EQ(InflatedFile(Folder() + "Plandeck.env"), EnvFileContent(values));
}

TEST_F(Environment, MissingOrDamagedFileKeepsTheDefaults) {
  TEnvironmentComponent env;
  EXPECT_FALSE(LoadEnvironment(env, Folder()));
  EXPECT_EQ(env.FEnvironment->FDefaultWidth, 420.0);

  // Damage after the first values: nothing read before the damage may stick.
  Bytes values = DefaultValues();
  values[0] = 0x08;
  values.resize(30);
  WriteCompressed(Folder() + "Plandeck.env", EnvFileContent(values));
  EXPECT_FALSE(LoadEnvironment(env, Folder()));
  const TEnvironment& e = *env.FEnvironment;
  EXPECT_TRUE(e.FShowNewDialog);
  EXPECT_EQ(e.FDefaultWidth, 420.0);
  EXPECT_EQ(e.FDefaultHeight, 297.0);
  EXPECT_EQ(e.FCaptureBj, 8);
  EXPECT_EQ(e.FUndoCount, 5);

  std::ofstream(Folder() + "Plandeck.env") << "not a settings file";
  EXPECT_FALSE(LoadEnvironment(env, Folder()));
  EXPECT_EQ(e.FUndoCount, 5);
}

TEST_F(Environment, AssignSkipsOrthoAndInitKeepsCaptureSettings) {
  TEnvironment a, b;
  a.FOrtho = true;
  a.FFileName = "x";
  a.FCaptureBj = 20;
  a.FUndoCount = 9;
  b.Assign(a);
  EXPECT_FALSE(b.FOrtho);
  EXPECT_TRUE(b.FFileName.empty());
  EXPECT_EQ(b.FCaptureBj, 20);
  b.Init();
  EXPECT_EQ(b.FUndoCount, 5);
  EXPECT_EQ(b.FCaptureBj, 20);
}

TEST_F(Environment, FailedSaveKeepsTheOldFile) {
  TEnvironmentComponent env;
  EXPECT_FALSE(SaveEnvironment(env, Folder() + "missing/"));
  EXPECT_FALSE(fs::exists(Folder() + "missing"));
}

// ---- where the settings live

namespace {

Bytes FileBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), {});
}

// A program folder as installed: a shipped Plandeck.env and no write bits.
class InstalledEnvironment : public Environment {
protected:
  void SetUp() override {
    Environment::SetUp();
    fs::create_directories(FDir / "program");
    shipped = DefaultValues();
    shipped[32] = 12;  // capture radius
    WriteCompressed(Program() + "Plandeck.env", EnvFileContent(shipped));
    shippedFile = FileBytes(Program() + "Plandeck.env");
    fs::permissions(FDir / "program", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                          fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  }
  void TearDown() override {
    fs::permissions(FDir / "program", fs::perms::owner_all, fs::perm_options::add);
    Environment::TearDown();
  }
  std::string Program() const { return Folder() + "program/"; }
  std::string User() const { return Folder() + "config/Verdaplan/Plandeck/"; }

  Bytes shipped;
  Bytes shippedFile;
};

}  // namespace

TEST_F(InstalledEnvironment, AFolderWithoutWriteBitsTakesNoWritesWhoeverRuns) {
  EXPECT_FALSE(FolderTakesWrites(Program()));
  EXPECT_TRUE(FolderTakesWrites(Folder()));
  EXPECT_FALSE(FolderTakesWrites(Folder() + "absent/"));
}

TEST_F(InstalledEnvironment, ChangedSettingsGoToTheUserFolderAndWinTheNextStart) {
  TEnvironmentComponent first;
  ASSERT_TRUE(LoadProgramEnvironment(first, Program(), User()));
  EXPECT_EQ(first.FEnvironment->FCaptureBj, 12);
  first.FEnvironment->FUndoCount = 9;
  EXPECT_EQ(SaveProgramEnvironment(first, Program(), User()), User() + "Plandeck.env");
  // The shipped file is left exactly as installed; the user's holds the
  // same layout of bytes with the change.
  EXPECT_EQ(FileBytes(Program() + "Plandeck.env"), shippedFile);
  Bytes changed = shipped;
  changed[47] = 9;
  EXPECT_EQ(InflatedFile(User() + "Plandeck.env"), EnvFileContent(changed));

  TEnvironmentComponent second;
  ASSERT_TRUE(LoadProgramEnvironment(second, Program(), User()));
  EXPECT_EQ(second.FEnvironment->FUndoCount, 9);
  EXPECT_EQ(second.FEnvironment->FCaptureBj, 12);

  // Even once the program's folder takes writes again, the user's file is
  // the one read last, so it stays the one written.
  fs::permissions(FDir / "program", fs::perms::owner_all, fs::perm_options::add);
  second.FEnvironment->FUndoCount = 3;
  EXPECT_EQ(SaveProgramEnvironment(second, Program(), User()), User() + "Plandeck.env");
  EXPECT_EQ(FileBytes(Program() + "Plandeck.env"), shippedFile);
  TEnvironmentComponent third;
  ASSERT_TRUE(LoadProgramEnvironment(third, Program(), User()));
  EXPECT_EQ(third.FEnvironment->FUndoCount, 3);
}

TEST_F(InstalledEnvironment, AWritableProgramFolderKeepsTheFileBesideTheProgram) {
  fs::permissions(FDir / "program", fs::perms::owner_all, fs::perm_options::add);
  TEnvironmentComponent env;
  ASSERT_TRUE(LoadProgramEnvironment(env, Program(), User()));
  env.FEnvironment->FUndoCount = 9;
  EXPECT_EQ(SaveProgramEnvironment(env, Program(), User()), Program() + "Plandeck.env");
  EXPECT_FALSE(fs::exists(User()));
  Bytes changed = shipped;
  changed[47] = 9;
  EXPECT_EQ(InflatedFile(Program() + "Plandeck.env"), EnvFileContent(changed));
}

TEST_F(InstalledEnvironment, ADamagedUserFileLeavesTheShippedSettings) {
  fs::create_directories(User());
  std::ofstream(User() + "Plandeck.env") << "not a settings file";
  TEnvironmentComponent env;
  EXPECT_TRUE(LoadProgramEnvironment(env, Program(), User()));
  EXPECT_EQ(env.FEnvironment->FCaptureBj, 12);
  EXPECT_EQ(env.FEnvironment->FUndoCount, 5);
}

TEST_F(Environment, TheUserFolderIsTheProgramsOwnUnderTheConfigurationHome) {
  const QByteArray old = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(FDir.string()));
  EXPECT_EQ(UserEnvironmentFolder(), FDir.string() + "/Verdaplan/Plandeck/");
  qputenv("XDG_CONFIG_HOME", old);
}
