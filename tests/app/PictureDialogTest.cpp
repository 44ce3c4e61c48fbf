// Pictures in the application: the property dialog "定义图片属性" (fields,
// the aspect-ratio coupling of the two sizes, OK with one undo step, saving
// the image), and inserting a picture from a file or the scanner in the main
// window, placed with two clicks.

#include "AppTestSupport.h"

#include "app/Actions.h"
#include "app/MainForm.h"
#include "app/PictureDialog.h"
#include "docview/FiguresDoc.h"
#include "platform/FileDialog.h"
#include "platform/System.h"
#include "tools/ToolList.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QSettings>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>

namespace {

// 2 x 2 pixels: red, lime on the top row; blue, white below.
const std::vector<std::uint8_t> kGif = {
    0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x02, 0x00, 0x02, 0x00, 0xf1, 0x03, 0x00, 0xff, 0x00, 0x00, 0x00,
    0xff, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0xff, 0x21, 0xf9, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2c,
    0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x02, 0x00, 0x00, 0x02, 0x03, 0x44, 0x34, 0x05, 0x00, 0x3b};

void WriteBytes(const std::string& Name, const std::vector<std::uint8_t>& Bytes) {
  std::ofstream out(Name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(Bytes.data()), std::streamsize(Bytes.size()));
}

}  // namespace

class PictureDialogTest : public DialogTest {
protected:
  // A 40 x 20 picture of a 4 x 2 image at (10, 20).
  TTxPicture* AddPicture(bool WithImage = true) {
    auto* p = AddFigure<TTxPicture>();
    p->FYd = {10, 20};
    p->FWidth = 40;
    p->FHeight = 20;
    if (WithImage) {
      auto picture = std::make_unique<TPicture>();
      picture->LoadFromBitmap(TBitmap(4, 2, RGB(0, 128, 0)));
      p->FPicture = std::move(picture);
    }
    p->Modified();
    return p;
  }
};

TEST_F(PictureDialogTest, ShowsItsCaptionAndTheFigureInUserUnits) {
  auto* p = AddPicture();
  TP_Picture dlg(*view, *p);
  TPropertyForm& f = dlg.Form();
  EXPECT_EQ(f.Dialog().windowTitle().toStdString(), "定义图片属性");
  EXPECT_EQ(f.Groups().front(), "原点：");
  EXPECT_EQ(f.Text("X："), "10.000");
  EXPECT_EQ(f.Text("Y："), "20.000");
  EXPECT_EQ(f.Text("长："), "40.000");
  EXPECT_EQ(f.Text("宽："), "20.000");
  EXPECT_EQ(f.Text("标识：").size(), 9u);
  EXPECT_EQ(f.Text("保持原始尺寸"), "0");
  EXPECT_EQ(f.Text("锁定纵横比"), "0");
  EXPECT_EQ(f.Text("图层"), "0");
  EXPECT_GE(f.IndexOf("另存为..."), 0);

  f.Dialog().adjustSize();
  f.Dialog().grab().save("/tmp/picture_dialog.png");
}

TEST_F(PictureDialogTest, WithTheAspectLockedOneSizeFollowsTheOther) {
  auto* p = AddPicture();
  TP_Picture dlg(*view, *p);
  TPropertyForm& f = dlg.Form();
  f.SetText("长：", "100");
  EXPECT_EQ(f.Text("宽："), "20.000") << "unlocked: the other size stays";
  f.SetText("锁定纵横比", "1");
  f.SetText("长：", "100.0");
  EXPECT_EQ(f.Text("宽："), "50.000") << "the image is twice as long as it is wide";
  f.SetText("宽：", "7");
  EXPECT_EQ(f.Text("长："), "14.000");
  f.SetText("宽：", "abc");
  EXPECT_EQ(f.Text("长："), "14.000");
}

TEST_F(PictureDialogTest, OkAppliesInOrderWithOneUndoStep) {
  auto* p = AddPicture();
  const int before = UndoCount();
  TP_Picture dlg(*view, *p);
  dlg.Form().SetText("X：", "5");
  dlg.Form().SetText("锁定纵横比", "1");
  dlg.Form().SetText("长：", "80");
  dlg.Form().SetText("图层", "1");
  dlg.Form().Accept();
  EXPECT_EQ(p->FYd.x, 5);
  EXPECT_EQ(p->FWidth, 80);
  EXPECT_EQ(p->FHeight, 40);
  EXPECT_TRUE(p->FSameScale);
  EXPECT_EQ(doc.FFigures->GetFigureLayerIndex(p), 1);
  ASSERT_EQ(UndoCount(), before + 1);
  EXPECT_EQ(doc.FFigures->UndoItem(UndoCount() - 1)->FOperationVerb, ovEdit);
  EXPECT_TRUE(doc.GetModifiedFlag());
}

TEST_F(PictureDialogTest, ABadNumberEndsTheUpdateSilently) {
  auto* p = AddPicture();
  TP_Picture dlg(*view, *p);
  dlg.Form().SetText("X：", "7");
  dlg.Form().SetText("Y：", "y?");
  dlg.Form().SetText("长：", "90");
  dlg.Form().SetText("保持原始尺寸", "1");
  TScopedMessageAnswer none(mrOk);
  dlg.Form().Accept();
  EXPECT_TRUE(none.Asked().empty());
  EXPECT_EQ(p->FYd.x, 10);
  EXPECT_EQ(p->FWidth, 40);
  EXPECT_TRUE(p->FStretch);
}

TEST_F(PictureDialogTest, SaveAsSaysWhenThereIsNoImageAndOtherwiseWritesTheFile) {
  auto* empty = AddPicture(false);
  {
    TP_Picture dlg(*view, *empty);
    TScopedMessageAnswer answer(mrOk);
    TScopedFileDialogAnswer file({false, "", 1});
    dlg.Form().Press("另存为...");
    ASSERT_EQ(answer.Asked().size(), 1u);
    EXPECT_EQ(answer.Asked()[0].Text, "图片为空！");
    EXPECT_TRUE(file.Asked().empty());
  }
  QTemporaryDir dir;
  auto* p = AddPicture();
  TP_Picture dlg(*view, *p);
  const std::string base = dir.filePath("shot").toStdString();
  {
    TScopedFileDialogAnswer file({true, base, 1});
    dlg.Form().Press("另存为...");
    ASSERT_EQ(file.Asked().size(), 1u);
    EXPECT_TRUE(file.Asked()[0].Save);
    EXPECT_EQ(file.Asked()[0].Filter, kPictureSaveFilter);
  }
  EXPECT_TRUE(std::filesystem::exists(base + ".JPG"));
  {
    TScopedFileDialogAnswer file({true, base, 2});
    dlg.Form().Press("另存为...");
  }
  EXPECT_TRUE(std::filesystem::exists(base + ".BMP"));
}

// ---- inserting pictures in the main window

class PictureInsertTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(tmp.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, tmp.path());
    oldDirSys = Dir_Sys;
    Dir_Sys = tmp.path().toStdString() + "/";
    RegisterDocumentClasses();
    RegisterEnvironmentClasses();
    RegisterTools();
    MyPicture.reset();
    unexpected = std::make_unique<TScopedMessageAnswer>(mrCancel);
    form = std::make_unique<TMainForm>();
    form->resize(1000, 700);
    form->show();
    QApplication::processEvents();
    SysEnvironment->FShowNewDialog = false;
    SysEnvironment->FOrtho = false;
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
    MyPicture.reset();
  }
  void Trigger(const char* Name) {
    QAction* a = form->Action(Name);
    ASSERT_TRUE(a) << Name;
    form->IdleUpdate();
    ASSERT_TRUE(a->isEnabled()) << Name;
    a->trigger();
  }
  void Click(QPoint P) {
    QWidget* port = tx->DrawView().viewport();
    for (auto [type, buttons] : {std::pair{QEvent::MouseButtonPress, Qt::MouseButtons(Qt::LeftButton)},
                                 std::pair{QEvent::MouseButtonRelease, Qt::MouseButtons(Qt::NoButton)}}) {
      QMouseEvent e(type, QPointF(P), port->mapToGlobal(QPointF(P)), Qt::LeftButton, buttons, Qt::NoModifier);
      QApplication::sendEvent(port, &e);
    }
  }
  std::vector<TCustomFigure*> Figures() const {
    std::vector<TCustomFigure*> out;
    TTxCollectFigure* layer = tx->Document()->FFigures->FFigures;
    for (int i = 0; i < layer->Count(); ++i) out.push_back(layer->Figures(i));
    return out;
  }

  QTemporaryDir tmp;
  std::string oldDirSys;
  std::unique_ptr<TScopedMessageAnswer> unexpected;
  std::unique_ptr<TMainForm> form;
  TDef_Tx* tx = nullptr;
};

TEST_F(PictureInsertTest, APictureFromAFileIsPlacedWithTwoClicks) {
  const std::string gif = tmp.filePath("site.GIF").toStdString();
  WriteBytes(gif, kGif);
  {
    TScopedFileDialogAnswer answer({true, gif, 1});
    Trigger("A_Picture");
    ASSERT_EQ(answer.Asked().size(), 1u);
    EXPECT_FALSE(answer.Asked()[0].Save);
    // The five kinds first, every one in the first entry with what Qt adds.
    const std::string filter = answer.Asked()[0].Filter;
    EXPECT_EQ(filter.rfind("All (*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;", 0), 0u) << filter;
    const std::string all = filter.substr(0, filter.find('|', filter.find('|') + 1));
    EXPECT_LT(all.find(";*.png"), all.find(')')) << all;
    EXPECT_NE(all.find("|*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;"), std::string::npos) << all;
    EXPECT_NE(all.find(";*.png", all.find('|')), std::string::npos) << all;
    EXPECT_NE(filter.find("|CompuServe GIF Image (*.gif)|*.gif|JPEG Image File (*.jpg)|*.jpg|JPEG Image File "
                          "(*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|Enhanced Metafiles "
                          "(*.emf)|*.emf|Metafiles (*.wmf)|*.wmf|"),
              std::string::npos)
        << filter;
    EXPECT_NE(filter.find("|PNG图片 (*.png)|*.png"), std::string::npos) << filter;
  }
  ASSERT_TRUE(MyPicture);
  EXPECT_EQ(tx->DrawView().ItemClass(), &TTxPicture::StaticClass());
  Click({100, 300});
  Click({300, 150});
  ASSERT_EQ(Figures().size(), 1u);
  auto* p = dynamic_cast<TTxPicture*>(Figures()[0]);
  ASSERT_TRUE(p);
  ASSERT_TRUE(p->FPicture && p->FPicture->Graphic());
  EXPECT_EQ(p->FPicture->Graphic()->Kind(), TGraphicKind::Gif);
  EXPECT_FALSE(MyPicture) << "the figure took the pending picture";
  TRect r;
  p->CalcPositionRect(r);
  EXPECT_NEAR(r.Right - r.Left, 200, 2);
  EXPECT_NEAR(r.Bottom - r.Top, 150, 2);

  // Upright on the screen: the red row above the blue one.
  tx->DrawView().Deselect(p);
  tx->DrawView().repaint();
  const QImage shot = tx->DrawView().viewport()->grab().toImage();
  shot.save("/tmp/picture_in_view.png");
  EXPECT_EQ(shot.pixel(150, 190) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(shot.pixel(150, 260) & 0xFFFFFF, 0x0000FFu);
}

TEST_F(PictureInsertTest, APngIsPlacedAsABitmapAndTheUserIsToldOnce) {
  const std::string png = tmp.filePath("crane.png").toStdString();
  QImage image(4, 2, QImage::Format_RGB32);
  image.fill(qRgb(0, 128, 0));
  ASSERT_TRUE(image.save(QString::fromStdString(png), "png"));
  for (int round = 0; round < 2; ++round) {
    TScopedFileDialogAnswer answer({true, png, 1});
    TScopedMessageAnswer box(mrOk);
    Trigger("A_Picture");
    // Told the first time only.
    ASSERT_EQ(box.Asked().size(), round == 0 ? 1u : 0u);
    if (round == 0) {
      EXPECT_NE(box.Asked()[0].Text.find("位图"), std::string::npos) << box.Asked()[0].Text;
    }
    ASSERT_TRUE(MyPicture);
    EXPECT_EQ(tx->DrawView().ItemClass(), &TTxPicture::StaticClass());
    Click({100, 300});
    Click({300, 150});
  }
  ASSERT_EQ(Figures().size(), 2u);
  for (TCustomFigure* f : Figures()) {
    auto* p = dynamic_cast<TTxPicture*>(f);
    ASSERT_TRUE(p && p->FPicture && p->FPicture->Graphic());
    EXPECT_EQ(p->FPicture->Graphic()->Kind(), TGraphicKind::Bitmap);
    EXPECT_EQ(p->FPicture->Graphic()->Width(), 4);
  }
}

TEST_F(PictureInsertTest, AFileThatCannotBeLoadedIsNamedAndNoToolIsChosen) {
  const std::string bad = tmp.filePath("broken.jpg").toStdString();
  WriteBytes(bad, {1, 2, 3});
  TScopedFileDialogAnswer answer({true, bad, 1});
  TScopedMessageAnswer box(mrOk);
  Trigger("A_Picture");
  ASSERT_EQ(box.Asked().size(), 1u);
  EXPECT_NE(box.Asked()[0].Text.find("broken.jpg"), std::string::npos) << box.Asked()[0].Text;
  EXPECT_FALSE(MyPicture);
  EXPECT_NE(tx->DrawView().ItemClass(), &TTxPicture::StaticClass());
}

TEST_F(PictureInsertTest, EmbeddedObjectsCannotBeInserted) {
  form->IdleUpdate();
  ASSERT_TRUE(form->Action("A_Ole"));
  EXPECT_FALSE(form->Action("A_Ole")->isEnabled());
  EXPECT_TRUE(form->Action("A_Picture")->isEnabled());
}
