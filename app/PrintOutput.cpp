#include "app/PrintOutput.h"

#include "app/PrintPreview.h"
#include "docview/DrawView.h"
#include "docview/FiguresDoc.h"
#include "platform/Bitmap.h"
#include "platform/QtCanvas.h"
#include "platform/System.h"

#include <QPainter>
#include <QPrinter>
#include <QSvgGenerator>

#include <stdexcept>

namespace {

// No grid goes into a picture, as in the other exports.
class TPictureScope {
public:
  explicit TPictureScope(TDrawView& View) : FView(View) { FView.FIsMetaFile = true; }
  ~TPictureScope() { FView.FIsMetaFile = false; }
  TPictureScope(const TPictureScope&) = delete;
  TPictureScope& operator=(const TPictureScope&) = delete;

private:
  TDrawView& FView;
};

// The page frame's right and bottom edges lie one pixel past the size.
QSize PictureSize(const TDrawView& View) {
  const TSize size = View.GetDocumentDevSize();
  return {size.cx > 0 ? size.cx + 1 : 1, size.cy > 0 ? size.cy + 1 : 1};
}

}  // namespace

int PrintDocumentToPdf(TFiguresDoc& Doc, const std::string& File, std::string& Error) {
  QPrinter printer(QPrinter::HighResolution);
  SetUpPdfPrinter(printer, File, Doc.FOrientation);
  TPrintSession session(Doc);
  TPrintPageView pages;
  pages.SetPrinter(&printer);
  pages.SetDocument(Doc.FFigures.get(), PageSetupOf(Doc));
  if (pages.GetPageCount() == 0) {
    Error = "the page layout holds no page (margins or scale leave nothing to print)";
    return 0;
  }
  const int printed = pages.Print(printer);
  if (printed == 0) Error = "no page was printed";
  return printed;
}

void SavePageAsPNG(TDrawView& View, const std::string& File) {
  const QSize size = PictureSize(View);
  TBitmap picture(size.width(), size.height(), clWhite);
  {
    auto canvas = CreateBitmapCanvas(picture);
    TPictureScope scope(View);
    View.PaintWMF(*canvas);
  }
  if (!QtImage(picture).save(QString::fromStdString(File), "PNG"))
    throw std::runtime_error("Cannot save " + File + ": the PNG was not written");
}

void SavePageAsSVG(TDrawView& View, const std::string& File) {
  const QSize size = PictureSize(View);
  QSvgGenerator svg;
  svg.setFileName(QString::fromStdString(File));
  svg.setSize(size);
  svg.setViewBox(QRect(QPoint(0, 0), size));
  svg.setResolution(ScreenLogPixels > 0 ? ScreenLogPixels : 96);
  svg.setTitle(QStringLiteral("Plandeck"));
  {
    TQtCanvas canvas(&svg, DT_RASDISPLAY);
    if (!canvas.Painter().isActive()) throw std::runtime_error("Cannot save " + File + ": the SVG cannot be written");
    TPictureScope scope(View);
    View.PaintWMF(canvas);
    canvas.Finish();
  }
}
