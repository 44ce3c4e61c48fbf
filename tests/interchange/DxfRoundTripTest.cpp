// Figures written as DXF and read back: what a text or a curve shows
// survives the trip.

#include "interchange/DxfMapping.h"

#include "figures/Arcs.h"
#include "figures/FigureSet.h"
#include "figures/MltLine.h"
#include "figures/RoundShapes.h"
#include "figures/RouteLines.h"
#include "figures/Texts.h"
#include "interchange/DxfReader.h"
#include "interchange/DxfWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>
#include <string>

namespace {

std::string Written(TTxFigureSet& Root) {
  const DXF_Object obj = BuildDxfObject(Root);
  std::string out;
  DXF_Writer(out).write_file(obj.layers);
  return out;
}

template <class T>
std::vector<const T*> All(const DXF_Reader& R) {
  std::vector<const T*> out;
  for (const auto& l : R.layers)
    for (const auto& list : l->entity_lists)
      for (const auto& e : list)
        if (auto* t = dynamic_cast<const T*>(e.get())) out.push_back(t);
  return out;
}

std::string OneText(double Height) {
  const std::string h = DxfNumber(Height);
  return "0\r\nSECTION\r\n2\r\nENTITIES\r\n0\r\nTEXT\r\n8\r\na\r\n10\r\n1\r\n20\r\n2\r\n40\r\n" + h +
         "\r\n1\r\nx\r\n0\r\nENDSEC\r\n0\r\nEOF\r\n";
}

// Vertices in the parent's frame.
void Chain(TCustomMltLine& L, std::initializer_list<Tpt> Points) {
  for (const Tpt p : Points) static_cast<TTxPolygonBxdy*>(L.FDDList->AddObject())->FDwd = p;
  L.CreateWDbxByDDList();
}

}  // namespace

TEST(DxfRoundTrip, TextHeightSevenIsFontSizeTenAndComesBackExactly) {
  TTxFigureSet root;
  ASSERT_TRUE(ReadFromDxfText(root, OneText(7)).Complete);
  auto& label = dynamic_cast<TTxXLabel&>(*root.LayerList(0)->Figures(0));
  EXPECT_EQ(label.FFont->FHeight, 10);
  const std::string out = Written(root);
  EXPECT_NE(out.find("\r\n40\r\n7\r\n"), std::string::npos) << "height 7 written as 7";
  // Heights of two decimals up to 50 are written back as they were read.
  for (int k = 1; k <= 5000; k += 7) {
    const double h = k / 100.0;
    TTxFigureSet r;
    ASSERT_TRUE(ReadFromDxfText(r, OneText(h)).Complete);
    r.SetScale(3);  // the view's zoom plays no part
    DXF_Reader back;
    ASSERT_TRUE(back.read_text(Written(r))) << back.error();
    const auto texts = All<Text_>(back);
    ASSERT_EQ(texts.size(), 1u);
    ASSERT_EQ(texts[0]->h, h) << "height " << h;
  }
}

TEST(DxfRoundTrip, LabelStaysALabelWithItsTextPlaceTurnAndSize) {
  TTxFigureSet root;
  auto label = std::make_unique<TTxXLabel>();
  label->FText = "施工道路 A-3";
  label->FYd = {12.5, -30.25};
  label->FXzJd = 30;
  label->FFont->FHeight = 14;
  label->FFont->FColor = RGB(255, 0, 0);
  label->FAutoSize = true;
  label->FHeight = 14;
  root.InsertFigure(std::move(label));
  const std::string out = Written(root);
  // The text stays GBK, and the file says so.
  EXPECT_NE(out.find("$DWGCODEPAGE\r\n3\r\nANSI_936\r\n"), std::string::npos);
  EXPECT_NE(out.find("\r\n1\r\n\xCA\xA9\xB9\xA4\xB5\xC0\xC2\xB7 A-3\r\n"), std::string::npos);
  TTxFigureSet back;
  const auto r = ReadFromDxfText(back, out);
  ASSERT_TRUE(r.Complete) << r.Error;
  ASSERT_EQ(back.LayerList(0)->Count(), 1);
  auto& again = dynamic_cast<TTxXLabel&>(*back.LayerList(0)->Figures(0));
  EXPECT_EQ(again.FText, "施工道路 A-3");
  EXPECT_NEAR(again.FXzJd, 30, 1e-12);
  EXPECT_EQ(again.FFont->FHeight, 14);
  EXPECT_EQ(again.FFont->FColor, RGB(255, 0, 0));
  const Point3D at = TDxfPlace(again).Pt(again.FYd.x, again.FYd.y);
  EXPECT_NEAR(at.x, 12.5, 1e-9);
  EXPECT_NEAR(at.y, -30.25, 1e-9);
}

TEST(DxfRoundTrip, TextsOfBoxesMemosAndTextLinesAreWritten) {
  TTxFigureSet root;
  auto edit = std::make_unique<TTxEdit>();
  edit->FText = "编辑框";
  edit->FYd = {0, 0};
  root.InsertFigure(std::move(edit));
  auto memo = std::make_unique<TTxMemo>();
  memo->FLines = {"第一行", "第二行"};
  memo->FYd = {0, 100};
  memo->FHeight = 60;
  root.InsertFigure(std::move(memo));
  auto line = std::make_unique<TTxTextLine>();
  line->FText = "Z";
  Chain(*line, {{0, 200}, {400, 200}});
  root.InsertFigure(std::move(line));
  // A label wrapped in its own box goes as painted, turned as it shows.
  auto boxed = std::make_unique<TTxXLabel>();
  boxed->FText = "斜";
  boxed->FAutoSize = false;
  boxed->FXzJd = 30;
  boxed->FYd = {0, 300};
  root.InsertFigure(std::move(boxed));
  DXF_Reader back;
  ASSERT_TRUE(back.read_text(Written(root))) << back.error();
  std::multiset<std::string> texts;
  for (const Text_* t : All<Text_>(back)) {
    texts.insert(t->textstr);
    if (t->textstr == "斜") {
      EXPECT_NEAR(t->xzjd, 30, 0.1);
    } else if (t->textstr != "Z") {
      EXPECT_NEAR(t->xzjd, 0, 1e-9) << t->textstr;
    }
  }
  EXPECT_EQ(texts.count("斜"), 1u);
  EXPECT_EQ(texts.count("编辑框"), 1u);
  EXPECT_EQ(texts.count("第一行"), 1u);
  EXPECT_EQ(texts.count("第二行"), 1u);
  EXPECT_GE(texts.count("Z"), 2u) << "the text line's text along it";
}

TEST(DxfRoundTrip, EllipsesArcsAndRouteLinesAreWrittenAsTheyShow) {
  TTxFigureSet root;
  auto ellipse = std::make_unique<TTxEllipse>();
  ellipse->FYx = {50, 20};
  ellipse->FHzbj = 40;
  ellipse->FVzbj = 10;
  ellipse->FXzJd = 90;
  root.InsertFigure(std::move(ellipse));
  auto arc = std::make_unique<TTxArc>();
  arc->FYx = {-10, -10};
  arc->FBj = 5;
  arc->FQj = 0;
  arc->FZj = std::numbers::pi / 2;
  arc->Refresh();
  root.InsertFigure(std::move(arc));
  DXF_Reader back;
  ASSERT_TRUE(back.read_text(Written(root))) << back.error();
  // The ellipse: a closed polyline on the curve, its chords within a
  // ten-thousandth of the long radius, turned a quarter.
  const auto polys = All<Polyline_>(back);
  ASSERT_EQ(polys.size(), 1u);
  const Polyline_& e = *polys[0];
  EXPECT_TRUE(e.closed);
  ASSERT_GE(e.vertices.size(), 90u);
  double worst = 0;
  for (std::size_t i = 0; i < e.vertices.size(); ++i) {
    const Point3D p = e.vertices[i], q = e.vertices[(i + 1) % e.vertices.size()];
    for (const Point3D m : {p, Point3D{(p.x + q.x) / 2, (p.y + q.y) / 2, 0}}) {
      // Turned a quarter: the long axis runs along y.
      const double u = (m.y - 20) / 40, v = (m.x - 50) / 10;
      worst = std::max(worst, std::abs(std::sqrt(u * u + v * v) - 1) * 10);
    }
  }
  EXPECT_LT(worst, 40 * 2e-4);
  // The arc: one ARC, not a chain of chords.
  const auto arcs = All<Arc_>(back);
  ASSERT_EQ(arcs.size(), 1u);
  EXPECT_NEAR(arcs[0]->p1.x, -10, 1e-9);
  EXPECT_NEAR(arcs[0]->radius, 5, 1e-9);
  EXPECT_NEAR(arcs[0]->angle1, 0, 1e-9);
  EXPECT_NEAR(arcs[0]->angle2, 90, 1e-9);

  // A double line shows two lines: both are written.
  TTxFigureSet lines;
  auto d = std::make_unique<TDoubleLine>();
  Chain(*d, {{0, 0}, {100, 0}});
  lines.InsertFigure(std::move(d));
  DXF_Reader two;
  ASSERT_TRUE(two.read_text(Written(lines))) << two.error();
  EXPECT_EQ(All<Line_>(two).size() + All<Polyline_>(two).size(), 2u);
}
