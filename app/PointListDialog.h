#pragma once
// The point-list editor ("定义端点"): a figure's vertices listed in absolute
// coordinates or relative to the first or the previous vertex, with insert,
// delete, edit and reorder. It works on its own copy; the caller takes it on OK.

#include "app/PropertyForm.h"
#include "figures/Blocks.h"

#include <memory>
#include <string>
#include <vector>

class TEditPoints {
public:
  enum TMode { Absolute = 0, RelativeFirst = 1, RelativePrevious = 2 };

  TEditPoints(const TTxCollectBxdy& List, const TCustomFigure& Figure, QWidget* Parent = nullptr);
  ~TEditPoints();
  TPropertyForm& Form() { return *FForm; }
  // Modal (or the command form hook); true on OK.
  bool Execute();
  const TTxCollectBxdy& Points() const { return *FPoints; }

  // The list's lines as shown: "x,y" in the current coordinate type.
  std::vector<std::string> Lines() const;
  int Selected() const;
  void Select(int Row);
  // What the pop-up menu offers, on the selected line. Add and Edit ask for
  // the point in the small point dialog.
  void Add();
  void Delete();
  void Edit();
  void MoveUp();
  void MoveDown();

private:
  TMode Mode() const;
  // Vertex Index as the current coordinate type shows it.
  Tpt Shown(int Index) const;
  // A typed value back to a local point; Base is the vertex it is relative to.
  Tpt Typed(Tpt Value, int Base) const;
  // Asks for a point in the point dialog, showing Value (or nothing when
  // Empty); false on Cancel or when a number does not parse.
  bool AskPoint(Tpt& Value, bool Empty);
  void Redraw(int Row);

  std::unique_ptr<TTxCollectBxdy> FPoints;
  const TCustomFigure& FFigure;
  std::unique_ptr<TPropertyForm> FForm;
  int FList = 0;  // the list's field
};
