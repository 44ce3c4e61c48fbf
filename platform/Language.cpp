#include "platform/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool InstallChineseTranslations() {
  const QLocale chinese(QLocale::Chinese, QLocale::China);
  // Dialogs choose their catalog, date and size formats from the default locale.
  QLocale::setDefault(chinese);
  auto* app = QCoreApplication::instance();
  if (!app) return false;
  // Once per application: a second translator would only shadow the first.
  if (app->findChild<QTranslator*>("QtChinese")) return true;
  auto* translator = new QTranslator(app);
  translator->setObjectName("QtChinese");
  // qtbase holds what the widgets say: the file, colour and font dialogs and
  // the message-box buttons.
  if (!translator->load(chinese, "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}
