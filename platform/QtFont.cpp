// Windows face names to installed families, and LOGFONT heights to pixel
// sizes. Drawings name faces like 宋体 that no Debian machine has; Qt would
// pick some Latin default for them, so a CJK family always follows the face
// in the family list and Chinese text never falls to the box glyph.

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QPaintEngine>
#include <QPainter>
#include <QTextLayout>
#include <cmath>

#include "platform/QtCanvas.h"
#include "platform/QtTextShapes.h"

QString CjkFallbackFamily() {
  static const QString family = [] {
    const QStringList cjk = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    for (const char* preferred : {"WenQuanYi Micro Hei", "Noto Sans CJK SC", "Noto Sans SC"})
      if (cjk.contains(QString::fromLatin1(preferred))) return QString::fromLatin1(preferred);
    return cjk.isEmpty() ? QString() : cjk.first();
  }();
  return family;
}

namespace {

// Ratio of the cell height (ascent + descent) to the em size, per family list.
double CellToEm(const QFont& font) {
  static QHash<QString, double> cache;
  const QString key = font.families().join(u'|') + (font.bold() ? u'b' : u'n');
  if (auto it = cache.constFind(key); it != cache.constEnd()) return *it;
  QFont probe(font);
  probe.setPixelSize(200);
  const QFontMetricsF fm(probe);
  const double cell = fm.ascent() + fm.descent();
  const double ratio = cell > 0 ? cell / 200.0 : 1.0;
  cache.insert(key, ratio);
  return ratio;
}

// The family list for a face name. Asking the font database means a
// fontconfig substitution per call, and every dimension text asks several
// times per paint, so the answer is kept per face.
const QStringList& FamiliesFor(const std::string& faceName) {
  static QHash<QByteArray, QStringList> cache;
  const QByteArray key(faceName.data(), qsizetype(faceName.size()));
  if (auto it = cache.constFind(key); it != cache.constEnd()) return *it;
  QStringList families;
  const QString face = QString::fromUtf8(key);
  if (!face.isEmpty() && QFontDatabase::hasFamily(face)) families << face;
  const QString cjk = CjkFallbackFamily();
  // A face that is not installed goes straight to the CJK family: Chinese
  // drawings name Chinese faces, and its Latin glyphs are fine.
  if (!cjk.isEmpty() && !families.contains(cjk)) families << cjk;
  if (families.isEmpty() && !face.isEmpty()) families << face;
  return *cache.insert(key, families);
}

}  // namespace

namespace {

QFont MakeQtFont(const TLogFont& lf, int deviceHeight) {
  QFont font;
  font.setFamilies(FamiliesFor(lf.FaceName));
  font.setWeight(QFont::Weight(std::clamp(lf.Weight == 0 ? FW_NORMAL : lf.Weight, 1, 1000)));
  font.setItalic(lf.Italic);
  font.setUnderline(lf.Underline);
  font.setStrikeOut(lf.StrikeOut);
  font.setKerning(false);  // GDI's TextOut does not kern
  font.setHintingPreference(QFont::PreferFullHinting);

  // Negative: character (em) height. Positive: cell height, so the em shrinks
  // by the family's cell-to-em ratio.
  double em = std::abs(double(deviceHeight));
  if (deviceHeight > 0) em /= CellToEm(font);
  font.setPixelSize(std::max(1, int(std::lround(em))));
  return font;
}

struct TFontKey {
  std::string FaceName;
  std::int32_t Weight;
  bool Italic, Underline, StrikeOut;
  int DeviceHeight;
  bool operator==(const TFontKey&) const = default;
};

size_t qHash(const TFontKey& K, size_t Seed = 0) {
  return qHashMulti(Seed, QByteArrayView(K.FaceName.data(), qsizetype(K.FaceName.size())), K.Weight, K.Italic,
                    K.Underline, K.StrikeOut, K.DeviceHeight);
}

}  // namespace

// A new QFont resolves its font engine again on first use (a font database
// lookup with substitutions); one kept per face, style and size resolves it
// once, and every text painted in it after that shares it.
QFont QtFontFor(const TLogFont& lf, int deviceHeight) {
  static QHash<TFontKey, QFont> cache;
  TFontKey key{lf.FaceName, lf.Weight, lf.Italic, lf.Underline, lf.StrikeOut, deviceHeight};
  if (auto it = cache.constFind(key); it != cache.constEnd()) return *it;
  if (cache.size() >= 4096) cache.clear();
  return *cache.insert(std::move(key), MakeQtFont(lf, deviceHeight));
}

// ---- shaped texts

namespace {

bool gShapeCaching = true;

struct TShapeKey {
  QFont Font;
  QString Text;
  int DpiX = 0, DpiY = 0;
  bool operator==(const TShapeKey&) const = default;
};

size_t qHash(const TShapeKey& K, size_t Seed = 0) {
  return qHashMulti(Seed, K.Font, K.Text, K.DpiX, K.DpiY);
}

struct TShape {
  double Advance = 0;
  bool HasRuns = false;  // the runs are laid out on first drawing
  bool Plain = false;    // drawn by drawText: decorations, or a layout of more than one line
  QList<QGlyphRun> Runs;  // positions relative to the left end of the baseline
};

// Enough for every distinct text of a large drawing at two zoom levels;
// when it fills it starts again rather than tracking use.
constexpr qsizetype kMaxShapes = 1 << 17;

TShape& ShapeFor(const QFont& Font, const QString& Text, QPaintDevice* Device) {
  static QHash<TShapeKey, TShape> cache;
  TShapeKey key{Font, Text, Device->logicalDpiX(), Device->logicalDpiY()};
  if (auto it = cache.find(key); it != cache.end()) return *it;
  if (cache.size() >= kMaxShapes) cache.clear();
  TShape shape;
  shape.Advance = QFontMetricsF(Font, Device).horizontalAdvance(Text);
  return *cache.insert(std::move(key), std::move(shape));
}

void LayOut(TShape& Shape, const QFont& Font, const QString& Text, QPaintDevice* Device) {
  Shape.HasRuns = true;
  if (Font.underline() || Font.strikeOut() || Font.overline()) {
    Shape.Plain = true;
    return;
  }
  QTextLayout layout(Text, Font, Device);
  layout.setCacheEnabled(true);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  if (!line.isValid()) {
    layout.endLayout();
    Shape.Plain = true;
    return;
  }
  line.setNumColumns(int(Text.size()));
  if (layout.createLine().isValid()) Shape.Plain = true;
  layout.endLayout();
  if (Shape.Plain) return;
  Shape.Runs = line.glyphRuns();
  const QPointF shift(-line.x(), -(line.y() + line.ascent()));
  for (QGlyphRun& run : Shape.Runs) {
    QList<QPointF> at = run.positions();
    for (QPointF& p : at) p += shift;
    run.setPositions(at);
  }
}

}  // namespace

bool CachesTextShapes(QPaintDevice* Device) {
  if (!gShapeCaching || !Device) return false;
  const int type = Device->devType();
  return type == QInternal::Image || type == QInternal::Pixmap;
}

double TextAdvance(const QFont& Font, const QString& Text, QPaintDevice* Device) {
  if (!CachesTextShapes(Device)) return QFontMetricsF(Font, Device).horizontalAdvance(Text);
  return ShapeFor(Font, Text, Device).Advance;
}

void DrawShapedText(QPainter& Painter, QPointF Baseline, const QFont& Font, const QString& Text,
                    QPaintDevice* Device) {
  const QPaintEngine* engine = Painter.paintEngine();
  if (!CachesTextShapes(Device) || !engine || engine->type() != QPaintEngine::Raster) {
    Painter.drawText(Baseline, Text);
    return;
  }
  TShape& shape = ShapeFor(Font, Text, Device);
  if (!shape.HasRuns) LayOut(shape, Font, Text, Device);
  if (shape.Plain) {
    Painter.drawText(Baseline, Text);
    return;
  }
  // drawText cuts its x to 1/64 pixel once and adds the glyph offsets to
  // it; cutting first keeps every glyph where it puts it.
  const QPointF origin(std::trunc(Baseline.x() * 64) / 64, Baseline.y());
  for (const QGlyphRun& run : shape.Runs) Painter.drawGlyphRun(origin, run);
}

void SetTextShapeCaching(bool On) { gShapeCaching = On; }
