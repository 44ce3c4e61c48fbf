// The text of the typed-point entry: the three forms, the blanks and
// full-width signs a Chinese input method gives, and what is refused.

#include "docview/TypedPoint.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TTypedPoint Parsed(const char* Text) {
  std::string hint;
  const auto p = ParseTypedPoint(Text, hint);
  EXPECT_TRUE(p) << Text << ": " << hint;
  return p.value_or(TTypedPoint{});
}

std::string Refusal(const char* Text) {
  std::string hint;
  EXPECT_FALSE(ParseTypedPoint(Text, hint)) << Text;
  return hint;
}

TEST(TypedPoint, ReadsTheAbsoluteRelativeAndPolarForms) {
  const TTypedPoint a = Parsed("12.5,-3");
  EXPECT_EQ(a.Form, TTypedForm::Absolute);
  EXPECT_DOUBLE_EQ(a.A, 12.5);
  EXPECT_DOUBLE_EQ(a.B, -3);
  const TTypedPoint r = Parsed("@ -4 , +7.25 ");
  EXPECT_EQ(r.Form, TTypedForm::Relative);
  EXPECT_DOUBLE_EQ(r.A, -4);
  EXPECT_DOUBLE_EQ(r.B, 7.25);
  const TTypedPoint p = Parsed("@100<-30");
  EXPECT_EQ(p.Form, TTypedForm::Polar);
  EXPECT_DOUBLE_EQ(p.A, 100);
  EXPECT_DOUBLE_EQ(p.B, -30);
}

TEST(TypedPoint, TakesTheFullWidthSignsOfAChineseInputMethod) {
  const TTypedPoint r = Parsed("＠3，4");
  EXPECT_EQ(r.Form, TTypedForm::Relative);
  EXPECT_DOUBLE_EQ(r.A, 3);
  EXPECT_DOUBLE_EQ(r.B, 4);
  EXPECT_EQ(Parsed("@5＜90").Form, TTypedForm::Polar);
}

TEST(TypedPoint, RefusesWhatIsNoPointWithAHintInChinese) {
  for (const char* bad : {"", "  ", "12", "1,2,3", "a,b", "1;2", "@", "@1<", "1<2", "@1<2<3", "1e999,0", "nan,1"}) {
    const std::string hint = Refusal(bad);
    EXPECT_NE(hint.find("坐标"), std::string::npos) << bad << ": " << hint;
  }
  EXPECT_NE(Refusal("1e10,0").find("太大"), std::string::npos);
}

TEST(TypedPoint, TheAtFormsGoOnFromTheLastPoint) {
  std::string hint;
  const Tpt last{10, 20};
  const auto a = ResolveTypedPoint(Parsed("1,2"), std::nullopt, hint);
  ASSERT_TRUE(a);
  EXPECT_DOUBLE_EQ(a->x, 1);
  const auto r = ResolveTypedPoint(Parsed("@5,-5"), last, hint);
  ASSERT_TRUE(r);
  EXPECT_DOUBLE_EQ(r->x, 15);
  EXPECT_DOUBLE_EQ(r->y, 15);
  const auto p = ResolveTypedPoint(Parsed("@10<90"), last, hint);
  ASSERT_TRUE(p);
  EXPECT_NEAR(p->x, 10, 1e-12);
  EXPECT_NEAR(p->y, 30, 1e-12);
  const auto q = ResolveTypedPoint(Parsed("@2<180"), last, hint);
  ASSERT_TRUE(q);
  EXPECT_NEAR(q->x, 8, 1e-12);
  EXPECT_NEAR(q->y, 20, 1e-12);
  EXPECT_FALSE(ResolveTypedPoint(Parsed("@1,1"), std::nullopt, hint));
  EXPECT_NE(hint.find("上一点"), std::string::npos);
}

}  // namespace
