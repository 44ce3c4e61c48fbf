// What the user reads in the program's dialogs: Qt's own buttons and file
// dialog in Chinese, each file pattern listed once, the folder a dialog
// starts in, and what a failed read or write says.

#include "foundation/Persistent.h"
#include "foundation/StreamError.h"
#include "foundation/ZLibContainer.h"
#include "platform/FileDialog.h"
#include "platform/System.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs Inspect on the first modal dialog once it is up, then Inspect
// closes it; the caller's exec() returns afterwards.
void WhenModal(std::function<void(QWidget&)> Inspect) {
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, Inspect] {
    if (QWidget* w = QApplication::activeModalWidget()) {
      timer->stop();
      timer->deleteLater();
      Inspect(*w);
    }
  });
  timer->start(10);
}

// Words a user would read as English ("Cancel", "Look in", "Folder",
// "Dec"), leaving out accelerators "(&C)", file patterns and upper-case
// names such as the extension in "GCK 文件" or "KB".
bool HasEnglish(QString Text) {
  Text.remove(QRegularExpression("\\(&.\\)|&|\\*\\.\\w+"));
  return Text.contains(QRegularExpression("[a-z]{2,}"));
}

std::vector<QString> ButtonTexts(QWidget& W) {
  std::vector<QString> out;
  for (QAbstractButton* b : W.findChildren<QAbstractButton*>())
    if (!b->text().isEmpty()) out.push_back(b->text());
  return out;
}

}  // namespace

TEST(DialogTextTest, MessageBoxButtonsReadInChinese) {
  std::vector<QString> okCancel, yesNo;
  WhenModal([&](QWidget& w) {
    okCancel = ButtonTexts(w);
    qobject_cast<QMessageBox*>(&w)->button(QMessageBox::Cancel)->click();
  });
  EXPECT_EQ(MessageDlg("将修改部分保存吗?", mtConfirmation, mbOK | mbCancel), mrCancel);
  EXPECT_NE(std::find(okCancel.begin(), okCancel.end(), QString::fromUtf8("确定")), okCancel.end());
  EXPECT_NE(std::find(okCancel.begin(), okCancel.end(), QString::fromUtf8("取消")), okCancel.end());

  WhenModal([&](QWidget& w) {
    yesNo = ButtonTexts(w);
    qobject_cast<QMessageBox*>(&w)->button(QMessageBox::No)->click();
  });
  EXPECT_EQ(MessageDlg("是否替换原来的a.GCK？", mtConfirmation, mbYes | mbNo), mrNo);
  ASSERT_EQ(yesNo.size(), 2u);
  for (const QString& t : yesNo) EXPECT_FALSE(HasEnglish(t)) << t.toStdString();
}

TEST(DialogTextTest, FileDialogSpeaksChineseAndListsEachPatternOnce) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  {
    QFile site(dir.filePath("site.GCK"));
    ASSERT_TRUE(site.open(QIODevice::WriteOnly));
    site.write("12345");
  }
  ASSERT_TRUE(QDir(dir.path()).mkdir("old"));
  TFileDialogRequest request;
  request.Save = true;
  request.Caption = "另存为";
  request.Filter = "工程文件(*.GCK)|*.GCK|图形交换文件(*.DXF)|*.DXF|所有文件(*.*)|*.*";
  request.InitialDir = dir.path().toStdString();
  request.FileName = "site";
  QStringList filters, english, headers, details;
  QString folder;
  WhenModal([&](QWidget& w) {
    auto& dialog = *qobject_cast<QFileDialog*>(&w);
    filters = dialog.nameFilters();
    folder = dialog.directory().absolutePath();
    for (QLabel* l : dialog.findChildren<QLabel*>())
      if (l->isVisible() && HasEnglish(l->text())) english << l->text();
    for (const QString& t : ButtonTexts(dialog))
      if (HasEnglish(t)) english << t;
    if (auto* tree = dialog.findChild<QTreeView*>("treeView")) {
      QAbstractItemModel& model = *tree->model();
      for (int c = 0; c < model.columnCount(); ++c) headers << model.headerData(c, Qt::Horizontal).toString();
      // The folder is read in the background: wait for its two entries.
      for (int i = 0; i < 200 && model.rowCount(tree->rootIndex()) < 2; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
      }
      for (int r = 0; r < model.rowCount(tree->rootIndex()); ++r)
        for (int c = 1; c < model.columnCount(); ++c) details << model.index(r, c, tree->rootIndex()).data().toString();
    }
    dialog.reject();
  });
  EXPECT_FALSE(RunFileDialog(request).Ok);
  EXPECT_EQ(filters, QStringList({QString::fromUtf8("工程文件(*.GCK)"), QString::fromUtf8("图形交换文件(*.DXF)"),
                                  QString::fromUtf8("所有文件(*.*)")}));
  EXPECT_EQ(folder, QDir(dir.path()).absolutePath());
  EXPECT_TRUE(english.isEmpty()) << english.join(" | ").toStdString();
  ASSERT_EQ(headers.size(), 4);
  for (const QString& h : headers) EXPECT_FALSE(HasEnglish(h)) << h.toStdString();
  // Sizes, types and dates of the folder and the file.
  ASSERT_EQ(details.size(), 6) << details.join(" | ").toStdString();
  EXPECT_TRUE(details.contains(QString::fromUtf8("5 字节"))) << details.join(" | ").toStdString();
  EXPECT_TRUE(details.contains(QString::fromUtf8("文件夹"))) << details.join(" | ").toStdString();
  for (const QString& d : details) EXPECT_FALSE(HasEnglish(d)) << d.toStdString();
}

TEST(DialogTextTest, FilterEntriesNameEachPatternOnceInTheFormQtReads) {
  const std::vector<std::string> entries = FileDialogFilters(
      "工程文件(*.GCK)|*.GCK|Bitmaps (*.bmp)|*.bmp|All (*.gif;*.jpg)|*.gif;*.jpg|图块库|*.tkk;*.TKK");
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0], "工程文件(*.GCK)");
  EXPECT_EQ(entries[1], "Bitmaps (*.bmp)");
  // Qt splits the patterns at spaces only.
  EXPECT_EQ(entries[2], "All (*.gif *.jpg)");
  EXPECT_EQ(entries[3], "图块库 (*.tkk *.TKK)");
}

TEST(DialogTextTest, DialogsStartInTheFilesOwnFolderElseTheFallback) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string folder = QDir(dir.path()).absolutePath().toStdString();
  EXPECT_EQ(StartFolderFor(folder + "/plan.GCK", "/fallback"), folder) << "the file need not exist yet";
  EXPECT_EQ(StartFolderFor(folder + "/gone/plan.GCK", "/fallback"), "/fallback");
  EXPECT_EQ(StartFolderFor("NONAME1", "/fallback"), "/fallback");
  EXPECT_EQ(StartFolderFor("", "/fallback"), "/fallback");
}

TEST(DialogTextTest, FailedReadsAndWritesSayInChineseWhatWentWrongWithWhichFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  auto firstLine = [](const std::string& Text) { return Text.substr(0, Text.find('\n')); };
  // Writing into a folder that is not there.
  const std::string missing = dir.filePath("gone/plan.GCK").toStdString();
  TComponent component;
  try {
    WriteZLibComponentResFile(missing, component);
    FAIL() << "written into a missing folder";
  } catch (const std::exception& e) {
    const std::string text = FileErrorMessage(TFileAction::Save, missing, e);
    EXPECT_EQ(firstLine(text), "不能保存文件 " + missing + "：文件或文件夹不存在。");
    EXPECT_EQ(text.substr(text.find('\n') + 1), e.what()) << "the technical text stays, on its own line";
  }

  // Reading a file that is no drawing.
  const std::string garbage = dir.filePath("note.GCK").toStdString();
  {
    QFile f(QString::fromStdString(garbage));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("just a note, not a drawing");
  }
  try {
    ReadZLibComponentResFile(garbage, component);
    FAIL() << "a note read as a drawing";
  } catch (const std::exception& e) {
    const std::string text = FileErrorMessage(TFileAction::Open, garbage, e);
    EXPECT_EQ(firstLine(text), "不能打开文件 " + garbage + "：文件已损坏，或不是本程序的文件。");
    EXPECT_NE(text.find('\n'), std::string::npos) << "the library's own words below: " << text;
  }

  // A reason nobody foresaw still says what failed, with the detail below.
  EXPECT_EQ(FileErrorMessage(TFileAction::Export, "/tmp/a.EMF", "Metafile writer refused"),
            "不能导出到文件 /tmp/a.EMF。\nMetafile writer refused");
  // A reason already written for the user is the reason; only its detail goes below.
  const EStreamError gbk("图形中的“\U0001F600”没有GBK编码，不能保存在图形文件中。", "U+1F600 at byte 0");
  EXPECT_EQ(FileErrorMessage(TFileAction::Save, "/tmp/a.GCK", gbk),
            "不能保存文件 /tmp/a.GCK：图形中的“\U0001F600”没有GBK编码，不能保存在图形文件中。\nU+1F600 at byte 0");
}
