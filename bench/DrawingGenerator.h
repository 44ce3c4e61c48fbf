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

// Fills Doc's root with about Figures figures on four layers: building
// outlines (clusters of short lines), site edge lines (straight and arcs),
// dimension lines with texts and leader arrows. The root's scale is set so
// that the page fills a 1920 x 1080 window.
TGeneratedDrawing GenerateDrawing(TFiguresDoc& Doc, int Figures, std::uint32_t Seed = 1);

// A project file holding one generated document.
std::unique_ptr<TTxProjectFile> GenerateDrawingFile(int Figures, std::uint32_t Seed = 1);
