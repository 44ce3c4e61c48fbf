// The program's own EMF and WMF exports, played back, give the pixels of
// painting the drawing directly: over the sample drawing and a generated
// one. Also a cut export plays what it holds without crashing.

#include "../support/QtTestEnvironment.h"
#include "DrawingGenerator.h"
#include "docview/FiguresDoc.h"
#include "figures/FigureSet.h"
#include "figures/SheetMapping.h"
#include "platform/Bitmap.h"
#include "platform/MetafileCanvas.h"
#include "platform/MetafilePlayer.h"
#include "platform/QtCanvas.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Text needs a GUI application.
[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new TQtTestEnvironment(TQtTestEnvironment::TKind::Gui));

const std::string kSample = PLANDECK_SAMPLES "/site.gck";

QImage Direct(TFiguresDoc& Doc) {
  Doc.GetFigures()->FViewState = vsDraw;
  const TSize size = Doc.GetSize();
  TBitmap page(size.cx, size.cy, clWhite);
  {
    auto canvas = CreateBitmapCanvas(page);
    SetSheetMapping(*canvas, size, Doc.DocOrg());
    Doc.DrawDC(*canvas, nullptr, Doc.GetRect());
  }
  return QtImage(page).copy();
}

std::vector<std::uint8_t> Exported(TFiguresDoc& Doc, TMetafileKind Kind) {
  Doc.GetFigures()->FViewState = vsDraw;
  const TSize size = Doc.GetSize();
  const fs::path file = fs::temp_directory_path() /
                        ("plandeck-roundtrip-" + std::to_string(::getpid()) + (Kind == TMetafileKind::Emf ? ".emf" : ".wmf"));
  {
    TMetafileCanvas mf(file.string(), Kind, size);
    SetSheetMapping(mf, size, Doc.DocOrg());
    Doc.DrawDC(mf, nullptr, Doc.GetRect());
    mf.Close();
  }
  std::ifstream in(file, std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  fs::remove(file);
  return bytes;
}

QImage Played(const std::vector<std::uint8_t>& Bytes, QSize Size, QRgb Background, TMetafilePlayback* Out = nullptr) {
  QImage img(Size, QImage::Format_RGB32);
  img.fill(Background);
  QPainter p(&img);
  const TMetafilePlayback r = PlayMetafile(p, Bytes, QPointF(0, 0), QPointF(Size.width(), Size.height()));
  if (Out) *Out = r;
  return img;
}

bool Close(QRgb a, QRgb b) {
  return std::abs(qRed(a) - qRed(b)) <= 48 && std::abs(qGreen(a) - qGreen(b)) <= 48 &&
         std::abs(qBlue(a) - qBlue(b)) <= 48;
}

// Pixels of A that no pixel of B within one pixel matches in colour: what
// antialiasing and a rounding's half pixel cannot explain.
int Unmatched(const QImage& A, const QImage& B) {
  int n = 0;
  for (int y = 0; y < A.height(); ++y)
    for (int x = 0; x < A.width(); ++x) {
      const QRgb c = A.pixel(x, y);
      bool found = false;
      for (int dy = -1; dy <= 1 && !found; ++dy)
        for (int dx = -1; dx <= 1 && !found; ++dx) {
          const int u = x + dx, v = y + dy;
          found = u >= 0 && v >= 0 && u < B.width() && v < B.height() && Close(c, B.pixel(u, v));
        }
      n += !found;
    }
  return n;
}

int Ink(const QImage& A, QRgb Background) {
  int n = 0;
  for (int y = 0; y < A.height(); ++y)
    for (int x = 0; x < A.width(); ++x) n += (A.pixel(x, y) & 0xFFFFFF) != (Background & 0xFFFFFF);
  return n;
}

void ExpectSamePicture(TFiguresDoc& Doc, const char* What) {
  const QImage direct = Direct(Doc);
  const QRgb background = ColorRefToQColor(Doc.GetFigures()->FBackColor).rgb();
  const int ink = Ink(direct, background);
  ASSERT_GT(ink, 2000) << What << ": the drawing paints something";
  for (TMetafileKind kind : {TMetafileKind::Emf, TMetafileKind::Wmf}) {
    const char* name = kind == TMetafileKind::Emf ? "EMF" : "WMF";
    TMetafilePlayback r;
    const QImage played = Played(Exported(Doc, kind), direct.size(), background, &r);
    EXPECT_TRUE(r.Complete) << What << " " << name;
    const int missing = Unmatched(direct, played), extra = Unmatched(played, direct);
    EXPECT_LT(missing, ink / 100) << What << " " << name << ": " << missing << " of " << ink << " pixels not played";
    EXPECT_LT(extra, ink / 100) << What << " " << name << ": " << extra << " pixels played that the drawing lacks";
  }
}

}  // namespace

TEST(MetafileRoundTrip, TheSampleDrawingPlaysBackAsItPaints) {
  RegisterDocumentClasses();
  TTxProjectFile file;
  const TDrawingReadResult result = ReadDrawingFile(kSample, file);
  ASSERT_TRUE(result.Ok) << result.Error;
  TFiguresDoc& doc = *file.FTxProject->FTxSpaces->Docs(0);
  // Its combined parcel paints through region clips and frames its area.
  int combined = 0;
  for (int l = 0; l < doc.FFigures->LayerCount(); ++l) {
    TTxCollectFigure& layer = *doc.FFigures->LayerList(l);
    for (int i = 0; i < layer.Count(); ++i)
      combined += std::string_view(layer.Figures(i)->ClassType().Name) == "TComboFigure";
  }
  EXPECT_GT(combined, 0);
  ExpectSamePicture(doc, "the sample");
}

TEST(MetafileRoundTrip, AGeneratedDrawingPlaysBackAsItPaints) {
  RegisterDocumentClasses();
  auto file = GenerateDrawingFile(300, 7);
  ExpectSamePicture(*file->FTxProject->FTxSpaces->Docs(0), "a generated drawing");
}

TEST(MetafileRoundTrip, AnExportCutAnywhereStillPlaysWhatItHolds) {
  RegisterDocumentClasses();
  auto file = GenerateDrawingFile(20, 3);
  TFiguresDoc& doc = *file->FTxProject->FTxSpaces->Docs(0);
  for (TMetafileKind kind : {TMetafileKind::Emf, TMetafileKind::Wmf}) {
    const std::vector<std::uint8_t> whole = Exported(doc, kind);
    ASSERT_GT(whole.size(), 200u);
    const QRgb background = 0xFFFFFFFF;
    const int full = Ink(Played(whole, QSize(96, 54), background), background);
    int previous = 0;
    // Cuts every few bytes over the whole file: what is played only grows.
    const std::size_t step = std::max<std::size_t>(1, whole.size() / 400);
    for (std::size_t cut = 0; cut < whole.size(); cut += step) {
      const std::vector<std::uint8_t> part(whole.begin(), whole.begin() + std::ptrdiff_t(cut));
      TMetafilePlayback r;
      const int ink = Ink(Played(part, QSize(96, 54), background, &r), background);
      EXPECT_FALSE(r.Complete);
      EXPECT_GE(ink + 40, previous) << "cut at " << cut;
      previous = std::max(previous, ink);
    }
    EXPECT_GT(full, 0);
  }
}
