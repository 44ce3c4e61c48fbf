#pragma once
// The program speaks Simplified Chinese, Qt's own dialogs and buttons too.
// No Qt here.

// Installs Qt's Simplified Chinese translations into the running
// application and makes zh_CN the default locale. Call once the application
// object exists and before the first widget is built; the editor and the
// tests both do. False when Qt's translation file was not found (the
// dialogs then stay in Qt's English).
bool InstallChineseTranslations();
