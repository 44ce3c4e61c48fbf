#include "QtTestEnvironment.h"

#include "platform/Language.h"
#include "platform/System.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

TQtTestEnvironment::TQtTestEnvironment(TKind Kind, std::function<void()> AfterStart)
    : FKind(Kind), FAfterStart(std::move(AfterStart)) {}

TQtTestEnvironment::~TQtTestEnvironment() = default;

void TQtTestEnvironment::SetUp() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    // Qt warns on every start without a private runtime folder.
    const QString dir = QDir::tempPath() + "/plandeck-runtime";
    QDir().mkpath(dir);
    QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", dir.toLocal8Bit());
  }
  // Settings the program keeps per user go to a scratch folder, never into
  // the real user's configuration.
  FConfigDir = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/plandeck-test-config-XXXXXX");
  qputenv("XDG_CONFIG_HOME", FConfigDir->path().toLocal8Bit());
  if (FKind == TKind::Widgets)
    FApp = std::make_unique<QApplication>(FArgc, FArgv);
  else
    FApp = std::make_unique<QGuiApplication>(FArgc, FArgv);
  // The tests see the dialogs in the language the user sees them in.
  InstallChineseTranslations();
  InitScreenLogPixels();
  if (FAfterStart) FAfterStart();
}

void TQtTestEnvironment::TearDown() {
  FApp.reset();
  FConfigDir.reset();
}
