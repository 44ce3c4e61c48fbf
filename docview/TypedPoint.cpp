#include "docview/TypedPoint.h"

#include "docview/DocView.h"
#include "docview/Document.h"
#include "figures/FigureSet.h"

#include <charconv>
#include <cmath>
#include <numbers>

namespace {

// Typed values beyond this are slips of the finger, not site coordinates.
constexpr double kLargest = 1e9;

const char* const kFormHint = "请输入坐标：x,y、@dx,dy 或 @长度<角度";

// The full-width forms a Chinese input method gives become the plain ones.
std::string Plain(std::string_view Text) {
  std::string out;
  for (std::size_t i = 0; i < Text.size();) {
    auto is = [&](std::string_view W) { return Text.substr(i, W.size()) == W; };
    if (is("，")) out += ',', i += std::string_view("，").size();
    else if (is("＠")) out += '@', i += std::string_view("＠").size();
    else if (is("＜")) out += '<', i += std::string_view("＜").size();
    else if (is("　")) out += ' ', i += std::string_view("　").size();
    else out += Text[i++];
  }
  return out;
}

std::string_view Trim(std::string_view S) {
  while (!S.empty() && (S.front() == ' ' || S.front() == '\t')) S.remove_prefix(1);
  while (!S.empty() && (S.back() == ' ' || S.back() == '\t')) S.remove_suffix(1);
  return S;
}

bool Number(std::string_view S, double& V) {
  S = Trim(S);
  if (!S.empty() && S.front() == '+') S.remove_prefix(1);
  if (S.empty()) return false;
  const auto [p, ec] = std::from_chars(S.data(), S.data() + S.size(), V);
  return ec == std::errc() && p == S.data() + S.size() && std::isfinite(V);
}

// A probe in the root's frame converts as any top-level figure does.
struct TRootProbe : TCustomFigure {
  explicit TRootProbe(const TDocView& View) {
    if (TDocument* doc = View.Document()) {
      FParent = doc->GetFigures();
      FDocument = FParent ? FParent->FDocument : nullptr;
      // Conversions answer for the view's own scale.
      if (auto* root = doc->GetFigures()) root->FViewState = View.FViewState;
    }
  }
};

}  // namespace

std::optional<TTypedPoint> ParseTypedPoint(std::string_view Text, std::string& Hint) {
  const std::string plain = Plain(Text);
  std::string_view s = Trim(plain);
  if (s.empty()) {
    Hint = kFormHint;
    return std::nullopt;
  }
  TTypedPoint p;
  char separator = ',';
  if (s.front() == '@') {
    s.remove_prefix(1);
    const bool polar = s.find('<') != std::string_view::npos;
    p.Form = polar ? TTypedForm::Polar : TTypedForm::Relative;
    separator = polar ? '<' : ',';
  }
  const std::size_t at = s.find(separator);
  if (at == std::string_view::npos || s.find(separator, at + 1) != std::string_view::npos ||
      !Number(s.substr(0, at), p.A) || !Number(s.substr(at + 1), p.B)) {
    Hint = "无法识别的坐标。";
    Hint += kFormHint;
    return std::nullopt;
  }
  if (std::abs(p.A) > kLargest || std::abs(p.B) > kLargest) {
    Hint = "坐标数值太大。";
    return std::nullopt;
  }
  return p;
}

std::optional<Tpt> ResolveTypedPoint(const TTypedPoint& Point, const std::optional<Tpt>& Last, std::string& Hint) {
  if (Point.Form == TTypedForm::Absolute) return Tpt{Point.A, Point.B};
  if (!Last) {
    Hint = "还没有上一点，请先输入绝对坐标 x,y。";
    return std::nullopt;
  }
  if (Point.Form == TTypedForm::Relative) return Tpt{Last->x + Point.A, Last->y + Point.B};
  const double a = Point.B * std::numbers::pi / 180.0;
  return Tpt{Last->x + Point.A * std::cos(a), Last->y + Point.A * std::sin(a)};
}

Tpt LogToLocal(const TDocView& View, Tpt Log) { return TRootProbe(View).xyTransAbsPt(Log.x, Log.y); }

Tpt LocalToLog(const TDocView& View, Tpt Local) { return TRootProbe(View).xyTransLogPt(Local.x, Local.y); }

Tpt LocalToUser(const TDocView& View, Tpt Local) {
  Tpt u;
  TRootProbe(View).TransUserPt(Local, u);
  return u;
}

Tpt UserToLocal(const TDocView& View, Tpt User) {
  Tpt l;
  TRootProbe(View).TransSysPt(User, l);
  return l;
}
