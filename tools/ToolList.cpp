#include "tools/ToolList.h"

#include "docview/FiguresDoc.h"
#include "figures/FigureFamily.h"
#include "tools/MultiPointTools.h"
#include "tools/PointTools.h"
#include "tools/SelectTool.h"
#include "tools/ToolFigureOps.h"

#include <memory>

namespace {
std::unique_ptr<TDrawTool> MakeTool(TToolKind Kind, const TMetaClass* Class) {
  switch (Kind) {
    case tkMirror: return std::make_unique<TMirrorTool>(Class);
    case tkSelect: return std::make_unique<TSelectTool>(Class);
    case tkPenLine: return std::make_unique<TPenLineTool>(Class);
    case tkOnePoint: return std::make_unique<TOnePointTool>(Class);
    case tkBzLine: return std::make_unique<TBzLineTool>(Class);
    case tkTwoPoint: return std::make_unique<TTwoPointTool>(Class);
    case tkThreePoint: return std::make_unique<TThreePointTool>(Class);
    case tkPolygon: return std::make_unique<TPolygonTool>(Class);
    case tkMultiPoint: return std::make_unique<TMultiPointTool>(Class);
    case tkMultiLine: return std::make_unique<TMultiLineTool>(Class);
    case tkBezier: return std::make_unique<TBezierTool>(Class);
  }
  return nullptr;
}
}  // namespace

void FillToolList(TFiguresDoc& Doc) {
  Doc.AddTool(MakeTool(tkMirror, nullptr));
  // TDocItem is no saved class: the selection tool takes every figure.
  Doc.AddTool(MakeTool(tkSelect, &TDocItem::StaticClass()));
  for (const TFigureFamily& f : Families())
    if (f.Tool != tkMirror && f.Tool != tkSelect) Doc.AddTool(MakeTool(f.Tool, f.Class));
}

void InstallToolListFactory() { SetToolListFactory(&FillToolList); }

void RegisterTools() { InstallToolListFactory(); }
