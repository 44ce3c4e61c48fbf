#pragma once
// Every drawing document owns one tool per figure class: the mirror and
// selection tools, then one for each registered figure family, of the kind
// its descriptor names, in registration order. A class without a family gets
// no tool (the window's command for it then leaves the current tool in
// place, as SetDrawShape does).

#include "figures/FigureFamily.h"

class TFiguresDoc;

// Adds the mirror and selection tools and one tool per registered family.
void FillToolList(TFiguresDoc& Doc);
// Makes every new TFiguresDoc fill its tool list; safe to call more than once.
void InstallToolListFactory();
// Installs the tool list factory (the families bring their operations).
void RegisterTools();
