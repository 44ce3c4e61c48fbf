#pragma once
// Every drawing document owns one tool per figure class. The table below
// fills a new document's tool list in a fixed order; a figure class not
// registered when the document is made gets no tool (the window's command
// for it then leaves the current tool in place, as SetDrawShape does).

#include <string>
#include <vector>

class TFiguresDoc;

enum TToolKind : int {
  tkMirror, tkSelect, tkPenLine, tkOnePoint, tkBzLine, tkTwoPoint, tkThreePoint, tkPolygon, tkMultiPoint,
  tkMultiLine, tkBezier
};

struct TToolListEntry {
  TToolKind Kind;
  const char* ClassName;  // null: the mirror tool's nil class
};

// The tool table in the order the document registers it.
const std::vector<TToolListEntry>& ToolListTable();
// Adds the tools of the table whose classes are registered, in order.
void FillToolList(TFiguresDoc& Doc);
// Makes every new TFiguresDoc fill its tool list; safe to call more than once.
void InstallToolListFactory();
// Binds the tools' figure operations of the figure classes written so far
// and installs the tool list factory.
void RegisterTools();
