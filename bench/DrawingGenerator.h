#pragma once
// Large, realistic site-plan drawings made with the program's own classes,
// for the benchmarks and for tests that compare fast paths with plain ones.
// The same count and seed always give the same drawing, byte for byte.

#include <cstdint>
#include <memory>

class TFiguresDoc;
class TTxProjectFile;

struct TGeneratedDrawing {
  int Figures = 0;
  double PageWidth = 0, PageHeight = 0;  // local units
};

// Fills Doc's root with Figures figures of every family on four layers:
// buildings (wall lines, filled and hatched outlines, round shapes, combined
// parcels), site edges and arcs, annotations (dimension and leader lines,
// labels, notes, texts along lines), and site services (cranes, symbols of
// the bundled block library, pictures, paths and route lines, leader
// arrows). Without the block library its share goes to leader arrows. The
// root's scale is set so that the page fills a 1920 x 1080 window.
TGeneratedDrawing GenerateDrawing(TFiguresDoc& Doc, int Figures, std::uint32_t Seed = 1);

// A project file holding one generated document.
std::unique_ptr<TTxProjectFile> GenerateDrawingFile(int Figures, std::uint32_t Seed = 1);
