#include "tools/ToolFigureOps.h"

#include "figures/FigureFamily.h"

#include <map>

namespace {
// Filled at start-up, like the class registry.
std::map<const TMetaClass*, std::unique_ptr<TToolFigureOps>>& OpsTable() {
  static std::map<const TMetaClass*, std::unique_ptr<TToolFigureOps>> table;
  return table;
}
}  // namespace

void RegisterToolFigureOps(const TMetaClass& Class, std::unique_ptr<TToolFigureOps> Ops) {
  OpsTable()[&Class] = std::move(Ops);
}

const TToolFigureOps& ToolOps(const TCustomFigure& Figure) {
  static const TToolFigureOps none;
  const auto& table = OpsTable();
  for (const TMetaClass* c = &Figure.ClassType(); c; c = c->Parent)
    if (auto it = table.find(c); it != table.end()) return *it->second;
  if (const TFigureFamily* family = FamilyOf(Figure.ClassType()); family && family->Ops) return *family->Ops;
  return none;
}
