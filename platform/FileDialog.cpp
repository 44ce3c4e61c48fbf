#include "platform/FileDialog.h"

#include "foundation/StreamError.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QInputDialog>
#include <QStringList>
#include <QTreeView>

#include <algorithm>

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

QStringList QStringListOf(const std::vector<std::string>& list) {
  QStringList out;
  for (const std::string& s : list) out << Q(s);
  return out;
}

// One entry of Qt's dialog: the caption with its patterns in parentheses at
// the end, space-separated, as Qt reads them. A caption that already ends in
// its patterns ("工程文件(*.GCK)") keeps them there rather than showing
// them twice.
QString QtFilter(QString caption, QString patterns) {
  const QString listed = "(" + patterns + ")";
  patterns.replace(u';', u' ');
  if (caption.endsWith(listed, Qt::CaseInsensitive)) {
    caption.chop(listed.size());
    return caption + "(" + patterns + ")";
  }
  return caption + " (" + patterns + ")";
}

// The details Qt's dialog lists beside the names, in Chinese: Qt formats
// sizes and dates in the system's locale and leaves "Folder" untranslated.
class TFileDetails : public QIdentityProxyModel {
public:
  using QIdentityProxyModel::QIdentityProxyModel;
  QVariant data(const QModelIndex& Index, int Role) const override {
    auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
    if (Role != Qt::DisplayRole || !files || Index.column() < 1 || Index.column() > 3)
      return QIdentityProxyModel::data(Index, Role);
    const QFileInfo info = files->fileInfo(mapToSource(Index));
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    switch (Index.column()) {
      case 1:
        if (!info.isFile()) return QString();
        if (info.size() < 1024) return QString::fromUtf8("%1 字节").arg(info.size());
        return chinese.formattedDataSize(info.size(), 1, QLocale::DataSizeTraditionalFormat);
      case 2:
        if (info.isDir()) return QString::fromUtf8("文件夹");
        return info.suffix().isEmpty() ? QString::fromUtf8("文件") : info.suffix().toUpper() + QString::fromUtf8(" 文件");
      default: return chinese.toString(info.lastModified(), "yyyy/M/d HH:mm");
    }
  }
};

// Qt's dialog lists sizes and dates beside the names; without room for them
// they are cut to "...".
void MakeRoomForDetails(QFileDialog& dialog) {
  dialog.setProxyModel(new TFileDetails(&dialog));
  dialog.setViewMode(QFileDialog::Detail);
  dialog.resize(std::max(dialog.width(), 820), std::max(dialog.height(), 520));
  if (auto* tree = dialog.findChild<QTreeView*>("treeView")) {
    QHeaderView* header = tree->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < header->count(); ++column)
      header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
  }
}
}  // namespace

std::vector<std::string> FileDialogFilters(const std::string& Filter) {
  const QStringList parts = Q(Filter).split(u'|');
  std::vector<std::string> out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) out.push_back(QtFilter(parts[i], parts[i + 1]).toStdString());
  return out;
}

std::string StartFolderFor(const std::string& FileName, const std::string& Fallback) {
  if (!FileName.empty()) {
    const QFileInfo file(Q(FileName));
    // A bare name ("NONAME1") has no folder of its own.
    if (Q(FileName).contains(u'/') && file.absoluteDir().exists()) return file.absolutePath().toStdString();
  }
  return Fallback;
}

namespace {
// The reason in the user's words, from what the reading and writing layers
// say (their texts and the system's error texts are English).
const char* Reason(const std::string& Technical) {
  struct TReason {
    const char* Seen;
    const char* Said;
  };
  static constexpr TReason kReasons[] = {
      {"No such file or directory", "文件或文件夹不存在"},
      {"Permission denied", "没有访问权限"},
      {"Read-only file system", "磁盘是只读的"},
      {"No space left on device", "磁盘空间不足"},
      {"Is a directory", "这是一个文件夹"},
      {"Invalid stream format", "文件已损坏，或不是本程序的文件"},
      {"Invalid property value", "文件已损坏，或不是本程序的文件"},
      {"unexpected end of compressed data", "文件不完整"},
      {"header check", "文件已损坏，或不是本程序的文件"},  // zlib on what it did not pack
      {"invalid", "文件已损坏，或不是本程序的文件"},
      {"not found", "文件含有本程序不认识的内容"},
      {"larger than", "文件过大"},
      {"not valid", "文件已损坏，或格式不对"},
  };
  for (const TReason& r : kReasons)
    if (Technical.find(r.Seen) != std::string::npos) return r.Said;
  return nullptr;
}
}  // namespace

std::string FileErrorMessage(TFileAction Action, const std::string& FileName, const std::string& Message,
                             const std::string& Detail) {
  const char* what = "不能打开文件";
  switch (Action) {
    case TFileAction::Open: break;
    case TFileAction::OpenPart: what = "不能完整读取文件"; break;
    case TFileAction::Save: what = "不能保存文件"; break;
    case TFileAction::Import: what = "不能导入文件"; break;
    case TFileAction::Export: what = "不能导出到文件"; break;
  }
  std::string text = std::string(what) + " " + FileName;
  const bool forUser = std::any_of(Message.begin(), Message.end(), [](char c) { return (c & 0x80) != 0; });
  std::string technical = forUser ? Detail : Message;
  if (!forUser && !Detail.empty()) technical += (technical.empty() ? "" : " (") + Detail + (technical.empty() ? "" : ")");
  if (forUser) {
    text += "：" + Message;
  } else if (const char* reason = Reason(Message + " " + Detail)) {
    text += std::string("：") + reason + "。";
  } else {
    text += "。";
  }
  if (!technical.empty()) text += "\n" + technical;
  return text;
}

std::string FileErrorMessage(TFileAction Action, const std::string& FileName, const std::exception& Error) {
  const auto* stream = dynamic_cast<const EStreamError*>(&Error);
  return FileErrorMessage(Action, FileName, Error.what(), stream ? stream->Detail() : std::string());
}

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
  const QStringList filters = QStringListOf(FileDialogFilters(Request.Filter));
  dialog.setNameFilters(filters);
  if (Request.FilterIndex >= 1 && Request.FilterIndex <= filters.size())
    dialog.selectNameFilter(filters[Request.FilterIndex - 1]);
  if (!Request.InitialDir.empty() && QDir(Q(Request.InitialDir)).exists())
    dialog.setDirectory(Q(Request.InitialDir));
  if (!Request.FileName.empty()) dialog.selectFile(Q(Request.FileName));
  MakeRoomForDetails(dialog);
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
