// EMF and WMF files written by the metafile canvas, read back record by
// record with libUEMF's own structures and safety checks, and an EMF played
// back onto a bitmap by a small player of the records a drawing uses.

#include <gtest/gtest.h>
#include <uemf.h>
#include <uemf_safe.h>
#include <uwmf.h>

#include <QDir>
#include <QTemporaryDir>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "foundation/GbkCodec.h"
#include "platform/Bitmap.h"
#include "platform/MetafileCanvas.h"
#include "platform/QtCanvas.h"
#include "tests/platform/CanvasTestUtil.h"

namespace {

constexpr int kW = 200, kH = 100;

std::vector<char> ReadAll(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

template <typename T>
T At(const std::vector<char>& bytes, size_t offset) {
  T v{};
  if (offset > bytes.size() || bytes.size() - offset < sizeof v) {
    ADD_FAILURE() << "read past the end at " << offset;
    return v;
  }
  std::memcpy(&v, bytes.data() + offset, sizeof v);
  return v;
}

struct Rec {
  std::uint32_t type;
  size_t offset;
  std::uint32_t size;
};

// Every record passes libUEMF's own bounds checks, sizes add up to the file,
// the header counts agree and the last record is EOF.
std::vector<Rec> WalkEmf(const std::vector<char>& bytes) {
  std::vector<Rec> recs;
  size_t at = 0;
  while (at + 8 <= bytes.size()) {
    const auto emr = At<U_EMR>(bytes, at);
    EXPECT_GE(emr.nSize, 8u);
    EXPECT_EQ(emr.nSize % 4, 0u);
    if (emr.nSize < 8 || at + emr.nSize > bytes.size()) {
      ADD_FAILURE() << "record at " << at << " runs past the end";
      break;
    }
    EXPECT_TRUE(U_emf_record_safe(bytes.data() + at)) << "record " << emr.iType << " at " << at;
    recs.push_back({emr.iType, at, emr.nSize});
    at += emr.nSize;
  }
  EXPECT_EQ(at, bytes.size());
  EXPECT_FALSE(recs.empty());
  if (recs.empty()) return recs;
  EXPECT_EQ(recs.front().type, U_EMR_HEADER);
  EXPECT_EQ(recs.back().type, U_EMR_EOF);
  const auto header = At<U_EMRHEADER>(bytes, 0);
  EXPECT_EQ(header.dSignature, U_ENHMETA_SIGNATURE);
  EXPECT_EQ(header.nBytes, bytes.size());
  EXPECT_EQ(header.nRecords, recs.size());
  return recs;
}

std::vector<Rec> Of(const std::vector<Rec>& recs, std::uint32_t type) {
  std::vector<Rec> out;
  for (const Rec& r : recs)
    if (r.type == type) out.push_back(r);
  return out;
}

// The scene both formats get: the views' y-up mapping, a thick black
// geometric line, a rectangle with a hatch brush, and Chinese text.
void DrawScene(TCanvas& c) {
  c.SetMapMode(MM_ANISOTROPIC);
  c.SetWindowExtEx(2540, 2540);
  c.SetViewportExtEx(2540, -2540);
  c.SetWindowOrgEx(0, kH);
  TLogPen thick = CreatePen(psSolid, 7, clBlack);
  thick.Geometric = true;
  thick.EndCap = pecFlat;
  thick.Join = pjMiter;
  const TLogPen oldPen = c.SelectPen(thick);
  const TPoint line[3] = {{20, 50}, {100, 50}, {100, 80}};
  c.Polyline(line, 3);
  c.SelectPen(oldPen);
  {
    TDCSaver saver(c);
    c.SelectBrush(CreateHatchBrush(bsCross, RGB(0, 0, 255)));
    c.Rectangle(120, 90, 180, 20);
  }
  TLogFont font;
  font.Height = -16;
  font.Escapement = 900;
  c.SelectFont(font);
  c.SetBkMode(TRANSPARENT);
  c.SetTextColor(RGB(255, 0, 0));
  c.TextOut(30, 30, "图形A");
}

class MetafileTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  std::string Path(const char* name) const { return QDir(dir.path()).filePath(name).toStdString(); }
};

TEST_F(MetafileTest, AnswersMetafileTechnologySoDocumentsSkipBackgroundAndGrid) {
  TMetafileCanvas c(Path("t.emf"), TMetafileKind::Emf, {kW, kH});
  EXPECT_EQ(c.GetDeviceCaps(TECHNOLOGY), DT_METAFILE);
  EXPECT_EQ(c.GetDeviceCaps(HORZRES), kW);
  c.Close();
}

TEST_F(MetafileTest, EmfRecordsParseBackAndAddUpToTheFile) {
  const std::string name = Path("scene.emf");
  {
    TMetafileCanvas c(name, TMetafileKind::Emf, {kW, kH});
    DrawScene(c);
    c.Close();
  }
  const std::vector<char> bytes = ReadAll(name);
  const std::vector<Rec> recs = WalkEmf(bytes);
  const auto header = At<U_EMRHEADER>(bytes, 0);
  EXPECT_EQ(header.szlDevice.cx, kW);
  EXPECT_EQ(header.szlDevice.cy, kH);
  EXPECT_GE(header.nHandles, 4);  // slot 0 plus pen, brush and font
  EXPECT_EQ(Of(recs, U_EMR_SAVEDC).size(), 1u);
  EXPECT_EQ(Of(recs, U_EMR_RESTOREDC).size(), 1u);
  EXPECT_EQ(At<U_EMRRESTOREDC>(bytes, Of(recs, U_EMR_RESTOREDC)[0].offset).iRelative, -1);
}

TEST_F(MetafileTest, EmfKeepsMappingPenWidthAndLogicalPoints) {
  const std::string name = Path("line.emf");
  {
    TMetafileCanvas c(name, TMetafileKind::Emf, {kW, kH});
    DrawScene(c);
    c.Close();
  }
  const std::vector<char> bytes = ReadAll(name);
  const std::vector<Rec> recs = WalkEmf(bytes);

  ASSERT_EQ(Of(recs, U_EMR_SETVIEWPORTEXTEX).size(), 1u);
  const auto vp = At<U_EMRSETVIEWPORTEXTEX>(bytes, Of(recs, U_EMR_SETVIEWPORTEXTEX)[0].offset);
  EXPECT_EQ(vp.szlExtent.cx, 2540);
  EXPECT_EQ(vp.szlExtent.cy, -2540);

  // The geometric pen as GDI records it: width in logical units, flat caps,
  // mitre joins.
  ASSERT_EQ(Of(recs, U_EMR_EXTCREATEPEN).size(), 1u);
  const auto pen = At<U_EMREXTCREATEPEN>(bytes, Of(recs, U_EMR_EXTCREATEPEN)[0].offset);
  EXPECT_EQ(pen.elp.elpWidth, 7u);
  EXPECT_EQ(pen.elp.elpPenStyle, U_PS_GEOMETRIC | U_PS_SOLID | U_PS_ENDCAP_FLAT | U_PS_JOIN_MITER);
  EXPECT_EQ(pen.elp.elpColor.Red, 0);

  // The polyline's points are the logical ones handed in, not device pixels.
  ASSERT_EQ(Of(recs, U_EMR_POLYLINE).size(), 1u);
  const Rec pl = Of(recs, U_EMR_POLYLINE)[0];
  const auto poly = At<U_EMRPOLYLINE>(bytes, pl.offset);
  ASSERT_EQ(poly.cptl, 3u);
  const size_t pts = pl.offset + offsetof(U_EMRPOLYLINE, aptl);
  EXPECT_EQ(At<U_POINTL>(bytes, pts).x, 20);
  EXPECT_EQ(At<U_POINTL>(bytes, pts).y, 50);
  EXPECT_EQ(At<U_POINTL>(bytes, pts + 16).x, 100);
  EXPECT_EQ(At<U_POINTL>(bytes, pts + 16).y, 80);
  // Bounds are device pixels: y flipped, grown by half the pen.
  EXPECT_LE(poly.rclBounds.top, kH - 80 - 3);
  EXPECT_GE(poly.rclBounds.bottom, kH - 50 + 3);

  // The hatch brush, then the pen put back by selecting the old one.
  ASSERT_EQ(Of(recs, U_EMR_CREATEBRUSHINDIRECT).size(), 1u);
  const auto brush = At<U_EMRCREATEBRUSHINDIRECT>(bytes, Of(recs, U_EMR_CREATEBRUSHINDIRECT)[0].offset);
  EXPECT_EQ(brush.lb.lbStyle, U_BS_HATCHED);
  EXPECT_EQ(brush.lb.lbHatch, U_HS_CROSS);
  EXPECT_EQ(brush.lb.lbColor.Blue, 255);
  ASSERT_EQ(Of(recs, U_EMR_RECTANGLE).size(), 1u);
  const auto rect = At<U_EMRRECTANGLE>(bytes, Of(recs, U_EMR_RECTANGLE)[0].offset);
  EXPECT_EQ(rect.rclBox.left, 120);
  EXPECT_EQ(rect.rclBox.top, 20);
  EXPECT_EQ(rect.rclBox.right, 179);
  EXPECT_EQ(rect.rclBox.bottom, 89);
}

TEST_F(MetafileTest, EmfTextIsUtf16WithItsFontAndEscapement) {
  const std::string name = Path("text.emf");
  {
    TMetafileCanvas c(name, TMetafileKind::Emf, {kW, kH});
    DrawScene(c);
    c.Close();
  }
  const std::vector<char> bytes = ReadAll(name);
  const std::vector<Rec> recs = WalkEmf(bytes);
  ASSERT_EQ(Of(recs, U_EMR_EXTCREATEFONTINDIRECTW).size(), 1u);
  const auto font = At<U_EMREXTCREATEFONTINDIRECTW>(bytes, Of(recs, U_EMR_EXTCREATEFONTINDIRECTW)[0].offset);
  EXPECT_EQ(font.elfw.elfLogFont.lfHeight, -16);
  EXPECT_EQ(font.elfw.elfLogFont.lfEscapement, 900);
  EXPECT_EQ(font.elfw.elfLogFont.lfCharSet, GB2312_CHARSET);
  EXPECT_EQ(font.elfw.elfLogFont.lfFaceName[0], 0x5B8B);  // 宋
  EXPECT_EQ(font.elfw.elfLogFont.lfFaceName[1], 0x4F53);  // 体

  ASSERT_EQ(Of(recs, U_EMR_EXTTEXTOUTW).size(), 1u);
  const Rec tr = Of(recs, U_EMR_EXTTEXTOUTW)[0];
  const auto text = At<U_EMREXTTEXTOUTW>(bytes, tr.offset);
  EXPECT_EQ(text.emrtext.ptlReference.x, 30);
  EXPECT_EQ(text.emrtext.ptlReference.y, 30);
  ASSERT_EQ(text.emrtext.nChars, 3u);
  const size_t str = tr.offset + text.emrtext.offString;
  EXPECT_EQ(At<std::uint16_t>(bytes, str), 0x56FE);      // 图
  EXPECT_EQ(At<std::uint16_t>(bytes, str + 2), 0x5F62);  // 形
  EXPECT_EQ(At<std::uint16_t>(bytes, str + 4), u'A');
  // One advance per character, each a plausible width for a 16-unit font.
  // After the fixed part come the optional clip rectangle and offDx.
  size_t offDx = tr.offset + offsetof(U_EMREXTTEXTOUTW, emrtext) + sizeof(U_EMRTEXT);
  if (!(text.emrtext.fOptions & U_ETO_NO_RECT)) offDx += sizeof(U_RECTL);
  const size_t dx = tr.offset + At<std::uint32_t>(bytes, offDx);
  for (int i = 0; i < 3; ++i) {
    EXPECT_GT(At<std::uint32_t>(bytes, dx + 4 * size_t(i)), 3u);
    EXPECT_LT(At<std::uint32_t>(bytes, dx + 4 * size_t(i)), 24u);
  }
  // The text colour went in as a record before the text.
  ASSERT_EQ(Of(recs, U_EMR_SETTEXTCOLOR).size(), 1u);
  EXPECT_LT(Of(recs, U_EMR_SETTEXTCOLOR)[0].offset, tr.offset);
}

// A player of the few records the scene's line and rectangle use, onto a
// bitmap through the Qt canvas: the file alone must give the picture.
void PlayEmf(const std::vector<char>& bytes, TCanvas& c) {
  std::map<std::uint32_t, std::pair<int, TLogPen>> pens;
  std::map<std::uint32_t, TLogBrush> brushes;
  for (const Rec& r : WalkEmf(bytes)) {
    switch (r.type) {
      case U_EMR_SETMAPMODE: c.SetMapMode(int(At<U_EMRSETMAPMODE>(bytes, r.offset).iMode)); break;
      case U_EMR_SETWINDOWEXTEX: {
        const auto e = At<U_EMRSETWINDOWEXTEX>(bytes, r.offset).szlExtent;
        c.SetWindowExtEx(e.cx, e.cy);
        break;
      }
      case U_EMR_SETVIEWPORTEXTEX: {
        const auto e = At<U_EMRSETVIEWPORTEXTEX>(bytes, r.offset).szlExtent;
        c.SetViewportExtEx(e.cx, e.cy);
        break;
      }
      case U_EMR_SETWINDOWORGEX: {
        const auto o = At<U_EMRSETWINDOWORGEX>(bytes, r.offset).ptlOrigin;
        c.SetWindowOrgEx(o.x, o.y);
        break;
      }
      case U_EMR_EXTCREATEPEN: {
        const auto p = At<U_EMREXTCREATEPEN>(bytes, r.offset);
        TLogPen pen = CreatePen(TPenStyle(p.elp.elpPenStyle & 0xF), std::int32_t(p.elp.elpWidth),
                                RGB(p.elp.elpColor.Red, p.elp.elpColor.Green, p.elp.elpColor.Blue));
        pen.Geometric = true;
        pen.EndCap = (p.elp.elpPenStyle & U_PS_ENDCAP_MASK) == U_PS_ENDCAP_FLAT ? pecFlat : pecRound;
        pen.Join = (p.elp.elpPenStyle & U_PS_JOIN_MASK) == U_PS_JOIN_MITER ? pjMiter : pjRound;
        pens[p.ihPen] = {0, pen};
        break;
      }
      case U_EMR_CREATEPEN: {
        const auto p = At<U_EMRCREATEPEN>(bytes, r.offset);
        pens[p.ihPen] = {0, CreatePen(TPenStyle(p.lopn.lopnStyle & 0xF), p.lopn.lopnWidth.x,
                                      RGB(p.lopn.lopnColor.Red, p.lopn.lopnColor.Green, p.lopn.lopnColor.Blue))};
        break;
      }
      case U_EMR_CREATEBRUSHINDIRECT: {
        const auto b = At<U_EMRCREATEBRUSHINDIRECT>(bytes, r.offset);
        const COLORREF color = RGB(b.lb.lbColor.Red, b.lb.lbColor.Green, b.lb.lbColor.Blue);
        brushes[b.ihBrush] = b.lb.lbStyle == U_BS_NULL ? NullBrush() : CreateSolidBrush(color);
        break;
      }
      case U_EMR_SELECTOBJECT: {
        const std::uint32_t h = At<U_EMRSELECTOBJECT>(bytes, r.offset).ihObject;
        if (pens.count(h)) c.SelectPen(pens[h].second);
        if (brushes.count(h)) c.SelectBrush(brushes[h]);
        break;
      }
      case U_EMR_SAVEDC: c.SaveDC(); break;
      case U_EMR_RESTOREDC: c.RestoreDC(At<U_EMRRESTOREDC>(bytes, r.offset).iRelative); break;
      case U_EMR_POLYLINE: {
        const auto p = At<U_EMRPOLYLINE>(bytes, r.offset);
        std::vector<TPoint> pts(p.cptl);
        for (size_t i = 0; i < pts.size(); ++i) {
          const auto q = At<U_POINTL>(bytes, r.offset + offsetof(U_EMRPOLYLINE, aptl) + 8 * i);
          pts[i] = {q.x, q.y};
        }
        c.Polyline(pts.data(), int(pts.size()));
        break;
      }
      case U_EMR_RECTANGLE: {
        const auto b = At<U_EMRRECTANGLE>(bytes, r.offset).rclBox;
        c.Rectangle(b.left, b.top, b.right + 1, b.bottom + 1);
        break;
      }
      default: break;
    }
  }
}

TEST_F(MetafileTest, EmfPlayedBackShowsTheThickLineAndTheRectangle) {
  const std::string name = Path("play.emf");
  {
    TMetafileCanvas c(name, TMetafileKind::Emf, {kW, kH});
    DrawScene(c);
    c.Close();
  }
  Sheet sheet(kW, kH);
  PlayEmf(ReadAll(name), *sheet);
  sheet.canvas.reset();
  // The horizontal leg at logical y 50 is device row 50, seven pixels thick.
  for (int x = 25; x < 95; x += 10) {
    EXPECT_EQ(sheet.At(x, 50), clBlack) << x;
    EXPECT_EQ(sheet.At(x, 47), clBlack) << x;
    EXPECT_EQ(sheet.At(x, 53), clBlack) << x;
    EXPECT_FALSE(sheet.Ink(x, 42)) << x;
    EXPECT_FALSE(sheet.Ink(x, 58)) << x;
  }
  // The vertical leg runs up (logical y 80 is device row 20).
  EXPECT_EQ(sheet.At(100, 25), clBlack);
  EXPECT_FALSE(sheet.Ink(100, 15));
  // Flat caps: nothing left of the start point.
  EXPECT_FALSE(sheet.Ink(16, 50));
  // The rectangle's outline, drawn with the cosmetic pen put back.
  EXPECT_TRUE(sheet.Ink(150, 10));
  EXPECT_TRUE(sheet.Ink(120, 50));
  EXPECT_FALSE(sheet.Ink(150, 5));
}

// ---- WMF -------------------------------------------------------------------

struct WmfFile {
  std::vector<char> bytes;
  std::vector<Rec> recs;  // type is the low byte of the record function
};

WmfFile WalkWmf(const std::string& name) {
  WmfFile f{ReadAll(name), {}};
  const std::vector<char>& b = f.bytes;
  EXPECT_GT(b.size(), size_t(U_SIZE_WMRPLACEABLE + U_SIZE_WMRHEADER));
  if (b.size() <= size_t(U_SIZE_WMRPLACEABLE + U_SIZE_WMRHEADER)) return f;
  U_WMRPLACEABLE placeable;
  U_WMRHEADER header;
  const int headerBytes = wmfheader_get(b.data(), b.data() + b.size(), &placeable, &header);
  EXPECT_EQ(headerBytes, U_SIZE_WMRPLACEABLE + U_SIZE_WMRHEADER);
  EXPECT_EQ(placeable.Key, 0x9AC6CDD7u);
  // The checksum is the XOR of the ten words before it.
  std::uint16_t sum = 0;
  for (int i = 0; i < 10; ++i) sum ^= At<std::uint16_t>(b, size_t(2 * i));
  EXPECT_EQ(placeable.Checksum, sum);
  size_t at = size_t(U_SIZE_WMRPLACEABLE + U_SIZE_WMRHEADER);
  std::uint32_t largest = 0;
  while (at + 6 <= b.size()) {
    const std::uint32_t words = At<std::uint16_t>(b, at) | std::uint32_t(At<std::uint16_t>(b, at + 2)) << 16;
    if (words < 3 || at + 2 * size_t(words) > b.size()) {
      ADD_FAILURE() << "record at " << at << " runs past the end";
      return f;
    }
    f.recs.push_back({std::uint8_t(b[at + 4]), at, words * 2});
    largest = std::max(largest, words);
    at += 2 * size_t(words);
  }
  EXPECT_EQ(at, b.size());
  // The corrected totals: words after the placeable header, largest record.
  const std::uint32_t sizeWords = At<std::uint16_t>(b, U_SIZE_WMRPLACEABLE + 6) |
                                  std::uint32_t(At<std::uint16_t>(b, U_SIZE_WMRPLACEABLE + 8)) << 16;
  EXPECT_EQ(sizeWords, (b.size() - U_SIZE_WMRPLACEABLE) / 2);
  EXPECT_EQ(header.maxSize, largest);
  EXPECT_FALSE(f.recs.empty());
  if (!f.recs.empty()) {
    EXPECT_EQ(f.recs.back().type, U_WMR_EOF);
    EXPECT_EQ(f.recs.back().size, 6u);
  }
  return f;
}

TEST_F(MetafileTest, WmfHasAPlaceableHeaderWithCorrectedTotals) {
  const std::string name = Path("scene.wmf");
  {
    TMetafileCanvas c(name, TMetafileKind::Wmf, {kW, kH});
    DrawScene(c);
    c.Close();
  }
  const WmfFile f = WalkWmf(name);
  U_WMRPLACEABLE placeable;
  U_WMRHEADER header;
  wmfheader_get(f.bytes.data(), f.bytes.data() + f.bytes.size(), &placeable, &header);
  EXPECT_EQ(placeable.Inch, 96);
  EXPECT_EQ(placeable.Dst.right - placeable.Dst.left, kW);
  EXPECT_EQ(placeable.Dst.bottom - placeable.Dst.top, kH);
}

TEST_F(MetafileTest, WmfFoldsTheMappingIntoItsWindowAndKeepsPenPointsAndGbkText) {
  const std::string name = Path("content.wmf");
  {
    TMetafileCanvas c(name, TMetafileKind::Wmf, {kW, kH});
    DrawScene(c);
    c.Close();
  }
  const WmfFile f = WalkWmf(name);
  const auto of = [&](int type) {
    std::vector<Rec> out;
    for (const Rec& r : f.recs)
      if (int(r.type) == type) out.push_back(r);
    return out;
  };
  // y up: the window starts at the page top (logical y = kH) and runs down.
  const std::vector<Rec> org = of(U_WMR_SETWINDOWORG), ext = of(U_WMR_SETWINDOWEXT);
  ASSERT_FALSE(org.empty());
  ASSERT_FALSE(ext.empty());
  // The record stores y before x.
  EXPECT_EQ(At<std::int16_t>(f.bytes, org.back().offset + 6), kH);
  EXPECT_EQ(At<std::int16_t>(f.bytes, org.back().offset + 8), 0);
  EXPECT_EQ(At<std::int16_t>(f.bytes, ext.back().offset + 6), -kH);
  EXPECT_EQ(At<std::int16_t>(f.bytes, ext.back().offset + 8), kW);

  const std::vector<Rec> pens = of(U_WMR_CREATEPENINDIRECT);
  ASSERT_FALSE(pens.empty());
  U_PEN pen;
  ASSERT_GT(U_WMRCREATEPENINDIRECT_get(f.bytes.data() + pens[0].offset, &pen), 0);
  EXPECT_EQ(pen.Widthw[0], 7);
  EXPECT_EQ(pen.Style, U_PS_SOLID | U_PS_ENDCAP_FLAT | U_PS_JOIN_MITER);

  const std::vector<Rec> lines = of(U_WMR_POLYLINE);
  ASSERT_EQ(lines.size(), 1u);
  uint16_t count = 0;
  const char* data = nullptr;
  ASSERT_GT(U_WMRPOLYLINE_get(f.bytes.data() + lines[0].offset, &count, &data), 0);
  ASSERT_EQ(count, 3);
  U_POINT16 p[3];
  std::memcpy(p, data, sizeof p);
  EXPECT_EQ(p[0].x, 20);
  EXPECT_EQ(p[0].y, 50);
  EXPECT_EQ(p[2].x, 100);
  EXPECT_EQ(p[2].y, 80);

  const std::vector<Rec> texts = of(U_WMR_TEXTOUT);
  ASSERT_EQ(texts.size(), 1u);
  U_POINT16 dst;
  int16_t length = 0;
  const char* str = nullptr;
  ASSERT_GT(U_WMRTEXTOUT_get(f.bytes.data() + texts[0].offset, &dst, &length, &str), 0);
  EXPECT_EQ(std::string(str, size_t(length)), Utf8ToGbk("图形A"));
  EXPECT_EQ(dst.x, 30);
  EXPECT_EQ(dst.y, 30);
}

TEST_F(MetafileTest, WmfPathsAreWrittenAsPolygons) {
  const std::string name = Path("path.wmf");
  {
    TMetafileCanvas c(name, TMetafileKind::Wmf, {kW, kH});
    c.BeginPath();
    c.MoveToEx(10, 10);
    c.LineTo(50, 10);
    c.LineTo(50, 40);
    c.CloseFigure();
    c.EndPath();
    c.StrokeAndFillPath();
    c.Close();
  }
  const WmfFile f = WalkWmf(name);
  int polypolygons = 0, lines = 0;
  for (const Rec& r : f.recs) {
    polypolygons += r.type == U_WMR_POLYPOLYGON;
    lines += r.type == U_WMR_LINETO;
  }
  EXPECT_EQ(polypolygons, 1);
  EXPECT_EQ(lines, 0);
}

TEST_F(MetafileTest, EmfPathsClipsArcsAndRegionsAreRecords) {
  const std::string name = Path("path.emf");
  {
    TMetafileCanvas c(name, TMetafileKind::Emf, {kW, kH});
    c.IntersectClipRect(0, 0, 150, 80);
    c.BeginPath();
    c.MoveToEx(10, 10);
    c.LineTo(50, 10);
    c.Arc(10, 10, 60, 60, 60, 35, 10, 35);
    c.CloseFigure();
    c.EndPath();
    c.StrokePath();
    const TRegion rgn = CreateRectRgn(5, 5, 20, 20);
    c.FillRgn(rgn, CreateSolidBrush(RGB(0, 255, 0)));
    c.SelectClipRgn(&rgn);
    c.SelectClipRgn(nullptr);
    TRect box;
    EXPECT_EQ(c.GetClipBox(box), SIMPLEREGION);
    EXPECT_EQ(box, (TRect{0, 0, kW, kH}));
    c.Close();
  }
  const std::vector<char> bytes = ReadAll(name);
  const std::vector<Rec> recs = WalkEmf(bytes);
  std::vector<std::uint32_t> types;
  for (const Rec& r : recs) types.push_back(r.type);
  const std::vector<std::uint32_t> want = {U_EMR_INTERSECTCLIPRECT, U_EMR_BEGINPATH, U_EMR_MOVETOEX, U_EMR_LINETO,
                                           U_EMR_ARC,               U_EMR_CLOSEFIGURE, U_EMR_ENDPATH, U_EMR_STROKEPATH};
  auto it = types.begin();
  for (std::uint32_t t : want) {
    it = std::find(it, types.end(), t);
    ASSERT_NE(it, types.end()) << "missing or out of order: " << t;
  }
  EXPECT_EQ(Of(recs, U_EMR_FILLRGN).size(), 1u);
  EXPECT_EQ(Of(recs, U_EMR_EXTSELECTCLIPRGN).size(), 2u);
}

TEST_F(MetafileTest, ACanvasTracksClipAndMappingLikeTheScreen) {
  TMetafileCanvas c(Path("state.emf"), TMetafileKind::Emf, {kW, kH});
  c.SetMapMode(MM_ANISOTROPIC);
  c.SetWindowExtEx(2540, 2540);
  c.SetViewportExtEx(2540, -2540);
  c.SetWindowOrgEx(0, kH);
  TPoint p{30, 20};
  c.LPtoDP(&p, 1);
  EXPECT_EQ(p.x, 30);
  EXPECT_EQ(p.y, kH - 20);
  const int level = c.SaveDC();
  c.IntersectClipRect(10, 10, 50, 60);
  TRect box;
  c.GetClipBox(box);
  EXPECT_EQ(box, (TRect{10, 10, 50, 60}));
  c.SelectPen(CreatePen(psSolid, 3, RGB(1, 2, 3)));
  EXPECT_TRUE(c.RestoreDC(level));
  c.GetClipBox(box);
  EXPECT_EQ(box, (TRect{0, 0, kW, kH}));
  EXPECT_EQ(c.GetPen().Width, 0);
  c.Close();
}

TEST_F(MetafileTest, CreatingInAMissingFolderFailsNamingTheFile) {
  const std::string name = Path("no/such/folder/x.emf");
  try {
    TMetafileCanvas c(name, TMetafileKind::Emf, {kW, kH});
    FAIL() << "no error";
  } catch (const EMetafileError& e) {
    EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
  }
  EXPECT_THROW(TMetafileCanvas(Path("no/such/x.wmf"), TMetafileKind::Wmf, {kW, kH}), EMetafileError);
}

TEST_F(MetafileTest, ManyDifferentPensReuseAndFreeHandles) {
  const std::string name = Path("pens.emf");
  {
    TMetafileCanvas c(name, TMetafileKind::Emf, {kW, kH});
    for (int i = 0; i < 300; ++i) {
      c.SelectPen(CreatePen(psSolid, 1 + i % 150, RGB(std::uint8_t(i), 0, 0)));
      c.MoveToEx(0, i % kH);
      c.LineTo(kW, i % kH);
    }
    c.Close();
  }
  const std::vector<char> bytes = ReadAll(name);
  const std::vector<Rec> recs = WalkEmf(bytes);
  EXPECT_EQ(Of(recs, U_EMR_CREATEPEN).size(), 300u);
  EXPECT_GT(Of(recs, U_EMR_DELETEOBJECT).size(), 200u);
  EXPECT_LT(At<U_EMRHEADER>(bytes, 0).nHandles, 64);
}

// Bitmaps, pattern brushes, block fills, regions and laid-out text: every
// record they make passes the walk in both formats.
TEST_F(MetafileTest, BitmapsPatternsFillsAndDrawTextMakeWellFormedRecords) {
  for (const TMetafileKind kind : {TMetafileKind::Emf, TMetafileKind::Wmf}) {
    const std::string name = Path(kind == TMetafileKind::Emf ? "misc.emf" : "misc.wmf");
    {
      TMetafileCanvas c(name, kind, {kW, kH});
      TBitmap picture(9, 5, RGB(10, 20, 30));
      c.StretchBlt(10, 10, 18, 10, picture, 0, 0, 9, 5, SRCCOPY);
      TBrushPattern pattern;
      pattern.Rows[0] = 0xAA;
      c.SelectBrush(CreatePatternBrush(pattern));
      c.Ellipse(40, 10, 80, 40);
      c.FillRect(TRect{5, 60, 50, 90}, CreateSolidBrush(RGB(200, 0, 0)));
      c.PatBlt(60, 60, 20, 20, DSTINVERT);
      const TRegion rgn = CreateRectRgn(100, 10, 130, 40);
      c.FillRgn(rgn, CreateHatchBrush(bsBDiagonal, clBlack));
      c.FrameRgn(rgn, CreateSolidBrush(clBlack), 2, 2);
      c.InvertRgn(rgn);
      c.SetArcDirection(AD_CLOCKWISE);
      c.Pie(140, 10, 190, 60, 190, 35, 140, 35);
      c.RoundRect(140, 60, 190, 95, 10, 10);
      TRect box{100, 50, 190, 95};
      c.DrawText("第一行\n second", box, DT_CENTER);
      c.Close();
    }
    if (kind == TMetafileKind::Emf) {
      const std::vector<char> bytes = ReadAll(name);
      const std::vector<Rec> recs = WalkEmf(bytes);
      EXPECT_EQ(Of(recs, U_EMR_STRETCHDIBITS).size(), 1u);
      EXPECT_EQ(Of(recs, U_EMR_CREATEMONOBRUSH).size(), 1u);
      EXPECT_EQ(Of(recs, U_EMR_BITBLT).size(), 2u);
      EXPECT_EQ(Of(recs, U_EMR_EXTTEXTOUTW).size(), 2u);
      EXPECT_EQ(Of(recs, U_EMR_SETARCDIRECTION).size(), 1u);
    } else {
      const WmfFile f = WalkWmf(name);
      int dib = 0, text = 0;
      for (const Rec& r : f.recs) {
        dib += r.type == U_WMR_STRETCHDIB;
        text += r.type == U_WMR_TEXTOUT;
      }
      EXPECT_EQ(dib, 1);
      EXPECT_EQ(text, 2);
    }
  }
}

}  // namespace
