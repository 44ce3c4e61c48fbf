#include "platform/FileDialog.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QStringList>

namespace {
TFileDialogHook& FileHook() {
  static TFileDialogHook hook;
  return hook;
}
TInputHook& InputHookSlot() {
  static TInputHook hook;
  return hook;
}

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// "描述|*.GCK|描述|*.DXF" into Qt's "描述 (*.GCK)" entries. Qt matches the
// patterns without regard to case on its own dialog.
QStringList QtFilters(const std::string& filter) {
  const QStringList parts = Q(filter).split(u'|');
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(u';', u' ');
    out << parts[i] + " (" + patterns + ")";
  }
  return out;
}
}  // namespace

TFileDialogHook SetFileDialogHook(TFileDialogHook Hook) {
  TFileDialogHook previous = std::move(FileHook());
  FileHook() = std::move(Hook);
  return previous;
}

TFileDialogAnswer RunFileDialog(const TFileDialogRequest& Request) {
  if (FileHook()) return FileHook()(Request);
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return {};

  QFileDialog dialog(QApplication::activeWindow(), Q(Request.Caption));
  dialog.setAcceptMode(Request.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(Request.Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  // The program asks its own questions (replace, extension) after the dialog.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  const QStringList filters = QtFilters(Request.Filter);
  dialog.setNameFilters(filters);
  if (Request.FilterIndex >= 1 && Request.FilterIndex <= filters.size())
    dialog.selectNameFilter(filters[Request.FilterIndex - 1]);
  if (!Request.InitialDir.empty() && QDir(Q(Request.InitialDir)).exists())
    dialog.setDirectory(Q(Request.InitialDir));
  if (!Request.FileName.empty()) dialog.selectFile(Q(Request.FileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  TFileDialogAnswer answer;
  answer.Ok = true;
  answer.FileName = dialog.selectedFiles().front().toStdString();
  answer.FilterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
  if (answer.FilterIndex < 1) answer.FilterIndex = 1;
  return answer;
}

TInputHook SetInputHook(TInputHook Hook) {
  TInputHook previous = std::move(InputHookSlot());
  InputHookSlot() = std::move(Hook);
  return previous;
}

bool InputQuery(const TInputRequest& Request, std::string& Text) {
  if (InputHookSlot()) return InputHookSlot()(Request, Text);
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return false;
  bool ok = false;
  const QString typed = QInputDialog::getText(QApplication::activeWindow(), Q(Request.Caption),
                                              Q(Request.Prompt), QLineEdit::Normal, Q(Request.Value), &ok);
  if (ok) Text = typed.toStdString();
  return ok;
}

TScopedFileDialogAnswer::TScopedFileDialogAnswer(TFileDialogAnswer Answer) {
  previous_ = SetFileDialogHook([this, Answer](const TFileDialogRequest& request) {
    asked_.push_back(request);
    return Answer;
  });
}

TScopedFileDialogAnswer::~TScopedFileDialogAnswer() { SetFileDialogHook(std::move(previous_)); }
