// One widget application for the whole run: fonts, printers and message
// boxes need it. Runs offscreen (the test driver sets QT_QPA_PLATFORM).

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <memory>

#include "platform/System.h"

namespace {
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
      const QString dir = QDir::tempPath() + "/plandeck-runtime";
      QDir().mkpath(dir);
      QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
      qputenv("XDG_RUNTIME_DIR", dir.toLocal8Bit());
    }
    app_ = std::make_unique<QApplication>(argc_, argv_);
    InitScreenLogPixels();
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "platform_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);
}  // namespace
