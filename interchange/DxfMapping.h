#pragma once
// Between DXF entities and the drawing's figures: reading a DXF file into the
// drawing root's layers (ReadFromDxfFile and its Load... routines) and
// writing the root's layers and figures as DXF (SaveToDxfFile and its
// Save... routines).

#include "interchange/DxfEntities.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

class TTxFigureSet;
class TCustomFigure;
class TCustomTadiao;
class TCustomPenLine;
class DXF_Reader;

// Fraction done, 0 to 1.
using TDxfProgress = std::function<void(double)>;

struct TDxfReadResult {
  bool Complete = true;
  std::string Error;  // the reader's message, naming the line
  int ErrorLine = 0;
  // Entities read but not made into figures, by DXF name, with counts.
  std::map<std::string, int> Skipped;
  int BlockCycles = 0;   // inserts of a block into itself, left empty
  int MissingBlocks = 0; // inserts of blocks the file does not define
  std::size_t Figures = 0;
  std::string Encoding;
  // The notes for the user, one line each (Chinese).
  std::vector<std::string> Notes() const;
  // For an incomplete read: where the file went wrong, for the user (Chinese).
  std::string ErrorNote() const;
};

// Replaces the root's layers and figures with the file's content. A failure
// keeps what was read before it and says so in the result.
TDxfReadResult ReadFromDxfFile(TTxFigureSet& Root, const std::string& FileName, const TDxfProgress& Progress = {});
// The same from DXF text (tests, the benchmark).
TDxfReadResult ReadFromDxfText(TTxFigureSet& Root, std::string_view Text);
// The mapping alone, over a reader that has read; it uses up the layers' entities.
void LoadDxf(TTxFigureSet& Root, DXF_Reader& Reader, TDxfReadResult& Result);

// What cannot be written to DXF: the kinds of figure (Chinese) with counts.
std::vector<std::pair<std::string, int>> DxfUnwritableFigures(const TTxFigureSet& Root);
// The DXF layers of the drawing, one per layer of the root.
DXF_Object BuildDxfObject(TTxFigureSet& Root, const TDxfProgress& Progress = {});
// Writes every layer and figure; throws when the file cannot be written.
void SaveToDxfFile(TTxFigureSet& Root, const std::string& FileName, const TDxfProgress& Progress = {});

// Maps a figure's local points to the drawing's DXF coordinates (the frame
// of the root's own figures).
class TDxfPlace {
public:
  explicit TDxfPlace(const TCustomFigure& Figure);
  Point3D Pt(double X, double Y) const;
  double Len(double V) const;
  // The figure's rotation on the sheet, degrees.
  double Angle() const { return FAngle; }

private:
  const TCustomFigure& FFigure;
  double FScale = 1, FOx = 0, FOy = 0, FAngle = 0;
};

// The figures' own exports: entities of the crane and the freehand line in
// the drawing's coordinates, coloured with the pen colour.
void SaveToDxf(const TCustomTadiao& Crane, DXF_Layer& Layer);
void SaveToDxf(const TCustomPenLine& Line, DXF_Layer& Layer);
