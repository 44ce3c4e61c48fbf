#include "figures/FigureFamily.h"

#include <algorithm>
#include <cmath>

namespace {
// Filled at start-up, like the class registry.
std::vector<TFigureFamily>& Table() {
  static std::vector<TFigureFamily> table;
  return table;
}
}  // namespace

void RegisterFamily(TFigureFamily Family) {
  auto& table = Table();
  auto it = std::find_if(table.begin(), table.end(), [&](const TFigureFamily& f) { return f.Class == Family.Class; });
  if (it != table.end())
    *it = std::move(Family);
  else
    table.push_back(std::move(Family));
}

const std::vector<TFigureFamily>& Families() { return Table(); }

const TFigureFamily* FamilyOf(const TMetaClass& Class) {
  for (const TMetaClass* c = &Class; c; c = c->Parent)
    for (const TFigureFamily& f : Table())
      if (f.Class == c) return &f;
  return nullptr;
}

const TFigureFamily* FamilyOfAction(std::string_view Action) {
  for (const TFigureFamily& f : Table())
    if (f.Action && Action == f.Action) return &f;
  return nullptr;
}

void SketchArrow(TIconSketch& S, double FromX, double FromY, double ToX, double ToY) {
  S.Line(FromX, FromY, ToX, ToY);
  const double a = std::atan2(ToY - FromY, ToX - FromX);
  const double l = 6, w = 0.45;
  S.Fill(true);
  S.Polygon({{ToX, ToY}, {ToX - l * std::cos(a - w), ToY - l * std::sin(a - w)},
             {ToX - l * std::cos(a + w), ToY - l * std::sin(a + w)}});
  S.Fill(false);
}
