#pragma once
// One Qt application for a whole test run, offscreen unless told otherwise,
// with the classes the suite reads back registered once it exists.

#include <gtest/gtest.h>

#include <functional>
#include <memory>

class QGuiApplication;
class QTemporaryDir;

class TQtTestEnvironment : public ::testing::Environment {
public:
  enum class TKind { Gui, Widgets };
  TQtTestEnvironment(TKind Kind, std::function<void()> AfterStart = {});
  ~TQtTestEnvironment() override;
  void SetUp() override;
  void TearDown() override;

private:
  TKind FKind;
  std::function<void()> FAfterStart;
  int FArgc = 1;
  char FName[16] = "plandeck_tests";
  char* FArgv[2] = {FName, nullptr};
  std::unique_ptr<QGuiApplication> FApp;
  std::unique_ptr<QTemporaryDir> FConfigDir;  // XDG_CONFIG_HOME of the run
};
