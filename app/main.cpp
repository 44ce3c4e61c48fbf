// The program: a batch command when the arguments ask for one, otherwise
// the editor with its main window, opening the one drawing named.

#include "app/CommandLine.h"
#include "app/Commands.h"
#include "app/MainForm.h"
#include "app/ToolWindows.h"
#include "platform/System.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char** argv) {
  if (const int code = RunCommandLine(argc, argv); code >= 0) return code;

  QApplication app(argc, argv);
  InitPlandeckApplication();
  InitScreenLogPixels();
  RegisterPlandeckClasses();
  RegisterPropertyDialogs();

  auto splash = std::make_unique<TSplashWindow>();
  splash->show();
  QApplication::processEvents();

  TMainForm form;
  MainForm = &form;
  // Without a window manager a maximised window keeps its size; start at the full screen.
  if (QScreen* screen = QGuiApplication::primaryScreen()) form.setGeometry(screen->availableGeometry());
  form.showMaximized();
  form.IndexWindow().show();
  form.ArialWindow().show();
  // Qt has taken its own options out of the arguments by now.
  const QStringList args = QApplication::arguments();
  if (args.size() == 2) form.OpenFile(args[1].toStdString());
  splash.reset();
  return app.exec();
}
