// Object snap: end points, midpoints and circle centres within the capture
// radius are taken; points outside it are not.

#include "ToolTestSupport.h"

#include "tools/MultiPointTools.h"
#include "docview/ObjectSnap.h"

namespace {
TPersistent* NewPolyline(TMyPersistent* O) { return new TTestPolyline(O); }
const TMetaClass LineClass{"TTestSnapLine", &TTestPolyline::StaticClass(), &NewPolyline};

class SnapTest : public ToolTest {
protected:
  void SetUp() override {
    ToolTest::SetUp();
    env.FPointLxSet = PointLxBit(plEndPoint) | PointLxBit(plMidPoint) | PointLxBit(plCenter);
    env.FCaptureBj = 8;
    auto r = std::make_unique<TTestRect>();
    r->FQd = {100, 100};
    r->FZd = {160, 140};
    doc.Add(std::move(r), {0, 0}, &view);
    auto c = std::make_unique<TTestCircle>();
    c->FYx = {250, 100};
    c->FBj = 20;
    doc.Add(std::move(c), {0, 0}, &view);
  }
  // The first point of a multi-segment line clicked at a local point.
  Tpt FirstPointClickedAt(Tpt P) {
    Use<TMultiLineTool>(LineClass);
    Click(Client(P));
    auto* l = dynamic_cast<TTestPolyline*>(Figures().at(0));
    EXPECT_TRUE(l);
    const Tpt p = l ? l->FPoints.at(0) : Tpt{};
    view.SetDrawShape(&TDocItem::StaticClass());
    return p;
  }
};
}  // namespace

TEST_F(SnapTest, EndPointWithinTheRadiusIsTaken) {
  EXPECT_PT(FirstPointClickedAt({105, 96}), 100, 100);
  EXPECT_EQ(view.FPointLx, plEndPoint);
}

TEST_F(SnapTest, MidpointWithinTheRadiusIsTaken) {
  EXPECT_PT(FirstPointClickedAt({133, 116}), 130, 120);
  EXPECT_EQ(view.FPointLx, plMidPoint);
}

TEST_F(SnapTest, CircleCentreWithinTheRadiusIsTaken) {
  EXPECT_PT(FirstPointClickedAt({254, 103}), 250, 100);
  EXPECT_EQ(view.FPointLx, plCenter);
}

TEST_F(SnapTest, PointsOutsideTheRadiusStayWhereTheyAre) {
  EXPECT_PT(FirstPointClickedAt({109, 100}), 109, 100);
  EXPECT_EQ(view.FPointLx, plNone);
  EXPECT_PT(FirstPointClickedAt({250, 109}), 250, 109);
}

TEST_F(SnapTest, KindsNotEnabledAreNotTaken) {
  env.FPointLxSet = PointLxBit(plMidPoint);
  EXPECT_PT(FirstPointClickedAt({103, 100}), 103, 100);
}

TEST_F(SnapTest, SnapWinsOverOrthogonalMode) {
  env.FOrtho = true;
  const Tpt base{90, 60};
  const TPoint near = Client({104, 98});
  EXPECT_PT(SnapPoint(view, near, &base), 100, 100);
  const TPoint far = Client({200, 70});
  EXPECT_PT(SnapPoint(view, far, &base), 200, 60);
}
