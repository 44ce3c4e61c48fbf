// Blocks, child drawings and point markers: saved values against bytes
// written out by hand, placing, handles, mirroring and exploding (figures
// must stay where they are on the sheet), and the explode undo step.

#include <gtest/gtest.h>

#include "FigureBytes.h"
#include "figures/Blocks.h"
#include "figures/LineFigures.h"
#include "figures/Pictures.h"
#include "figures/TowerCrane.h"
#include "foundation/GbkCodec.h"

#include <cmath>

namespace {

void SegmentRecord(ByteBuilder& b) {
  b({0x06, 12})("TTestSegment");
  FigureValues(b, psSolid);
  F(b, X0);
  F(b, X0);
  F(b, X10);
  F(b, X0);
}

std::unique_ptr<TTxBlock> Block(Tpt Yd, double W, double H) {
  auto b = std::make_unique<TTxBlock>();
  b->FYd = Yd;
  b->InitialParas(W, H);
  return b;
}

// A figure that moves with its set when exploded or mirrored.
std::unique_ptr<TTxLine> Line(Tpt Qd, Tpt Zd) {
  auto l = std::make_unique<TTxLine>();
  l->FQd = Qd;
  l->FZd = Zd;
  return l;
}

// Where a point of a figure lands on the sheet.
Tpt OnSheet(const TCustomFigure& F, Tpt Local) { return F.xyTransLogPt(Local.x, Local.y); }

void ExpectNear(Tpt a, Tpt b, double tol, const char* what) {
  EXPECT_NEAR(a.x, b.x, tol) << what;
  EXPECT_NEAR(a.y, b.y, tol) << what;
}

struct Drawing {
  TFakeDocument doc;
  TTxFigureSet root{nullptr};
  TFakeView view;
  Drawing() { root.SetDocument(&doc); }
  TTxCollectFigure& layer() { return *root.FFigures; }
  void put(std::unique_ptr<TCustomFigure> f, int index) {
    f->FParent = &root;
    f->SetDocument(&doc);
    layer().Insert(index, std::move(f));
  }
};

}  // namespace

TEST(Block, SavedValuesAreTheFigureValuesFrameAndFigureList) {
  auto block = Block({1, 2}, 10, 20);
  block->InsertFigure(Segment({0, 0}, {10, 0}));
  block->FHorzGap = 3;
  ByteBuilder b;
  FigureValues(b, psClear);
  F(b, X1);
  F(b, X2);
  F(b, X10);
  F(b, X20);
  b({0x09, 0x01});
  SegmentRecord(b);
  b({0x00});
  EXPECT_EQ(Written([&](TWriter& w) { block->WriteData(w); }), b.b);

  TTxBlock back;
  TReader r(b.b);
  back.ReadData(r);
  EXPECT_EQ(r.Remaining(), 0u);
  ASSERT_EQ(back.FFigures->Count(), 1);
  EXPECT_EQ(back.FFigures->Figures(0)->FParent, &back);
  EXPECT_EQ(back.FHorzGap, 0);  // gaps are not saved
  EXPECT_EQ(Written([&](TWriter& w) { back.WriteData(w); }), b.b);

  // A copy keeps its gaps; the reported size includes them.
  auto copy = block->Clone();
  EXPECT_EQ(static_cast<TTxBlock&>(*copy).GetWidth(), 13);
  EXPECT_EQ(static_cast<TTxBlock&>(*copy).FFigures->Count(), 1);
}

TEST(Block, AFillItemIsReadAsABlockAndWrittenBack) {
  ByteBuilder b;
  FigureValues(b, psSolid);
  b.b.back() = 0x09;  // a fill item follows, without a class name
  FigureValues(b, psClear);
  F(b, X0);
  F(b, X0);
  F(b, X10);
  F(b, X20);
  b({0x08, 0x01, 0x00});
  for (int i = 0; i < 4; ++i) F(b, X0);  // the segment's own ends
  TTestSegment s;
  TReader r(b.b);
  s.ReadData(r);
  EXPECT_EQ(r.Remaining(), 0u);
  ASSERT_NE(dynamic_cast<TTxBlock*>(s.FFillItem.get()), nullptr);
  EXPECT_EQ(s.FFillItem->FHeight, 20);
  EXPECT_FALSE(s.FFillItem->FShowFrame);
  EXPECT_EQ(Written([&](TWriter& w) { s.WriteData(w); }), b.b);
}

TEST(Block, TextWithoutGbkFormFailsTheSaveNamingTheInnermostFigure) {
  TTxFigureSet root;
  auto block = Block({0, 0}, 10, 10);
  auto line = Line({0, 0}, {1, 1});
  line->FName = "1号\U0001F680";
  TTxLine* inner = line.get();
  block->InsertFigure(std::move(line));
  TTxBlock* outer = block.get();
  root.InsertFigure(std::move(block));
  std::vector<std::string> path;
  inner->GetIndexPath(path);
  ASSERT_EQ(path.size(), 2u);
  ASSERT_EQ(path[1].size(), 9u);  // "$" and 8 hexadecimal digits
  try {
    Written([&](TWriter& w) { root.WriteData(w); });
    ADD_FAILURE() << "the save went through";
  } catch (const EGbkError& e) {
    EXPECT_EQ(e.Subject(), "箭头线（1号\U0001F680） " + path[1]);
    EXPECT_EQ(std::string(e.what()),
              "图形“箭头线（1号\U0001F680） " + path[1] + "”中的“\U0001F680”没有GBK编码，不能保存在图形文件中。");
  }
  // The block's own caption is named when the fault is its own.
  inner->FName = "1号";
  outer->FCaption = "\U0001F680";
  path.clear();
  outer->GetIndexPath(path);
  try {
    Written([&](TWriter& w) { root.WriteData(w); });
    ADD_FAILURE() << "the save went through";
  } catch (const EGbkError& e) {
    EXPECT_EQ(e.Subject(), path[0] + " " + path[1]);
  }
}

TEST(Block, PlacingNeedsTwoPointsAndFitsTheSmallerSide) {
  auto block = Block({5, 5}, 100, 50);
  const Tpt one[1] = {{0, 0}};
  block->CreateByRefPoint(std::span<const Tpt>(one));
  EXPECT_EQ(block->FScale, 1);
  ExpectNear(block->FYd, {5, 5}, 0, "one point moves nothing");

  const Tpt two[2] = {{300, 40}, {100, 140}};
  block->CreateByRefPoint(std::span<const Tpt>(two));
  EXPECT_DOUBLE_EQ(block->FScale, 2);  // min(200 / 100, 100 / 50)
  ExpectNear(block->FYd, {100, 40}, 0, "the smaller corner");

  // A click without a drag does not collapse it.
  const Tpt same[2] = {{7, 7}, {7, 7}};
  block->CreateByRefPoint(std::span<const Tpt>(same));
  EXPECT_DOUBLE_EQ(block->FScale, 2);
}

TEST(Block, HandlesFollowTheRotatedFrameAndScalingKeepsTheCentre) {
  auto block = Block({100, 100}, 40, 20);
  block->FXzJd = 90;
  TPoint p;
  block->GetHandle(3, p);  // far end of the reference edge, turned a quarter
  EXPECT_EQ(p.x, 100);
  EXPECT_EQ(p.y, 140);
  block->GetHandle(5, p);
  EXPECT_EQ(p.x, 80);
  EXPECT_EQ(p.y, 140);

  const auto centre = [&] { return Tpt{block->FYd.x - 10 * block->FScale, block->FYd.y + 20 * block->FScale}; };
  const Tpt before = centre();
  block->MoveHandleTo(5, TPoint{70, 160});  // 40 from the centre along the width
  EXPECT_DOUBLE_EQ(block->FScale, 2);
  ExpectNear(centre(), before, 1e-9, "centre");
  // Dragged onto the centre: the block would vanish, so nothing changes.
  block->MoveHandleTo(5, TPoint{90, 120});
  EXPECT_DOUBLE_EQ(block->FScale, 2);

  block->RotateHandleTo(3, ptodp({block->FYd.x + 10, block->FYd.y}));
  EXPECT_NEAR(block->FXzJd, 0, 1e-9);
}

TEST(Block, ExplodingPutsThePartsInItsPlaceInOrderAndUndoBringsItBack) {
  Drawing d;
  d.put(Segment({0, 0}, {1, 0}), 0);  // Y, below
  auto block = Block({100, 50}, 10, 10);
  block->FScale = 2;
  block->FXzJd = 90;
  block->InsertFigure(Line({0, 0}, {5, 0}));  // B
  block->InsertFigure(Line({0, 0}, {0, 5}));  // A, index 0: on top
  TTxBlock* raw = block.get();
  d.put(std::move(block), 0);
  d.put(Segment({0, 1}, {1, 1}), 0);  // X, on top
  TCustomFigure* x = d.layer().Figures(0);
  TCustomFigure* y = d.layer().Figures(2);
  const Tpt aEnd = OnSheet(*raw->FFigures->Figures(0), {0, 5});
  const Tpt bEnd = OnSheet(*raw->FFigures->Figures(1), {5, 0});
  d.view.Select(raw, false);

  raw->ExplodeItem(&d.view);
  ASSERT_EQ(d.layer().Count(), 4);
  EXPECT_EQ(d.layer().Figures(0), x);
  EXPECT_EQ(d.layer().Figures(3), y);
  auto* a = static_cast<TTxLine*>(d.layer().Figures(1));
  auto* b = static_cast<TTxLine*>(d.layer().Figures(2));
  ExpectNear(OnSheet(*a, a->FZd), aEnd, 1e-9, "A stays where it was drawn");
  ExpectNear(OnSheet(*b, b->FZd), bEnd, 1e-9, "B stays where it was drawn");
  EXPECT_EQ(a->FParent, &d.root);
  EXPECT_FALSE(d.view.IsSelected(raw));
  EXPECT_TRUE(d.view.IsSelected(a) && d.view.IsSelected(b));
  EXPECT_TRUE(d.doc.ModifiedFlag);
  ASSERT_EQ(d.root.UndoCount(), 1);

  d.root.Undo(&d.view);
  ASSERT_EQ(d.layer().Count(), 3);
  EXPECT_EQ(d.layer().Figures(1), raw);
  EXPECT_EQ(raw->FParent, &d.root);
  d.root.Redo(&d.view);
  ASSERT_EQ(d.layer().Count(), 4);
  EXPECT_EQ(d.layer().IndexOfObject(raw), -1);
}

TEST(Block, MirroringTurnsEveryPartOverTheLine) {
  auto block = Block({30, 10}, 20, 10);
  block->FScale = 1.5;
  block->FXzJd = 30;
  block->InsertFigure(Line({2, 3}, {15, 8}));
  auto* part = static_cast<TTxLine*>(block->FFigures->Figures(0));
  const TBx line = pptobx({0, 0}, {10, 20});
  const Tpt q = Caldcp(OnSheet(*part, part->FQd), line), z = Caldcp(OnSheet(*part, part->FZd), line);
  block->FigureMirror(line);
  ExpectNear(OnSheet(*part, part->FQd), q, 1e-9, "start");
  ExpectNear(OnSheet(*part, part->FZd), z, 1e-9, "end");
}

// Its drawing's offsets do not turn with it, so its parts must slide as well
// as turn over; twice over one line puts everything back.
TEST(ChildDrawing, MirroringWithOffsetsTurnsEveryPartOverTheLine) {
  TChildFigureSet child;
  child.InitialParas(40, 20);
  child.FYd = {30, 10};
  child.FAbsx = 7;
  child.FAbsy = -4;
  child.FScale = 1.5;
  child.FXzJd = 30;
  child.InsertFigure(Line({2, 3}, {15, 8}));
  auto* part = static_cast<TTxLine*>(child.FFigures->Figures(0));
  const TBx line = pptobx({0, 0}, {10, 20});
  const Tpt q = OnSheet(*part, part->FQd), z = OnSheet(*part, part->FZd);
  child.FigureMirror(line);
  ExpectNear(OnSheet(*part, part->FQd), Caldcp(q, line), 1e-9, "start");
  ExpectNear(OnSheet(*part, part->FZd), Caldcp(z, line), 1e-9, "end");
  child.FigureMirror(line);
  ExpectNear(OnSheet(*part, part->FQd), q, 1e-9, "start, back");
  ExpectNear(part->FZd, {15, 8}, 1e-9, "end, back");
}

TEST(ChildDrawing, TakesTheDrawingsLayersAndSavesThemAll) {
  TTxFigureSet source;
  source.FWidth = 400;
  source.FHeight = 300;
  source.FScale = 2;
  source.FAbsx = 10;
  source.AddLayer("道路=1", nullptr);
  source.LayerList(0)->Add(Segment({0, 0}, {10, 0}));
  source.LayerList(1)->Add(Segment({1, 1}, {2, 2}));
  TTxCollectFigure* roads = source.LayerList(1);

  TChildFigureSet child;
  source.AssignToChildFigureSet(child);
  ASSERT_EQ(child.LayerCount(), 2);
  EXPECT_EQ(child.LayerList(1), roads);  // handed over, not copied
  EXPECT_EQ(roads->Figures(0)->FParent, &child);
  EXPECT_EQ(child.FScale, 2);
  EXPECT_EQ(child.FWidth, 400);
  EXPECT_EQ(child.FAbsx, 10);
  ASSERT_EQ(source.LayerCount(), 1);
  EXPECT_EQ(source.FLayers[0].Entry, "");
  EXPECT_EQ(source.FFigures->Count(), 0);

  const Bytes image = Written([&](TWriter& w) { child.WriteData(w); });
  TChildFigureSet back;
  TReader r(image);
  back.ReadData(r);
  EXPECT_EQ(r.Remaining(), 0u);
  ASSERT_EQ(back.LayerCount(), 2);
  EXPECT_EQ(LayerName(back.FLayers[1].Entry), "道路");
  EXPECT_EQ(back.LayerList(1)->Figures(0)->FParent, &back);
  EXPECT_EQ(Written([&](TWriter& w) { back.WriteData(w); }), image);

  auto copy = child.Clone();
  EXPECT_EQ(static_cast<TChildFigureSet&>(*copy).LayerCount(), 2);
}

TEST(ChildDrawing, ItsCranesGetTheirWorkingRadiusArcsBackWhenRead) {
  TChildFigureSet child;
  child.InitialParas(100, 100);
  auto crane = std::make_unique<TTxTadiao>();
  crane->Refresh();
  ASSERT_FALSE(crane->FPWLine.empty());
  child.FFigures->Add(std::move(crane));
  const Bytes image = Written([&](TWriter& w) { child.WriteData(w); });

  TChildFigureSet back;
  TReader r(image);
  back.ReadData(r);
  ASSERT_EQ(back.FFigures->Count(), 1);
  EXPECT_FALSE(static_cast<TTxTadiao&>(*back.FFigures->Figures(0)).FPWLine.empty());
}

TEST(ChildDrawing, OnlyItsShownLayersOfferSnapPoints) {
  TChildFigureSet child;
  child.InitialParas(100, 100);
  child.FPen.Style = psClear;  // no frame points: only the parts answer
  auto hidden = std::make_unique<TTxCollectFigure>();
  hidden->Add(Line({50, 50}, {60, 50}));
  child.AddLayer("隐藏=0", std::move(hidden));
  Tpt p;
  TPointLx kind = plNone;
  EXPECT_FALSE(child.GetCapturePoint(p, kind, nullptr, TPoint{50, 50}, PointLxBit(plEndPoint)));
  SetLayerFlag(child.FLayers[1].Entry, lfVisible);
  EXPECT_TRUE(child.GetCapturePoint(p, kind, nullptr, TPoint{50, 50}, PointLxBit(plEndPoint)));
  EXPECT_EQ(kind, plEndPoint);
}

TEST(ChildDrawing, ExplodingKeepsThePartsWhereTheyAreEvenWithOffsets) {
  Drawing d;
  auto child = std::make_unique<TChildFigureSet>();
  child->FYd = {50, 20};
  child->FAbsx = 7;
  child->FAbsy = -3;
  child->FScale = 2;
  child->InitialParas(100, 100);
  child->InsertFigure(Line({1, 2}, {8, 9}));
  TChildFigureSet* raw = child.get();
  d.put(std::move(child), 0);
  auto* part = static_cast<TTxLine*>(raw->FFigures->Figures(0));
  const Tpt q = OnSheet(*part, part->FQd);
  raw->ExplodeItem(&d.view);
  ASSERT_EQ(d.layer().Count(), 1);
  auto* out = static_cast<TTxLine*>(d.layer().Figures(0));
  ExpectNear(OnSheet(*out, out->FQd), q, 1e-9, "start");
}

TEST(PointMarker, SavedValuesShapesAndSelection) {
  TTxDefineDwd p;
  EXPECT_EQ(p.FClassNameDescription, "点");
  p.FDwd = {3, 4};
  p.FPen.Color = 0x0000FF;
  p.SetXz(dsFilledSquare);
  EXPECT_EQ(p.FBrush.Color, 0x0000FFu);
  p.SetXz(dsWhiteCircle);
  EXPECT_EQ(p.FBrush.Color, 0xFFFFFFu);

  TTxDefineDwd q;
  q.FDwd = {3, 4};
  q.FXz = 2;
  ByteBuilder b;
  FigureValues(b, psSolid);
  F(b, X3);
  F(b, X4);
  b({0x02, 0x02, 0x02, 0x04});
  EXPECT_EQ(Written([&](TWriter& w) { q.WriteData(w); }), b.b);

  // An unknown shape paints nothing but can still be picked.
  q.FXz = 5;
  Sheet s(40, 40);
  SetViewMapping(*s, 40);
  q.DrawDC(*s, nullptr, TRect{});
  EXPECT_EQ(s.InkCount(), 0);
  EXPECT_TRUE(q.Selected({10, 4}, 1));  // 7 away: within the radius and 5
  EXPECT_FALSE(q.Selected({13, 4}, 1));
}

// The capture radius is a distance on the screen: a figure deep inside a
// scaled block in a zoomed drawing snaps exactly as one on the sheet does.
TEST(Snapping, EveryFigureCapturesWithinTheSameScreenRadiusInsideAScaledBlock) {
  Drawing d;
  d.root.FScale = 2;
  auto made = Block({50, 40}, 100, 100);
  made->FScale = 3;
  made->FPen.Style = psSolid;
  TTxBlock& block = *made;
  d.put(std::move(made), 0);
  auto line = Line({0, 0}, {10, 0});
  line->FParent = &block;
  TTxTadiao crane;
  crane.FParent = &block;
  crane.Refresh();
  TTxDefineDwd marker;
  marker.FParent = &block;
  marker.FDwd = {5, 5};
  TTxPicture picture;
  picture.FParent = &block;
  picture.FYd = {20, 20};
  picture.FWidth = picture.FHeight = 10;

  auto check = [](TCustomFigure& f, Tpt target, Tpt dir, TPointLxSet kinds, const char* what) {
    for (double off : {7.0, 9.0}) {
      const TPoint cursor = ptodp({target.x + off * dir.x, target.y + off * dir.y});
      Tpt p;
      TPointLx kind = plNone;
      EXPECT_EQ(f.GetCapturePoint(p, kind, nullptr, cursor, kinds), off < 8) << what << " at " << off;
      EXPECT_EQ(f.PointInPoint(cursor, target), off < 8) << what << " at " << off;
    }
  };
  check(*line, line->xyTransLogPt(10, 0), {1, 0}, PointLxBit(plEndPoint), "line end");
  const Tpt onArc = crane.AtRadius(0);
  check(crane, crane.xyTransLogPt(onArc.x, onArc.y), {1, 0}, PointLxBit(plNearest), "crane arc");
  check(marker, marker.xyTransLogPt(5, 5), {1, 0}, PointLxBit(plEndPoint), "point marker");
  check(picture, picture.xyTransLogPt(20, 20), {-1, 0}, PointLxBit(plEndPoint), "picture corner");
  check(block, dptop(block.GetDD()[0]), {-1, 0}, PointLxBit(plEndPoint), "block corner");
}
