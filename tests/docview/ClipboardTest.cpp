// Copy, cut, paste, paste to a layer and duplicate in place through the
// clipboard's private format.

#include "DocViewTestSupport.h"

#include "figures/Blocks.h"
#include "docview/Environment.h"
#include "docview/RectHelpers.h"
#include "platform/Clipboard.h"
#include "platform/System.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <gtest/gtest.h>

namespace {

TRect UnionOf(const std::vector<TTestBox*>& Items) {
  TRect r;
  for (std::size_t i = 0; i < Items.size(); ++i) {
    TRect q;
    Items[i]->CalcPositionRect(q);
    ExpandRect(q, 0);
    r = i == 0 ? q : UnionRect(r, q);
  }
  return r;
}

// The values Figure would save after a move by (Dx, Dy) logical units.
std::vector<std::uint8_t> MovedValues(const TTestBox& Figure, double Dx, double Dy) {
  auto copy = Box(Figure.FQd, Figure.FZd);
  copy->Assign(Figure);
  copy->SetDocument(nullptr);
  copy->FParent = nullptr;
  copy->MoveByOffset(Dx, Dy);
  return SavedValues(*copy);
}

class ViewClipboard : public ::testing::Test {
protected:
  void SetUp() override {
    QApplication::clipboard()->clear();
    old = SysEnvironment;
    SysEnvironment = &env;
    a = source.AddBox({10, 10}, {40, 30}, RGB(255, 0, 0));
    a->FPen.Width = 2;
    b = source.AddBox({60, 50}, {90, 80}, RGB(0, 0, 255));
    b->FCaption = "乙";
    from.SetDocument(&source);
    to.SetDocument(&target);
    ShowView(from, 300, 200);
    ShowView(to, 300, 200);
  }
  void TearDown() override { SysEnvironment = old; }

  TEnvironment env;
  TEnvironment* old = nullptr;
  TTestDrawingDoc source{300, 200}, target{300, 200};
  TTestView from, to;
  TTestBox *a = nullptr, *b = nullptr;
};

}  // namespace

TEST_F(ViewClipboard, CopyThenPasteInAnotherDocumentGivesTheSameFiguresAtTheMouseUpPoint) {
  from.Select(a, false);
  from.Select(b, true);
  from.OnEditCopy();
  ASSERT_TRUE(CheckClipBoard());
  // The figures travel in a block, the figure other drawings read back.
  const std::optional<std::vector<std::uint8_t>> image = GetClipboardComponent();
  ASSERT_TRUE(image);
  const std::string_view text(reinterpret_cast<const char*>(image->data()), image->size());
  EXPECT_NE(text.find("TTxBlock"), std::string_view::npos);
  to.MouseUp(mbLeft, 0, {200, 60});  // logical (200, 140)
  to.OnEditPaste();

  const std::vector<TCustomFigure*> pasted = target.Figures();
  ASSERT_EQ(pasted.size(), 2u);
  // The block is placed by its corner at the point, then moved back by half
  // its box (which the block grows by 2 on every side).
  const TRect r = UnionOf({a, b});
  const double dx = 200 - r.Left - (r.Right - r.Left + 4) / 2.0;
  const double dy = 140 - r.Top - (r.Bottom - r.Top + 4) / 2.0;
  for (TTestBox* original : {a, b}) {
    const auto want = MovedValues(*original, dx, dy);
    const bool found = std::any_of(pasted.begin(), pasted.end(), [&](TCustomFigure* f) { return SavedValues(*f) == want; });
    EXPECT_TRUE(found) << original->FCaption;
  }
  EXPECT_EQ(to.Selection().Count(), 2) << "the pasted figures are selected";
  EXPECT_EQ(to.Added.size(), 2u) << "and announced";
  for (TCustomFigure* f : pasted) EXPECT_EQ(f->FParent, target.FFigures.get());
  // Undo of the paste takes both away again.
  to.Undo();
  EXPECT_TRUE(target.Figures().empty());
  EXPECT_EQ(source.Figures().size(), 2u) << "copy leaves the source alone";
}

TEST_F(ViewClipboard, PasteToALayerPutsTheFiguresBackWhereTheyWereCopiedFrom) {
  from.Select(a, false);
  from.OnEditCopy();
  std::string name;
  target.FFigures->AddLayer(name);
  to.PasteToLayer(1);
  ASSERT_EQ(target.FFigures->LayerList(1)->Count(), 1);
  auto* pasted = dynamic_cast<TTestBox*>(target.FFigures->LayerList(1)->Figures(0));
  ASSERT_NE(pasted, nullptr);
  EXPECT_EQ(SavedValues(*pasted), SavedValues(*a));
  EXPECT_EQ(target.FFigures->LayerList(0)->Count(), 0);
}

TEST_F(ViewClipboard, PasteToALayerFindsThePlaceAlsoInADrawingWithItsOriginMoved) {
  for (TTestDrawingDoc* doc : {&source, &target}) {
    doc->FFigures->FAbsx = 15;
    doc->FFigures->FYd = {5, -8};
  }
  from.Select(b, false);
  from.OnEditCopy();
  to.PasteToLayer(0);
  ASSERT_EQ(target.FFigures->LayerList(0)->Count(), 1);
  auto* pasted = dynamic_cast<TTestBox*>(target.FFigures->LayerList(0)->Figures(0));
  ASSERT_NE(pasted, nullptr);
  // (A copy does not take the caption along.)
  EXPECT_EQ(SavedValues(*pasted), MovedValues(*b, 0, 0));
}

TEST_F(ViewClipboard, CutRemovesWithoutAskingAndPasteBringsThemBack) {
  TScopedMessageAnswer answer(mrCancel);
  from.Select(b, false);
  from.OnEditCut();
  EXPECT_TRUE(answer.Asked().empty());
  EXPECT_EQ(source.Figures().size(), 1u);
  from.MouseUp(mbLeft, 0, {150, 100});
  from.OnEditPaste();
  EXPECT_EQ(source.Figures().size(), 2u);
}

TEST_F(ViewClipboard, EmptyOrForeignClipboardPastesNothingAndEmptySelectionCopiesNothing) {
  from.OnEditCopy();
  EXPECT_FALSE(CheckClipBoard());
  to.OnEditPaste();
  auto* mime = new QMimeData;
  mime->setData(FigureClipboardMime, QByteArray("TPF0 not an image"));
  QApplication::clipboard()->setMimeData(mime);
  to.OnEditPaste();
  to.PasteToLayer(0);
  to.OnEditPastePicture();
  EXPECT_TRUE(target.Figures().empty());
  EXPECT_EQ(target.FFigures->UndoCount(), 0);
}

TEST_F(ViewClipboard, DuplicateInPlaceSelectsMovedCopiesAtTheSameIndices) {
  from.Select(a, false);
  from.Select(b, true);
  from.CloneSelection();
  ASSERT_EQ(source.Figures().size(), 4u);
  ASSERT_EQ(from.Selection().Count(), 2);
  auto* ca = dynamic_cast<TTestBox*>(from.SelectedItem(0));
  auto* cb = dynamic_cast<TTestBox*>(from.SelectedItem(1));
  ASSERT_TRUE(ca && cb && ca != a && cb != b);
  EXPECT_DOUBLE_EQ(ca->FQd.x, 20);
  EXPECT_DOUBLE_EQ(ca->FQd.y, 0);
  EXPECT_DOUBLE_EQ(cb->FZd.x, 100);
  EXPECT_EQ(from.Added.size(), 2u);
  from.Undo();
  EXPECT_EQ(source.Figures().size(), 2u);
}
