// The main window's part of CAD input: the typed-point entry lives in the
// status bar and places points in the active drawing; disabled tool-bar
// buttons are drawn clearly greyed.

#include "AppTestSupport.h"

#include "app/Actions.h"
#include "app/MainForm.h"
#include "docview/FiguresDoc.h"
#include "figures/LineFigures.h"
#include "platform/System.h"
#include "tools/ToolList.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>

namespace {

class CadInputAppTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(tmp.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, tmp.path());
    oldDirSys = Dir_Sys;
    Dir_Sys = tmp.path().toStdString() + "/";
    RegisterDocumentClasses();
    RegisterEnvironmentClasses();
    RegisterTools();
    unexpected = std::make_unique<TScopedMessageAnswer>(mrCancel);
    form = std::make_unique<TMainForm>();
    form->resize(1000, 700);
    form->show();
    QApplication::processEvents();
    SysEnvironment->FShowNewDialog = false;
    SysEnvironment->FOrtho = false;
    SysEnvironment->FPointLxSet = 0;
    form->Action("A_new")->trigger();
    tx = form->ActiveDrawing();
    ASSERT_TRUE(tx && tx->Document());
  }
  void TearDown() override {
    {
      TScopedMessageAnswer discard(mrNo);
      form.reset();
    }
    for (const TMessageRequest& r : unexpected->Asked()) ADD_FAILURE() << "unexpected question: " << r.Text;
    unexpected.reset();
    Dir_Sys = oldDirSys;
  }
  void Key(QWidget* To, int K, const QString& Text = {}) {
    QKeyEvent press(QEvent::KeyPress, K, Qt::NoModifier, Text);
    QApplication::sendEvent(To, &press);
  }
  // Typed on the view: the first character opens the entry, the rest goes there.
  void TypePoint(const QString& Text) {
    TPointEntryBox& entry = form->PointEntry();
    for (QChar c : Text)
      Key(entry.Active() ? static_cast<QWidget*>(&entry.Edit()) : tx->DrawView().viewport(), Qt::Key_unknown, c);
    Key(&entry.Edit(), Qt::Key_Return);
  }

  QTemporaryDir tmp;
  std::string oldDirSys;
  std::unique_ptr<TScopedMessageAnswer> unexpected;
  std::unique_ptr<TMainForm> form;
  TDef_Tx* tx = nullptr;
};

TEST_F(CadInputAppTest, TypedPointsInTheStatusBarDrawALineInUserUnits) {
  tx->Document()->FScale = 10;
  form->Action("A_ArrowLine")->trigger();
  ASSERT_EQ(tx->DrawView().ItemClass(), &TTxLine::StaticClass());
  TPointEntryBox& entry = form->PointEntry();
  Key(tx->DrawView().viewport(), Qt::Key_1, "1");
  ASSERT_TRUE(entry.Active());
  // Over the hint panel of the status bar, inside it.
  EXPECT_EQ(entry.parentWidget(), &form->StatusBar());
  EXPECT_TRUE(form->StatusBar().rect().contains(entry.geometry())) << entry.geometry().width();
  EXPECT_LE(entry.geometry().right(), form->StatusBar().PanelWidth(0));
  Key(&entry.Edit(), Qt::Key_Escape);
  EXPECT_FALSE(entry.Active());
  TypePoint("100,200");
  TypePoint("@300<0");
  auto* line = dynamic_cast<TTxLine*>(tx->Document()->FFigures->FFigures->Figures(0));
  ASSERT_TRUE(line);
  Tpt a, b;
  line->TransUserPt(line->FQd, a);
  line->TransUserPt(line->FZd, b);
  EXPECT_NEAR(a.x, 100, 1e-9);
  EXPECT_NEAR(a.y, 200, 1e-9);
  EXPECT_NEAR(b.x, 400, 1e-9);
  EXPECT_NEAR(b.y, 200, 1e-9);
  EXPECT_FALSE(entry.Active());
}

TEST_F(CadInputAppTest, DisabledToolBarIconsAreGreyAndFaint) {
  form->IdleUpdate();
  QAction* ole = form->Action("A_Ole");
  ASSERT_TRUE(ole && !ole->isEnabled());
  QAction* line = form->Action("A_ArrowLine");
  ASSERT_TRUE(line);
  const QImage on = line->icon().pixmap(24, 24, QIcon::Normal).toImage().convertToFormat(QImage::Format_ARGB32);
  const QImage off = line->icon().pixmap(24, 24, QIcon::Disabled).toImage().convertToFormat(QImage::Format_ARGB32);
  int inkOn = 0, inkOff = 0;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 24; ++x) {
      const QRgb c = off.pixel(x, y);
      // Every pixel of the disabled picture is a light, faint grey.
      EXPECT_EQ(qRed(c), qGreen(c));
      EXPECT_EQ(qGreen(c), qBlue(c));
      EXPECT_LE(qAlpha(c), 102);
      if (qAlpha(c) >= 20) {  // fainter pixels lose their colour to premultiplied rounding
        EXPECT_GE(qRed(c), 150);
      }
      inkOn += qAlpha(on.pixel(x, y)) > 128 && qGray(on.pixel(x, y)) < 100;
      inkOff += qAlpha(c) > 128;
    }
  EXPECT_GT(inkOn, 20);  // the enabled picture has dark ink
  EXPECT_EQ(inkOff, 0);
}

}  // namespace
