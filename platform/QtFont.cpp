// Windows face names to installed families, and LOGFONT heights to pixel
// sizes. Drawings name faces like 宋体 that no Debian machine has; Qt would
// pick some Latin default for them, so a CJK family always follows the face
// in the family list and Chinese text never falls to the box glyph.

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <cmath>

#include "platform/QtCanvas.h"

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

QFont QtFontFor(const TLogFont& lf, int deviceHeight) {
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
