// Paste picture in the drawing view: the clipboard's pixels become one
// picture figure centred on the last click, selected, undone in one step,
// and shown the right way up.

#include "DocViewTestSupport.h"

#include "docview/DrawView.h"
#include "figures/Pictures.h"
#include "platform/Clipboard.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <gtest/gtest.h>

namespace {

class PastePicture : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterFigureClasses();
    view.SetDocument(&doc);
    ShowView(view, 300, 200);
  }

  TTestDrawingDoc doc{300, 200};
  TDrawView view;
};

// 20 x 10 pixels: red, with three blue rows on top.
TBitmap Pixels() {
  TBitmap b(20, 10, RGB(255, 0, 0));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 20; ++x) b.SetPixel(x, y, RGB(0, 0, 255));
  return b;
}

}  // namespace

TEST_F(PastePicture, MakesOnePictureCentredOnTheClickWithOneUndoStep) {
  SetClipboardPicture(Pixels());
  view.FMouse_Click = TPoint{100, 80};
  const int undo = doc.GetUndoCount();
  view.OnEditPastePicture();
  const std::vector<TCustomFigure*> figures = doc.Figures();
  ASSERT_EQ(figures.size(), 1u);
  auto* p = dynamic_cast<TTxPicture*>(figures[0]);
  ASSERT_TRUE(p);
  ASSERT_TRUE(p->FPicture && p->FPicture->Graphic());
  EXPECT_EQ(p->FPicture->Graphic()->Kind(), TGraphicKind::Bitmap);
  EXPECT_EQ(p->FPicture->Width(), 20);
  EXPECT_EQ(p->FPicture->Height(), 10);
  TRect r;
  p->CalcPositionRect(r);
  EXPECT_EQ(r.Left, 90);
  EXPECT_EQ(r.Right, 110);
  EXPECT_EQ(r.Top, 75);
  EXPECT_EQ(r.Bottom, 85);
  ASSERT_EQ(view.Selection().Count(), 1);
  EXPECT_EQ(view.SelectedItem(0), p);
  EXPECT_EQ(doc.GetUndoCount(), undo + 1);

  // The blue rows are on top on the screen too (sampled between the handles).
  TPoint top{94, 83}, bottom{94, 77};
  view.PointDocToClient(top);
  view.PointDocToClient(bottom);
  const QImage shot = view.viewport()->grab().toImage();
  EXPECT_EQ(shot.pixel(top.x, top.y) & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(shot.pixel(bottom.x, bottom.y) & 0xFFFFFF, 0xFF0000u);

  view.Undo();
  EXPECT_TRUE(doc.Figures().empty());
}

TEST_F(PastePicture, WithoutAPictureOnTheClipboardNothingHappens) {
  QApplication::clipboard()->setMimeData(new QMimeData);
  view.OnEditPastePicture();
  EXPECT_TRUE(doc.Figures().empty());
  EXPECT_EQ(doc.GetUndoCount(), 0);
}
