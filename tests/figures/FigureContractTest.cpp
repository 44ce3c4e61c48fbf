// The contract every figure class keeps, checked over the class registry so
// that a family is covered from the day it registers: saved values survive
// reading, copying, mirroring twice and moving there and back; hits and
// painted pixels stay inside the bounds a figure reports; exploding out of a
// set keeps what is painted. Each class is checked as it is made, and as
// randomised through what every figure offers (handles, scale, angle,
// offsets) with a fixed seed, on the sheet and inside a turned, scaled block.

#include <gtest/gtest.h>

#include "FigureBytes.h"
#include "figures/Blocks.h"
#include "figures/Bezier.h"
#include "figures/LineFigures.h"
#include "figures/MltLine.h"
#include "figures/PenLine.h"
#include "figures/PolygonMesh.h"
#include "figures/RouteLines.h"
#include "figures/Pictures.h"
#include "figures/Texts.h"
#include "figures/TowerCrane.h"
#include "figures/WdbxShapes.h"
#include "foundation/ClassRegistry.h"
#include "foundation/Extended.h"
#include "foundation/Streams.h"

#include <cmath>
#include <map>
#include <numbers>
#include <random>
#include <sstream>

namespace {

constexpr int kSheet = 480;
constexpr TPoint kCentre{240, 240};
constexpr int kRandomSpecimens = 3;
// Under the sanitizers (eight times slower) the two heaviest rules look at
// fewer specimens and a coarser grid: they are there for invalid accesses.
#ifdef __SANITIZE_ADDRESS__
constexpr int kExplodeSpecimens = 1, kHitGridStep = 4;
#else
constexpr int kExplodeSpecimens = kRandomSpecimens, kHitGridStep = 2;
#endif

// ---- which classes, and where the design asks for an exception

// Registered figure classes that are not figures of a drawing.
const std::map<std::string_view, const char*> kNotFigures = {
    {"TTxFigureSet", "the drawing root holds a drawing and never lies in one"},
    {"TTestSegment", "a fixture of the figure tests"},
    {"TTestSet", "a fixture of the figure tests"},
};

enum class TRule { TurnedMirror, MirrorInSet, PaintInside, ScaledExplode, TurnedExplode };

struct TException {
  std::string_view Class;
  TRule Rule;
  const char* Reason;
};

const TException kExceptions[] = {
    {"TTxPicture", TRule::TurnedMirror,
     "mirroring adds the line's angle to the rotation, so only a horizontal line gives it back"},
    {"TTxOle", TRule::TurnedMirror,
     "mirroring adds the line's angle to the rotation, so only a horizontal line gives it back"},
    {"TTxTadiao", TRule::PaintInside, "its label and arrowhead are left out of its position rectangle"},
    {"TTxTadiao", TRule::ScaledExplode, "its automatic label measures in its set's units"},
    {"TTxTadiao", TRule::TurnedExplode, "its mast is never turned, so it cannot keep a set's turn"},
    {"TTxPicture", TRule::TurnedExplode, "it is always upright, so it cannot keep a set's turn"},
    {"TTxOle", TRule::TurnedExplode, "it is always upright, so it cannot keep a set's turn"},
    {"TChildFigureSet", TRule::TurnedExplode, "its drawing's offsets never turn, so its parts cannot keep a set's turn"},
    {"TTxDefineDwd", TRule::TurnedExplode, "its aster turns with its set but it keeps no angle of its own"},
    {"TTxEdit", TRule::TurnedExplode, "its box is always upright, so it cannot keep a set's turn"},
    {"TTxMemo", TRule::TurnedExplode, "its box is always upright, so it cannot keep a set's turn"},
    {"TDimension", TRule::TurnedExplode, "its underline and text always run level, so it cannot keep a set's turn"},
    {"TBezier", TRule::TurnedMirror, "its control points are whole numbers, so a slanted mirror rounds them"},
};

bool Excepted(const TMetaClass& Class, TRule Rule) {
  for (const TException& e : kExceptions)
    if (e.Class == Class.Name && e.Rule == Rule) return true;
  return false;
}

void DropExcepted(TCustomFigure& F, TRule Rule) {
  auto* set = dynamic_cast<TCustomFigureSet*>(&F);
  if (!set) return;
  for (const TLayer& layer : set->FLayers)
    for (int i = layer.List->Count() - 1; i >= 0; --i) {
      TCustomFigure* part = layer.List->Figures(i);
      if (Excepted(part->ClassType(), Rule))
        layer.List->Delete(i);
      else
        DropExcepted(*part, Rule);
    }
}

std::vector<const TMetaClass*> FigureClasses() {
  std::vector<const TMetaClass*> out;
  for (const TMetaClass* c : RegisteredClasses())
    if (c->Factory && c->InheritsFrom(TCustomFigure::StaticClass()) && !kNotFigures.count(c->Name))
      out.push_back(c);
  return out;
}

bool IsSet(const TMetaClass& Class) { return Class.InheritsFrom(TCustomFigureSet::StaticClass()); }

std::unique_ptr<TCustomFigure> Make(const TMetaClass& Class) {
  std::unique_ptr<TPersistent> made = Class.Create(nullptr);
  auto* f = dynamic_cast<TCustomFigure*>(made.get());
  if (!f) return nullptr;
  made.release();
  return std::unique_ptr<TCustomFigure>(f);
}

// ---- saved values

struct TSaved {
  Bytes P, S;  // the value list and the byte block
};

TSaved Save(TMyPersistent& F) {
  TSaved s;
  s.P = Written([&](TWriter& w) { F.WriteData(w); });
  TMemoryStream m;
  F.WriteStream(m);
  s.S = m.Data();
  return s;
}

// Empty when the images match; floats (tag 5 and ten bytes) may differ by
// Tolerance, relative to their size, when Tolerance is not 0.
std::string Mismatch(const Bytes& A, const Bytes& B, double Tolerance) {
  std::ostringstream out;
  if (A.size() != B.size()) return (out << A.size() << " bytes against " << B.size(), out.str());
  for (std::size_t i = 0; i < A.size(); ++i) {
    if (A[i] == B[i]) continue;
    bool close = false;
    for (std::size_t k = i >= 10 ? i - 10 : 0; k < i && !close; ++k) {
      if (A[k] != 5 || B[k] != 5 || k + 11 > A.size()) continue;
      const double a = ExtendedToDouble(&A[k + 1]), b = ExtendedToDouble(&B[k + 1]);
      if (std::abs(a - b) <= Tolerance * std::max({1.0, std::abs(a), std::abs(b)})) {
        close = true;
        i = k + 10;
      }
    }
    if (!close) return (out << "byte " << i << ": " << int(A[i]) << " against " << int(B[i]), out.str());
  }
  return {};
}

std::string Mismatch(const TSaved& A, const TSaved& B, double Tolerance = 0) {
  std::string m = Mismatch(A.P, B.P, Tolerance);
  if (!m.empty()) return "values, " + m;
  m = Mismatch(A.S, B.S, Tolerance);
  return m.empty() ? m : "byte block, " + m;
}

// The parts of a set, layer by layer, and the saved values of each; the
// parts of a part follow it.
std::vector<std::pair<TCustomFigure*, TSaved>> SavedParts(const TCustomFigure& F) {
  std::vector<std::pair<TCustomFigure*, TSaved>> out;
  if (const auto* set = dynamic_cast<const TCustomFigureSet*>(&F))
    for (const TLayer& layer : set->FLayers)
      for (int i = 0; i < layer.List->Count(); ++i) {
        TCustomFigure* part = layer.List->Figures(i);
        out.push_back({part, Save(*part)});
        for (auto& inner : SavedParts(*part)) out.push_back(std::move(inner));
      }
  return out;
}

// Which parts of a set no longer save what Before held, for the failure message.
std::string ChangedParts(const std::vector<std::pair<TCustomFigure*, TSaved>>& Before, double Tolerance) {
  std::string out;
  for (const auto& [part, saved] : Before) {
    const std::string m = Mismatch(saved, Save(*part), Tolerance);
    if (!m.empty()) out += std::string(" part ") + part->ClassType().Name + " (" + m + ")";
  }
  return out;
}

// Clears caption and name of F and its parts: copies leave them alone.
void ClearNames(TCustomFigure& F) {
  F.FCaption.clear();
  F.FName.clear();
  if (auto* set = dynamic_cast<TCustomFigureSet*>(&F))
    for (const TLayer& layer : set->FLayers)
      for (int i = 0; i < layer.List->Count(); ++i) ClearNames(*layer.List->Figures(i));
}

// Rounding left by arithmetic that undoes itself (a + d - d, 2a - (2a - x)).
constexpr double kRounding = 1e-9;

// ---- specimens

class TRandom {
public:
  explicit TRandom(unsigned Seed) : FGen(Seed) {}
  double Real(double Lo, double Hi) { return std::uniform_real_distribution<double>(Lo, Hi)(FGen); }
  int Int(int Lo, int Hi) { return std::uniform_int_distribution<int>(Lo, Hi)(FGen); }
  bool Coin() { return Int(0, 1) == 1; }
  TPoint Near(TPoint P, int R) { return {P.x + Int(-R, R), P.y + Int(-R, R)}; }

private:
  std::mt19937 FGen;
};

TPoint RectCentre(const TCustomFigure& F) {
  TRect r;
  F.CalcPositionRect(r);
  return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}

// Moves F so that the middle of its position rectangle lands on the logical point At.
void CentreOn(TCustomFigure& F, TPoint At) {
  const TPoint c = RectCentre(F);
  F.MoveByOffset(At.x - c.x, At.y - c.y);
}

void Randomise(TCustomFigure& F, TRandom& R, TPoint At, int Depth);

// What a figure's handles cannot reach: the tool's clicks, contents, kinds.
using THook = void (*)(TCustomFigure& F, TRandom& R, TPoint At);
const std::map<std::string_view, THook> kHooks = {
    {"TArrowLine",
     [](TCustomFigure& F, TRandom& R, TPoint At) {
       // The dimension tool's two clicks give the first segment; a click on it a junction.
       auto& d = static_cast<TCustomArrowLine&>(F);
       const TPoint a = R.Near(At, 60), b = R.Near(At, 60);
       d.SetQd(dptop(a));
       d.SetZd(dptop(b));
       d.RealTimeAddPoint({(a.x + b.x) / 2.0, (a.y + b.y) / 2.0}, nullptr);
       d.FArrowBz = R.Coin();
       d.FFillArrow = R.Coin();
       d.FBzLineWidth = R.Int(1, 2);
       for (TBzLineData& s : d.FBzLines) {
         s.TextAlign = R.Int(0, 2);
         s.Pos = R.Real(0.2, 0.8);
         if (R.Coin()) SetBzLineText(s, "桩号");
       }
     }},
    {"TConstructionLine",
     [](TCustomFigure& F, TRandom& R, TPoint) {
       auto& e = static_cast<TCustomConstructionLine&>(F);
       if (R.Coin()) e.FLx = blArc;  // the middle handle then bends it
       e.FDirection = R.Int(0, 1);
       e.FGap = R.Real(6, 14);
     }},
    {"TTxPicture",
     [](TCustomFigure& F, TRandom& R, TPoint) {
       auto& p = static_cast<TCustomTxPicture&>(F);
       auto picture = std::make_unique<TPicture>();
       picture->LoadFromBitmap(TBitmap(3, 2, COLORREF(R.Int(0, 0xFFFFFF))));
       p.SetPicture(std::move(picture));
       p.FWidth = R.Real(20, 120);
       p.FHeight = R.Real(20, 120);
       p.FSameScale = R.Coin();
     }},
    {"TTxOle",
     [](TCustomFigure& F, TRandom& R, TPoint) {
       auto& o = static_cast<TCustomOle&>(F);
       o.FOle = std::make_unique<TOleObjectBlock>(TOleObjectBlock{std::uint32_t(R.Int(1, 4)), TinyCompoundFile()});
       o.FLoaded = true;
       o.FWidth = R.Real(20, 120);
       o.FHeight = R.Real(20, 120);
     }},
    {"TTxTadiao",
     [](TCustomFigure& F, TRandom& R, TPoint) {
       auto& c = static_cast<TCustomTadiao&>(F);
       c.FBj = R.Real(40, 90);
       c.FTextAlign = R.Int(0, 2);
       c.FFixedBj = R.Coin();
       if (R.Coin()) {
         c.FAutoCalText = false;
         c.FText = "QTZ80";
       }
       c.Refresh();
     }},
    {"TTxPolygon",
     [](TCustomFigure& F, TRandom& R, TPoint At) {
       // The polygon tool's clicks round At, the first edge sometimes an arc.
       auto& p = static_cast<TCustomPolygon&>(F);
       const int n = R.Int(3, 5);
       for (int i = 0; i < n; ++i) {
         const double a = 2 * std::numbers::pi * i / n + R.Real(-0.3, 0.3);
         p.AddPoint({At.x + R.Real(30, 60) * std::cos(a), At.y + R.Real(30, 60) * std::sin(a)});
       }
       if (R.Coin()) {
         TTxPolygonBxdy& v = p.Vertex(0);
         v.FLx = blArc;
         v.FBj = 80;
         v.FDirection = R.Int(0, 1);
         p.Modified();
       }
     }},
    {"TTxMltLine",
     [](TCustomFigure& F, TRandom& R, TPoint At) {
       // The tool's clicks, then one segment bent into an arc.
       auto& m = static_cast<TCustomMltLine&>(F);
       for (int i = 0, n = R.Int(2, 5); i < n; ++i) m.AddPoint(dptop(R.Near(At, 70)));
       TTxPolygonBxdy& v = m.Vertex(R.Int(0, m.GetPointCount() - 2));
       v.FLx = blArc;
       v.FBj = R.Real(40, 90);
       v.FDirection = R.Int(0, 1);
       m.Modified();
     }},
    {"TDoubleLine",
     [](TCustomFigure& F, TRandom& R, TPoint At) {
       auto& d = static_cast<TCustomDoubleLine&>(F);
       for (int i = 0, n = R.Int(2, 5); i < n; ++i) d.AddPoint(dptop(R.Near(At, 70)));
       d.FGap = R.Real(-15, 15);
       d.FPen1.Width = R.Int(1, 4);
       d.FPen1.Style = R.Coin() ? psSolid : psDash;
       d.Modified();
     }},
    {"TDxLine",
     [](TCustomFigure& F, TRandom& R, TPoint At) {
       auto& d = static_cast<TCustomDxLine&>(F);
       for (int i = 0, n = R.Int(2, 5); i < n; ++i) d.AddPoint(dptop(R.Near(At, 70)));
       d.FGap = R.Real(5, 40);  // below the minimum too
       d.Modified();
     }},
    {"TDLine",
     [](TCustomFigure& F, TRandom& R, TPoint At) {
       auto& d = static_cast<TCustomDLine&>(F);
       for (int i = 0, n = R.Int(2, 5); i < n; ++i) d.AddPoint(dptop(R.Near(At, 70)));
       d.FGap = R.Real(10, 60);
       d.FLx = R.Int(0, 1);
       d.Modified();
     }},
    {"TTrailLine",
     [](TCustomFigure& F, TRandom& R, TPoint At) {
       auto& t = static_cast<TCustomTrailLine&>(F);
       for (int i = 0, n = R.Int(2, 5); i < n; ++i) t.AddPoint(dptop(R.Near(At, 70)));
       t.FGap = R.Real(8, 40);
       t.FWidth = R.Real(2, 12);
       t.Modified();
     }},
    {"TTxTextLine",
     [](TCustomFigure& F, TRandom& R, TPoint At) {
       auto& t = static_cast<TCustomTextLine&>(F);
       for (int i = 0, n = R.Int(2, 5); i < n; ++i) t.AddPoint(dptop(R.Near(At, 70)));
       t.FText = R.Coin() ? "道路" : "V";
       t.FGap = R.Real(0, 30);
       t.FFont->FHeight = R.Real(8, 16);
       t.Modified();
     }},
    {"TDimension",
     [](TCustomFigure& F, TRandom& R, TPoint At) {
       // The multi-point tool's clicks.
       auto& d = static_cast<TCustomDimension&>(F);
       TTxCollectBxdy pts;
       for (int i = 0, n = R.Int(2, 4); i < n; ++i)
         static_cast<TTxPolygonBxdy*>(pts.AddObject())->FDwd = dptop(R.Near(At, 60));
       d.FText = R.Coin() ? "塔吊" : "100";
       d.FTextAlign = R.Int(0, 1);
       d.CreateByRefPoint(pts);
     }},
    {"TTxXLabel",
     [](TCustomFigure& F, TRandom& R, TPoint) {
       auto& l = static_cast<TCustomXLabel&>(F);
       l.FText = R.Coin() ? "拟建建筑" : "1#塔吊施工道路";
       l.FAutoSize = R.Coin();
       l.FWidth = R.Real(30, 120);
       l.FHeight = R.Real(12, 50);
     }},
    {"TTxMemo",
     [](TCustomFigure& F, TRandom& R, TPoint) {
       auto& m = static_cast<TCustomTxMemo&>(F);
       m.FLines = {"施工说明", R.Coin() ? "丂万" : ""};
       m.FWidth = R.Real(40, 120);
       m.FHeight = R.Real(20, 80);
     }},
    {"TPenLine",
     [](TCustomFigure& F, TRandom& R, TPoint At) {
       auto& l = static_cast<TCustomPenLine&>(F);
       TPoint p = R.Near(At, 40);
       for (int i = 0; i < 20; ++i, p = R.Near(p, 12)) l.AddPoint(dptop(p));
       l.FXLine = R.Coin();
       l.FGap = R.Real(6, 14);
       l.FJd = R.Real(0.3, 2.5);
     }},
    {"TBezier",
     [](TCustomFigure& F, TRandom& R, TPoint At) {
       auto& b = static_cast<TCustomBezier&>(F);
       for (int i = 0, n = R.Int(2, 6); i < n; ++i) b.AddPoint(dptop(R.Near(At, 70)));
     }},
    {"TPolygonMesh",
     [](TCustomFigure& F, TRandom& R, TPoint At) {
       // What the DXF reader hands over: rows of points.
       auto& m = static_cast<TCustomPolygonMesh&>(F);
       std::vector<Tpt> pts;
       for (int i = 0; i < 3; ++i)
         for (int j = 0; j < 4; ++j) pts.push_back(m.xyTransAbsPt(At.x + 20 * j + R.Int(-4, 4), At.y + 15 * i + R.Int(-4, 4)));
       m.InitFigure(3, 4, R.Coin(), R.Coin(), pts);
     }},
    {"TTxDefineDwd",
     [](TCustomFigure& F, TRandom& R, TPoint) {
       auto& d = static_cast<TTxDefineDwd&>(F);
       d.SetXz(R.Int(dsAster, dsWhiteSquare));
       d.FBj = R.Int(2, 8);
     }},
};

// A set gets a size and one part of every class (sets only at the top),
// each somewhere in its frame; a child drawing also a hidden and a shown layer.
void Fill(TCustomFigureSet& Set, TRandom& R, int Depth) {
  Set.FWidth = R.Real(60, 140);
  Set.FHeight = R.Real(50, 120);
  if (R.Coin()) Set.FAbsx = R.Real(-5, 5), Set.FAbsy = R.Real(-5, 5);
  auto part = [&](const TMetaClass& c) {
    std::unique_ptr<TCustomFigure> f = Make(c);
    f->FParent = &Set;
    f->SetDocument(Set.FDocument);
    const Tpt at = f->xyTransLogPt(Set.FWidth * R.Real(0.3, 0.7), Set.FHeight * R.Real(0.3, 0.7));
    Randomise(*f, R, ptodp(at), Depth + 1);
    return f;
  };
  for (const TMetaClass* c : FigureClasses())
    if (Depth == 0 || !IsSet(*c)) Set.InsertFigure(part(*c));
  if (!Set.InheritsFrom(TChildFigureSet::StaticClass())) return;
  const TMetaClass* first = FigureClasses().front();
  for (const char* entry : {"隐藏=0", "道路=1"}) {
    auto list = std::make_unique<TTxCollectFigure>();
    list->Add(part(*first));
    Set.AddLayer(entry, std::move(list));
  }
}

void Randomise(TCustomFigure& F, TRandom& R, TPoint At, int Depth) {
  static const TPenStyle kStyles[] = {psSolid, psDash, psDot, psDashDot, psDashDotDot, psInsideFrame};
  F.FCaption = R.Coin() ? "说明" : "";
  F.FName = R.Coin() ? "甲" : "";
  F.FPen = TPen{COLORREF(R.Int(0, 0xFFFFFF)), pmCopy, kStyles[R.Int(0, 5)], R.Int(1, 2)};
  F.FBrush.Color = COLORREF(R.Int(0, 0xFFFFFF));
  F.FBrush.Style = R.Coin() ? bsSolid : bsClear;
  if (const auto hook = kHooks.find(F.ClassType().Name); hook != kHooks.end()) hook->second(F, R, At);
  if (auto* set = dynamic_cast<TCustomFigureSet*>(&F)) Fill(*set, R, Depth);
  F.SetScale(R.Real(0.6, 1.5));
  F.SetXzjd(R.Real(-180, 180));
  CentreOn(F, At);
  for (int i = 1; i <= F.GetHandleCount(); ++i) {
    TPoint h;
    F.GetHandle(i, h);
    F.MoveHandleTo(i, R.Near(h, 30));
  }
  if (Depth == 0 && R.Coin()) {
    TTxBlock pattern;
    pattern.InitialParas(8, 8);
    pattern.InsertFigure(Make(*FigureClasses().front()));
    F.SetFillItem(&pattern);
  }
  CentreOn(F, At);
}

// A drawing with, when asked, a turned and scaled set on it (a block unless
// another set class is given); specimens are put on the sheet or in the set.
struct TStage {
  TFakeDocument Doc;
  TTxFigureSet Root;
  TCustomFigureSet* Frame = nullptr;  // the set the specimen lies in, or none

  TStage(bool InSet, double Angle = 30, const TMetaClass& SetClass = TTxBlock::StaticClass()) {
    Root.SetDocument(&Doc);
    if (!InSet) return;
    std::unique_ptr<TCustomFigure> made = Make(SetClass);
    auto* set = static_cast<TCustomFigureSet*>(made.get());
    set->FWidth = set->FHeight = 300;
    set->FYd = {200, 40};
    set->FAbsx = 4;
    set->FAbsy = -3;
    set->FScale = 0.8;
    set->FXzJd = Angle;
    set->FPen.Style = psClear;
    set->FParent = &Root;
    set->SetDocument(&Doc);
    Frame = set;
    Root.FFigures->Insert(0, std::move(made));
  }
  TCustomFigureSet& Holder() { return Frame ? *Frame : static_cast<TCustomFigureSet&>(Root); }

  TCustomFigure& Put(std::unique_ptr<TCustomFigure> F) {
    TCustomFigure& f = *F;
    f.FParent = &Holder();
    f.SetDocument(&Doc);
    Holder().FFigures->Insert(0, std::move(F));
    return f;
  }
};

struct TSpecimen {
  std::string Label;
  std::unique_ptr<TStage> Stage;
  TCustomFigure* Figure = nullptr;
};

// Seed 0 is the class as made (only centred on the sheet), others randomised.
TSpecimen MakeSpecimen(const TMetaClass& Class, unsigned Seed, std::unique_ptr<TStage> Stage) {
  TSpecimen s;
  s.Stage = std::move(Stage);
  s.Figure = &s.Stage->Put(Make(Class));
  TRandom r(Seed * 7919u + unsigned(std::string_view(Class.Name).size()));
  if (Seed == 0)
    CentreOn(*s.Figure, kCentre);
  else
    Randomise(*s.Figure, r, kCentre, 0);
  std::ostringstream label;
  label << Class.Name << (Seed == 0 ? " as made" : " randomised, seed " + std::to_string(Seed))
        << (s.Stage->Frame ? " in a turned, scaled set" : " on the sheet");
  s.Label = label.str();
  return s;
}

// Every class, as made and randomised, on the sheet and in a block.
template <class Fn>
void ForEachSpecimen(Fn&& Check) {
  const std::vector<const TMetaClass*> classes = FigureClasses();
  ASSERT_FALSE(classes.empty());
  for (const TMetaClass* c : classes)
    for (bool inSet : {false, true})
      for (unsigned seed = 0; seed <= kRandomSpecimens; ++seed) {
        TSpecimen s = MakeSpecimen(*c, seed, std::make_unique<TStage>(inSet));
        SCOPED_TRACE(s.Label);
        Check(*c, s);
      }
}

// ---- pixels

TRect Grown(TRect R, int By) {
  ExpandRect(R, 0);
  return {R.Left - By, R.Top - By, R.Right + By, R.Bottom + By};
}

bool Inside(const TRect& R, double X, double Y) { return R.Left <= X && X <= R.Right && R.Top <= Y && Y <= R.Bottom; }

// Ink of A with no ink of B in the 3 by 3 pixels around it.
int Unmatched(const Sheet& A, const Sheet& B) {
  int n = 0;
  for (int y = 0; y < kSheet; ++y)
    for (int x = 0; x < kSheet; ++x) {
      if (!A.Ink(x, y)) continue;
      bool near = false;
      for (int dy = -1; dy <= 1 && !near; ++dy)
        for (int dx = -1; dx <= 1 && !near; ++dx) {
          const int u = x + dx, v = y + dy;
          near = u >= 0 && v >= 0 && u < kSheet && v < kSheet && B.Ink(u, v);
        }
      n += !near;
    }
  return n;
}

std::string Describe(const TRect& R) {
  std::ostringstream out;
  out << "(" << R.Left << ", " << R.Top << ") - (" << R.Right << ", " << R.Bottom << ")";
  return out.str();
}

}  // namespace

// ---- saved values

TEST(FigureContract, EveryFigureClassIsFoundInTheRegistry) {
  std::vector<std::string> names;
  for (const TMetaClass* c : FigureClasses()) names.push_back(c->Name);
  for (const char* known : {"TTxLine", "TArrowLine", "TConstructionLine", "TTxBlock", "TChildFigureSet"})
    EXPECT_NE(std::find(names.begin(), names.end(), known), names.end()) << known;
  for (const TException& e : kExceptions) EXPECT_NE(GetClass(e.Class), nullptr) << e.Class << ": " << e.Reason;
}

TEST(FigureContract, SavedValuesReadBackToTheSameBytes) {
  // Straight from the constructor, before anything else touched it.
  for (const TMetaClass* c : FigureClasses()) {
    std::unique_ptr<TCustomFigure> made = Make(*c);
    const TSaved saved = Save(*made);
    std::unique_ptr<TCustomFigure> back = Make(*c);
    TReader r(saved.P);
    back->ReadData(r);
    EXPECT_EQ(r.Remaining(), 0u) << c->Name;
    EXPECT_EQ(Mismatch(saved, Save(*back)), "") << c->Name << " as constructed";
  }
  ForEachSpecimen([](const TMetaClass& c, TSpecimen& s) {
    const TSaved saved = Save(*s.Figure);
    std::unique_ptr<TCustomFigure> back = Make(c);
    back->FParent = s.Figure->FParent;
    back->SetDocument(&s.Stage->Doc);
    TReader r(saved.P);
    back->ReadData(r);
    EXPECT_EQ(r.Remaining(), 0u);
    TMemoryStream m(saved.S);
    back->ReadStream(m);
    EXPECT_EQ(m.Position(), m.Size());
    back->Loaded();
    EXPECT_EQ(Mismatch(saved, Save(*back)), "");
    // The set around it, with the specimen inside, too.
    if (TCustomFigureSet* set = s.Stage->Frame) {
      const TSaved outer = Save(*set);
      std::unique_ptr<TCustomFigure> copy = Make(set->ClassType());
      TReader ro(outer.P);
      copy->ReadData(ro);
      TMemoryStream mo(outer.S);
      copy->ReadStream(mo);
      copy->Loaded();
      EXPECT_EQ(Mismatch(outer, Save(*copy)), "") << "the set holding it";
    }
  });
}

TEST(FigureContract, ACloneSavesTheSameValues) {
  ForEachSpecimen([](const TMetaClass& c, TSpecimen& s) {
    // Copying leaves caption and name to the copy's owner.
    ClearNames(*s.Figure);
    std::unique_ptr<TDocItem> clone = s.Figure->Clone();
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(&clone->ClassType(), &c);
    EXPECT_EQ(Mismatch(Save(*s.Figure), Save(*clone)), "");
  });
}

TEST(FigureContract, MirroringTwiceOverOneLineGivesTheValuesBack) {
  ForEachSpecimen([](const TMetaClass& c, TSpecimen& s) {
    DropExcepted(*s.Figure, TRule::MirrorInSet);
    const TSaved before = Save(*s.Figure);
    const auto parts = SavedParts(*s.Figure);
    const Tpt p = s.Figure->xyTransAbsPt(kCentre.x + 7, kCentre.y - 3);
    const double angle = Excepted(c, TRule::TurnedMirror) ? 0 : 0.6;
    const TBx line = pjdtobx(p, angle);
    s.Figure->FigureMirror(line);
    s.Figure->FigureMirror(line);
    EXPECT_EQ(Mismatch(before, Save(*s.Figure), kRounding), "")
        << "mirror line at " << angle << " rad;" << ChangedParts(parts, kRounding);
  });
}

TEST(FigureContract, MovingByAnOffsetAndBackGivesTheValuesBack) {
  ForEachSpecimen([](const TMetaClass&, TSpecimen& s) {
    const TSaved before = Save(*s.Figure);
    s.Figure->MoveByOffset(37, -23);
    s.Figure->MoveByOffset(-37, 23);
    EXPECT_EQ(Mismatch(before, Save(*s.Figure), kRounding), "");
  });
}

// ---- bounds

TEST(FigureContract, EveryHitLiesInsideTheHitBoundsAndThePositionRectangle) {
  ForEachSpecimen([](const TMetaClass&, TSpecimen& s) {
    const TCustomFigure& f = *s.Figure;
    TRect rect;
    f.CalcPositionRect(rect);
    const TRect allowed = Grown(rect, s.Stage->Doc.CaptureBj + f.FPen.Width + 1);
    TDBox box;
    const bool bounded = f.HitBounds(1.0, box);
    const TRect grid = Grown(rect, 40);
    int outside = 0;
    std::string first;
    for (int y = grid.Top; y <= grid.Bottom; y += kHitGridStep)
      for (int x = grid.Left; x <= grid.Right; x += kHitGridStep) {
        if (!f.Selected({double(x), double(y)}, 1.0)) continue;
        const bool inBox = !bounded || (box.x0 <= x && x <= box.x1 && box.y0 <= y && y <= box.y1);
        if (inBox && Inside(allowed, x, y)) continue;
        if (outside++ == 0)
          first = "(" + std::to_string(x) + ", " + std::to_string(y) + ")" + (inBox ? "" : " outside the hit bounds");
      }
    EXPECT_EQ(outside, 0) << "hits outside " << Describe(allowed) << ", the first at " << first;
  });
}

TEST(FigureContract, EveryPaintedPixelLiesInsideThePositionRectangle) {
  ForEachSpecimen([](const TMetaClass& c, TSpecimen& s) {
    if (Excepted(c, TRule::PaintInside)) return;
    Sheet sheet(kSheet, kSheet);
    PaintFigure(*s.Figure, sheet);
    TRect rect;
    s.Figure->CalcPositionRect(rect);
    // Mitre joins reach up to two and a half pen widths past a corner.
    const TRect allowed = Grown(rect, 3 * s.Figure->FPen.Width + 1);
    int outside = 0;
    std::string first;
    for (int row = 0; row < kSheet; ++row)
      for (int x = 0; x < kSheet; ++x)
        if (sheet.Ink(x, row) && !Inside(allowed, x, kSheet - row) && outside++ == 0)
          first = "(" + std::to_string(x) + ", " + std::to_string(kSheet - row) + ")";
    EXPECT_EQ(outside, 0) << "pixels outside " << Describe(allowed) << ", the first at " << first;
  });
}

// ---- exploding

TEST(FigureContract, ExplodingOutOfASetKeepsThePaintedPixels) {
  struct TFrame {
    double Scale, Angle;
    TRule Rule;  // what a family may be excepted from here
  };
  const TFrame frames[] = {{1, 0, TRule::ScaledExplode}, {0.8, 0, TRule::ScaledExplode}, {0.8, 30, TRule::TurnedExplode}};
  const std::vector<const TMetaClass*> classes = FigureClasses();
  for (const TMetaClass* setClass : classes) {
    if (!IsSet(*setClass)) continue;
    for (const TFrame& frame : frames)
      for (const TMetaClass* c : classes) {
        if (Excepted(*c, frame.Rule) || (frame.Scale != 1 && Excepted(*c, TRule::ScaledExplode))) continue;
        for (unsigned seed = 0; seed <= kExplodeSpecimens; ++seed) {
          auto stage = std::make_unique<TStage>(true, frame.Angle, *setClass);
          stage->Frame->FScale = frame.Scale;
          TSpecimen s = MakeSpecimen(*c, seed, std::move(stage));
          SCOPED_TRACE(s.Label + ", out of a " + setClass->Name + " scaled by " + std::to_string(frame.Scale) +
                       " and turned by " + std::to_string(int(frame.Angle)));
          s.Stage->Root.ClearHistory();
          DropExcepted(*s.Figure, frame.Rule);
          if (frame.Scale != 1) DropExcepted(*s.Figure, TRule::ScaledExplode);
          Sheet inside(kSheet, kSheet);
          PaintFigure(*s.Figure, inside);
          std::unique_ptr<TDocItem> item = s.Figure->Clone();
          auto* out = dynamic_cast<TCustomFigure*>(item.get());
          ASSERT_NE(out, nullptr);
          out->FParent = &s.Stage->Root;
          out->Explode(*s.Stage->Frame);
          Sheet outside(kSheet, kSheet);
          PaintFigure(*out, outside);
          // Dash phases follow rounded segment lengths, so a dash end may
          // slip by more than a pixel where the points round differently.
          const int slack = 2 + std::max(inside.InkCount(), outside.InkCount()) / 200;
          EXPECT_LE(Unmatched(inside, outside), slack) << "pixels lost by exploding";
          EXPECT_LE(Unmatched(outside, inside), slack) << "pixels gained by exploding";
        }
      }
  }
}
