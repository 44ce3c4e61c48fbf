#include "tools/ToolList.h"

#include "docview/FiguresDoc.h"
#include "figures/Blocks.h"
#include "figures/LineFigures.h"
#include "figures/Pictures.h"
#include "tools/MultiPointTools.h"
#include "tools/PointTools.h"
#include "tools/SelectTool.h"
#include "tools/ToolFigureOps.h"

#include <memory>

const std::vector<TToolListEntry>& ToolListTable() {
  static const std::vector<TToolListEntry> table{
      {tkMirror, nullptr},
      {tkSelect, "TDocItem"},
      {tkPenLine, "TPenLine"},
      {tkOnePoint, "TTxXLabel"},
      {tkOnePoint, "TTxEdit"},
      {tkOnePoint, "TTxMemo"},
      {tkOnePoint, "TTxDefineDwd"},
      {tkOnePoint, "TTxTadiao"},
      {tkBzLine, "TArrowLine"},
      {tkTwoPoint, "TTxFRectangle"},
      {tkTwoPoint, "TTxCircle"},
      {tkTwoPoint, "TTxLine"},
      {tkTwoPoint, "TConstructionLine"},
      {tkTwoPoint, "TTxRectArc"},
      {tkTwoPoint, "TTxOle"},
      {tkTwoPoint, "TTxEllipse"},
      {tkTwoPoint, "TTxRoundRect"},
      {tkTwoPoint, "TTxBlock"},
      {tkTwoPoint, "TTxZPolygon"},
      {tkTwoPoint, "TTxPicture"},
      {tkThreePoint, "TTxCirpart"},
      {tkThreePoint, "TTxArc"},
      {tkThreePoint, "TTxChord"},
      {tkPolygon, "TTxPolygon"},
      {tkMultiPoint, "TDimension"},
      {tkMultiLine, "TTxTextLine"},
      {tkMultiLine, "TTxMltLine"},
      {tkMultiLine, "TDoubleLine"},
      {tkMultiLine, "TDxLine"},
      {tkMultiLine, "TDLine"},
      {tkMultiLine, "TTrailLine"},
      {tkBezier, "TBezier"},
  };
  return table;
}

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
  for (const TToolListEntry& e : ToolListTable()) {
    const TMetaClass* cls = nullptr;
    if (e.ClassName) {
      // TDocItem is no saved class, so it is not in the registry.
      cls = e.Kind == tkSelect ? &TDocItem::StaticClass() : GetClass(e.ClassName);
      if (!cls) continue;
    }
    Doc.AddTool(MakeTool(e.Kind, cls));
  }
}

void InstallToolListFactory() { SetToolListFactory(&FillToolList); }

void RegisterTools() {
  // The figure families written so far; the others bind here as they come.
  BindToolOps<TTxLine>();
  BindToolOps<TConstructionLine>();
  BindToolOps<TArrowLine>();
  BindToolOps<TTxPicture>();
  BindToolOps<TTxOle>();
  BindToolOps<TTxBlock>();
  InstallToolListFactory();
}
