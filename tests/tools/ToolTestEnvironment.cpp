// One widget application for the whole run, the test figures bound to the
// tools, and the tool list installed as the program does at start-up.

#include "ToolTestSupport.h"

#include "platform/System.h"
#include "tools/ToolList.h"

#include <QApplication>
#include <QDir>

namespace {
class ToolEnvironment : public ::testing::Environment {
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
    RegisterFigureClasses();
    RegisterToolTestClasses();
    RegisterTools();
  }
  void TearDown() override { app_.reset(); }

private:
  int argc_ = 1;
  char name_[16] = "tools_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new ToolEnvironment);
}  // namespace
