#pragma once
// Printing without a window: the stored layout into a PDF file, and the
// drawing's page as a PNG or SVG picture (the command line's convert).

#include <string>

class TDrawView;
class TFiguresDoc;

// Prints every sheet of the document's stored layout (scale, grid, margins,
// alignment, frame) into one PDF. Returns the pages written; 0 with Error
// set when the layout holds no page. The drawing is left as it was.
int PrintDocumentToPdf(TFiguresDoc& Doc, const std::string& File, std::string& Error);
// The view's page as pictures, as the bitmap export draws it; they throw
// when the file cannot be written.
void SavePageAsPNG(TDrawView& View, const std::string& File);
void SavePageAsSVG(TDrawView& View, const std::string& File);
