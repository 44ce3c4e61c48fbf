// EMF/WMF playback. Every record is turned into calls on a TQtCanvas drawing
// into the caller's painter. The player keeps the metafile's DC state itself
// (mapping, world transform, objects, clip) and hands the canvas device
// coordinates in sixteenths of a pixel, so one fixed canvas mapping serves
// every mapping mode, world transforms included. The EMF records are played
// here, the WMF ones in MetafileWmfPlayer.cpp.

#include "platform/MetafilePlayer.h"

#include "platform/MetafilePlayerDc.h"

namespace {

using namespace metafile_play;

// ---- EMF ----

template <typename T>
const T* As(const char* Rec) {
  return reinterpret_cast<const T*>(Rec);
}

template <typename P>
std::vector<QPointF> Points(const P* Pts, std::size_t N) {
  std::vector<QPointF> out(N);
  for (std::size_t i = 0; i < N; ++i) out[i] = QPointF(Pts[i].x, Pts[i].y);
  return out;
}


QImage EmfDib(const char* Rec, std::uint32_t Size, std::uint32_t OffBmi, std::uint32_t CbBmi, std::uint32_t OffBits,
              std::uint32_t CbBits) {
  if (!CbBmi || OffBmi > Size || CbBmi > Size - OffBmi || OffBits > Size || CbBits > Size - OffBits) return {};
  if (!bitmapinfo_safe(Rec + OffBmi, Rec + Size)) return {};
  return DecodeDib(Rec + OffBmi, CbBmi, Rec + OffBits, CbBits);
}

// The rectangles of a record's region data, if its counts fit the bytes.
std::optional<std::span<const U_RECTL>> RegionRects(const char* Rec, std::size_t Size, const U_RGNDATA* Rd,
                                                    std::size_t Cb) {
  const std::size_t at = std::size_t(reinterpret_cast<const char*>(Rd) - Rec);
  if (at > Size || Cb > Size - at || Cb < sizeof(U_RGNDATAHEADER)) return std::nullopt;
  const std::size_t n = Rd->rdh.nCount;
  if (n > (Cb - sizeof(U_RGNDATAHEADER)) / sizeof(U_RECTL)) return std::nullopt;
  return std::span<const U_RECTL>(Rd->Buffer, n);
}

// Part of a source bitmap, transparent where the mask (from MaskAt) has
// 0 bits; without a mask, opaque.
QImage Masked(const QImage& Src, const U_POINTL& At, const U_POINTL& Size, const QImage* Mask, const U_POINTL& MaskFrom) {
  // In doubles: the file's corners may add up past an int.
  const QRect Part = (QRectF(At.x, At.y, Size.x, Size.y).normalized() & QRectF(Src.rect())).toAlignedRect();
  if (Part.isEmpty()) return {};
  const auto near = [](std::int32_t v) { return int(std::clamp<std::int32_t>(v, -(1 << 24), 1 << 24)); };
  const QPoint MaskAt(near(MaskFrom.x), near(MaskFrom.y));
  QImage out = Src.copy(Part).convertToFormat(QImage::Format_ARGB32);
  if (!Mask || Mask->isNull()) return out;
  for (int y = 0; y < out.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) {
      const QPoint m = MaskAt + QPoint(x, y);
      // A mask's 1 bits are its second colour, white.
      const bool on = Mask->rect().contains(m) && qGray(Mask->pixel(m)) >= 128;
      if (!on) line[x] = 0;
    }
  }
  return out;
}

// The full ternary raster code of an operation index, for the usual ones.
std::uint32_t Rop3(std::uint8_t Index) {
  switch (Index) {
    case 0x00: return U_BLACKNESS;
    case 0xFF: return U_WHITENESS;
    case 0x88: return U_SRCAND;
    case 0xEE: return U_SRCPAINT;
    case 0x66: return U_SRCINVERT;
    case 0x55: return U_DSTINVERT;
    case 0x33: return U_NOTSRCCOPY;
    case 0xF0: return U_PATCOPY;
    default: return U_SRCCOPY;
  }
}

// One EMF record; false ends the playback.
bool PlayEmfRecord(TPlayer& P, const char* Rec, std::uint32_t Size, bool& End) {
  const std::uint32_t type = As<U_EMR>(Rec)->iType;
  auto poly = [&](auto* r, auto cpts, auto* pts, std::size_t headSize) -> std::optional<std::vector<QPointF>> {
    const std::size_t n = cpts;
    if ((Size - headSize) / sizeof(pts[0]) < n || !P.TakePoints(n)) return std::nullopt;
    (void)r;
    return Points(pts, n);
  };
  switch (type) {
    case U_EMR_EOF: End = true; return true;
    case U_EMR_POLYBEZIER: case U_EMR_POLYGON: case U_EMR_POLYLINE: case U_EMR_POLYBEZIERTO: case U_EMR_POLYLINETO: {
      const auto* r = As<U_EMRPOLYLINE>(Rec);
      auto pts = poly(r, r->cptl, r->aptl, U_SIZE_EMRPOLYLINE);
      if (!pts) return false;
      if (type == U_EMR_POLYBEZIER || type == U_EMR_POLYBEZIERTO) P.PolyBezier(*pts, type == U_EMR_POLYBEZIERTO);
      else if (type == U_EMR_POLYLINETO) P.PolyTo(*pts);
      else P.Poly(*pts, type == U_EMR_POLYGON);
      return true;
    }
    case U_EMR_POLYBEZIER16: case U_EMR_POLYGON16: case U_EMR_POLYLINE16: case U_EMR_POLYBEZIERTO16:
    case U_EMR_POLYLINETO16: {
      const auto* r = As<U_EMRPOLYLINE16>(Rec);
      auto pts = poly(r, r->cpts, r->apts, U_SIZE_EMRPOLYLINE16);
      if (!pts) return false;
      if (type == U_EMR_POLYBEZIER16 || type == U_EMR_POLYBEZIERTO16) P.PolyBezier(*pts, type == U_EMR_POLYBEZIERTO16);
      else if (type == U_EMR_POLYLINETO16) P.PolyTo(*pts);
      else P.Poly(*pts, type == U_EMR_POLYGON16);
      return true;
    }
    case U_EMR_POLYPOLYLINE: case U_EMR_POLYPOLYGON: case U_EMR_POLYPOLYLINE16: case U_EMR_POLYPOLYGON16: {
      const bool small = type == U_EMR_POLYPOLYLINE16 || type == U_EMR_POLYPOLYGON16;
      const auto* r = As<U_EMRPOLYPOLYLINE>(Rec);
      const std::size_t polys = r->nPolys, total = r->cptl;
      const std::size_t each = small ? sizeof(U_POINT16) : sizeof(U_POINTL);
      const std::size_t head = U_SIZE_EMRPOLYPOLYLINE;
      if (polys > (Size - head) / 4 || total > (Size - head - polys * 4) / each || !P.TakePoints(total)) return false;
      const auto* counts = reinterpret_cast<const std::uint32_t*>(Rec + head);
      const char* pts = Rec + head + polys * 4;
      const bool closed = type == U_EMR_POLYPOLYGON || type == U_EMR_POLYPOLYGON16;
      std::size_t at = 0;
      for (std::size_t i = 0; i < polys; ++i) {
        const std::size_t n = counts[i];
        if (n > total - at) return false;
        std::vector<QPointF> one =
            small ? Points(reinterpret_cast<const U_POINT16*>(pts) + at, n) : Points(reinterpret_cast<const U_POINTL*>(pts) + at, n);
        P.Poly(one, closed);
        at += n;
      }
      return true;
    }
    case U_EMR_SETWINDOWEXTEX: P.S.WinExt = QPointF(As<U_EMRSETWINDOWEXTEX>(Rec)->szlExtent.cx, As<U_EMRSETWINDOWEXTEX>(Rec)->szlExtent.cy); break;
    case U_EMR_SETWINDOWORGEX: P.S.WinOrg = QPointF(As<U_EMRSETWINDOWORGEX>(Rec)->ptlOrigin.x, As<U_EMRSETWINDOWORGEX>(Rec)->ptlOrigin.y); break;
    case U_EMR_SETVIEWPORTEXTEX: P.S.VpExt = QPointF(As<U_EMRSETVIEWPORTEXTEX>(Rec)->szlExtent.cx, As<U_EMRSETVIEWPORTEXTEX>(Rec)->szlExtent.cy); break;
    case U_EMR_SETVIEWPORTORGEX: P.S.VpOrg = QPointF(As<U_EMRSETVIEWPORTORGEX>(Rec)->ptlOrigin.x, As<U_EMRSETVIEWPORTORGEX>(Rec)->ptlOrigin.y); break;
    case U_EMR_SETMAPMODE: P.S.MapMode = int(As<U_EMRSETMAPMODE>(Rec)->iMode); break;
    case U_EMR_SCALEVIEWPORTEXTEX: case U_EMR_SCALEWINDOWEXTEX: {
      const auto* r = As<U_EMRSCALEVIEWPORTEXTEX>(Rec);
      if (!r->xDenom || !r->yDenom) return true;
      QPointF& e = type == U_EMR_SCALEVIEWPORTEXTEX ? P.S.VpExt : P.S.WinExt;
      e = QPointF(e.x() * r->xNum / r->xDenom, e.y() * r->yNum / r->yDenom);
      break;
    }
    case U_EMR_SETWORLDTRANSFORM: case U_EMR_MODIFYWORLDTRANSFORM: {
      const U_XFORM& x = As<U_EMRSETWORLDTRANSFORM>(Rec)->xform;
      const QTransform m(x.eM11, x.eM12, x.eM21, x.eM22, x.eDx, x.eDy);
      if (!m.isInvertible() || !std::isfinite(m.m11() + m.m12() + m.m21() + m.m22() + m.dx() + m.dy())) return true;
      const std::uint32_t mode = type == U_EMR_SETWORLDTRANSFORM ? 4 : As<U_EMRMODIFYWORLDTRANSFORM>(Rec)->iMode;
      if (mode == U_MWT_IDENTITY) P.S.World = QTransform();
      else if (mode == U_MWT_LEFTMULTIPLY) P.S.World = m * P.S.World;
      else if (mode == U_MWT_RIGHTMULTIPLY) P.S.World = P.S.World * m;
      else P.S.World = m;
      break;
    }
    case U_EMR_SETBKMODE: P.S.BkMode = int(As<U_EMRSETBKMODE>(Rec)->iMode); P.Canvas().SetBkMode(P.S.BkMode); return true;
    case U_EMR_SETPOLYFILLMODE: P.S.PolyFill = int(As<U_EMRSETPOLYFILLMODE>(Rec)->iMode); P.Canvas().SetPolyFillMode(P.S.PolyFill); return true;
    case U_EMR_SETROP2: P.S.Rop2 = int(As<U_EMRSETROP2>(Rec)->iMode); P.Canvas().SetROP2(P.S.Rop2); return true;
    case U_EMR_SETTEXTALIGN: P.S.Align = As<U_EMRSETTEXTALIGN>(Rec)->iMode; P.Canvas().SetTextAlign(P.S.Align); return true;
    case U_EMR_SETTEXTCOLOR: P.S.TextColor = Color(As<U_EMRSETTEXTCOLOR>(Rec)->crColor); P.Canvas().SetTextColor(P.S.TextColor); return true;
    case U_EMR_SETBKCOLOR: P.S.BkColor = Color(As<U_EMRSETBKCOLOR>(Rec)->crColor); P.Canvas().SetBkColor(P.S.BkColor); return true;
    case U_EMR_SETARCDIRECTION: P.S.ArcDir = int(As<U_EMRSETARCDIRECTION>(Rec)->iArcDirection); P.Canvas().SetArcDirection(P.ArcDirOnDevice()); return true;
    case U_EMR_MOVETOEX: P.MoveTo(As<U_EMRMOVETOEX>(Rec)->ptl.x, As<U_EMRMOVETOEX>(Rec)->ptl.y); return true;
    case U_EMR_LINETO: P.LineTo(As<U_EMRLINETO>(Rec)->ptl.x, As<U_EMRLINETO>(Rec)->ptl.y); return true;
    case U_EMR_SAVEDC: P.Save(); return true;
    case U_EMR_RESTOREDC: P.Restore(As<U_EMRRESTOREDC>(Rec)->iRelative); return true;
    case U_EMR_INTERSECTCLIPRECT: case U_EMR_EXCLUDECLIPRECT: {
      const U_RECTL& r = As<U_EMRINTERSECTCLIPRECT>(Rec)->rclClip;
      P.Clip(P.BoxRegion(r.left, r.top, r.right, r.bottom), type == U_EMR_INTERSECTCLIPRECT ? RGN_AND : RGN_DIFF);
      return true;
    }
    case U_EMR_EXTSELECTCLIPRGN: {
      const auto* r = As<U_EMREXTSELECTCLIPRGN>(Rec);
      if (r->cbRgnData == 0) {
        if (r->iMode == U_RGN_COPY) P.ResetClip();
        return true;
      }
      const auto rects = RegionRects(Rec, Size, r->RgnData, r->cbRgnData);
      if (!rects || !P.TakePoints(rects->size())) return false;
      P.Clip(P.FrameRects(*rects), int(r->iMode));
      return true;
    }
    case U_EMR_SELECTCLIPPATH: P.ClipPath(int(As<U_EMRSELECTCLIPPATH>(Rec)->iMode)); return true;
    case U_EMR_OFFSETCLIPRGN: P.OffsetClip(As<U_EMROFFSETCLIPRGN>(Rec)->ptlOffset.x, As<U_EMROFFSETCLIPRGN>(Rec)->ptlOffset.y); return true;
    case U_EMR_POLYDRAW: case U_EMR_POLYDRAW16: {
      // The points, then one type byte each.
      const bool small = type == U_EMR_POLYDRAW16;
      const std::size_t head = small ? offsetof(U_EMRPOLYDRAW16, apts) : offsetof(U_EMRPOLYDRAW, aptl);
      const std::size_t each = small ? sizeof(U_POINT16) : sizeof(U_POINTL);
      const std::size_t n = small ? As<U_EMRPOLYDRAW16>(Rec)->cpts : As<U_EMRPOLYDRAW>(Rec)->cptl;
      if (Size < head || n > (Size - head) / (each + 1) || !P.TakePoints(n)) return false;
      P.PolyDraw(small ? Points(As<U_EMRPOLYDRAW16>(Rec)->apts, n) : Points(As<U_EMRPOLYDRAW>(Rec)->aptl, n),
                 reinterpret_cast<const std::uint8_t*>(Rec + head + n * each));
      return true;
    }
    case U_EMR_SELECTOBJECT: P.Select(As<U_EMRSELECTOBJECT>(Rec)->ihObject); return true;
    case U_EMR_DELETEOBJECT: P.Delete(As<U_EMRDELETEOBJECT>(Rec)->ihObject); return true;
    case U_EMR_CREATEPEN: {
      const auto* r = As<U_EMRCREATEPEN>(Rec);
      TObject o;
      o.K = TObject::Pen;
      o.P = PenOf(r->lopn.lopnStyle, r->lopn.lopnWidth.x, Color(r->lopn.lopnColor), false);
      P.Store(r->ihPen, o);
      return true;
    }
    case U_EMR_EXTCREATEPEN: {
      const auto* r = As<U_EMREXTCREATEPEN>(Rec);
      TObject o;
      o.K = TObject::Pen;
      const bool geometric = r->elp.elpPenStyle & U_PS_GEOMETRIC;
      o.P = PenOf(r->elp.elpPenStyle & ~std::uint32_t(U_PS_GEOMETRIC), geometric ? std::int32_t(r->elp.elpWidth) : 0,
                  Color(r->elp.elpColor), geometric);
      if (r->elp.elpBrushStyle == U_BS_NULL) o.P.Style = psClear;
      P.Store(r->ihPen, o);
      return true;
    }
    case U_EMR_CREATEBRUSHINDIRECT: {
      const auto* r = As<U_EMRCREATEBRUSHINDIRECT>(Rec);
      TObject o;
      o.K = TObject::Brush;
      o.B = BrushOf(r->lb.lbStyle, Color(r->lb.lbColor), r->lb.lbHatch);
      P.Store(r->ihBrush, o);
      return true;
    }
    case U_EMR_CREATEMONOBRUSH: case U_EMR_CREATEDIBPATTERNBRUSHPT: {
      // A monochrome brush paints in the text and background colours; a DIB
      // pattern in its own colours.
      const auto* r = As<U_EMRCREATEMONOBRUSH>(Rec);
      const QImage tile = EmfDib(Rec, Size, r->offBmi, r->cbBmi, r->offBits, r->cbBits);
      TObject o;
      o.K = TObject::Brush;
      o.B = PatternBrush(tile);
      if (type == U_EMR_CREATEDIBPATTERNBRUSHPT && !tile.isNull()) o.Pattern = tile.convertToFormat(QImage::Format_RGB32);
      P.Store(r->ihBrush, o);
      return true;
    }
    case U_EMR_EXTCREATEFONTINDIRECTW: {
      const auto* r = As<U_EMREXTCREATEFONTINDIRECTW>(Rec);
      if (Size < U_SIZE_EMREXTCREATEFONTINDIRECTW_LOGFONT) return false;
      const U_LOGFONT& lf = r->elfw.elfLogFont;
      TObject o;
      o.K = TObject::Font;
      o.F.Height = lf.lfHeight;
      o.F.Escapement = lf.lfEscapement;
      o.F.Orientation = lf.lfOrientation;
      o.F.Weight = lf.lfWeight;
      o.F.Italic = lf.lfItalic, o.F.Underline = lf.lfUnderline, o.F.StrikeOut = lf.lfStrikeOut;
      o.F.CharSet = lf.lfCharSet;
      std::size_t n = 0;
      while (n < U_LF_FACESIZE && lf.lfFaceName[n]) ++n;
      o.F.FaceName = Utf16Text(reinterpret_cast<const char*>(lf.lfFaceName), n);
      P.Store(r->ihFont, o);
      return true;
    }
    case U_EMR_RECTANGLE: case U_EMR_ELLIPSE: {
      // Boxes are inclusive in the file; the canvas's exclude their far edges.
      const U_RECTL& b = As<U_EMRRECTANGLE>(Rec)->rclBox;
      P.Box(type == U_EMR_RECTANGLE ? 0 : 1, b.left, b.top, b.right + 1.0, b.bottom + 1.0);
      return true;
    }
    case U_EMR_ROUNDRECT: {
      const auto* r = As<U_EMRROUNDRECT>(Rec);
      P.Box(2, r->rclBox.left, r->rclBox.top, r->rclBox.right + 1.0, r->rclBox.bottom + 1.0, r->szlCorner.cx, r->szlCorner.cy);
      return true;
    }
    case U_EMR_ARC: case U_EMR_CHORD: case U_EMR_PIE: case U_EMR_ARCTO: {
      const auto* r = As<U_EMRARC>(Rec);
      const U_RECTL& b = r->rclBox;
      if (type == U_EMR_ARCTO) {
        // A line from the current position to the arc's start, then the arc;
        // the current position ends at the arc's end.
        P.PolyTo(P.ArcPoints(0, b.left, b.top, b.right + 1.0, b.bottom + 1.0, QPointF(r->ptlStart.x, r->ptlStart.y),
                             QPointF(r->ptlEnd.x, r->ptlEnd.y)));
        return true;
      }
      P.ArcShape(type == U_EMR_CHORD ? 1 : type == U_EMR_PIE ? 2 : 0, b.left, b.top, b.right + 1.0, b.bottom + 1.0,
                 QPointF(r->ptlStart.x, r->ptlStart.y), QPointF(r->ptlEnd.x, r->ptlEnd.y));
      return true;
    }
    case U_EMR_ANGLEARC: {
      const auto* r = As<U_EMRANGLEARC>(Rec);
      const double rad = r->nRadius, a0 = r->eStartAngle * std::numbers::pi / 180,
                   sw = std::clamp<double>(r->eSweepAngle, -3600, 3600) * std::numbers::pi / 180;
      if (!std::isfinite(a0) || !std::isfinite(sw)) return true;
      std::vector<QPointF> pts;
      for (int i = 0; i <= 64; ++i) {
        const double a = a0 + sw * i / 64;
        pts.push_back({r->ptlCenter.x + rad * std::cos(a), r->ptlCenter.y - rad * std::sin(a)});
      }
      P.PolyTo(pts);
      return true;
    }
    case U_EMR_BEGINPATH: P.BeginPath(); return true;
    case U_EMR_ENDPATH: P.EndPath(); return true;
    case U_EMR_ABORTPATH: P.ClearPath(); return true;
    case U_EMR_CLOSEFIGURE: P.CloseFigure(); return true;
    case U_EMR_FILLPATH: P.PathOp(0); return true;
    case U_EMR_STROKEPATH: P.PathOp(1); return true;
    case U_EMR_STROKEANDFILLPATH: P.PathOp(2); return true;
    case U_EMR_FILLRGN: case U_EMR_PAINTRGN: case U_EMR_INVERTRGN: case U_EMR_FRAMERGN: {
      const U_RGNDATA* rd = type == U_EMR_FILLRGN    ? As<U_EMRFILLRGN>(Rec)->RgnData
                            : type == U_EMR_FRAMERGN ? As<U_EMRFRAMERGN>(Rec)->RgnData
                                                     : As<U_EMRPAINTRGN>(Rec)->RgnData;
      const auto rects = RegionRects(Rec, Size, rd, As<U_EMRPAINTRGN>(Rec)->cbRgnData);
      if (!rects || !P.TakePoints(rects->size())) return false;
      const QRegion area = P.FrameRects(*rects);
      const TRegion rgn = RegionFromQt(area);
      TLogBrush brush = P.S.Brush;
      QImage pattern = P.S.Pattern;
      if (type == U_EMR_FILLRGN || type == U_EMR_FRAMERGN) {
        const std::uint32_t ih = type == U_EMR_FILLRGN ? As<U_EMRFILLRGN>(Rec)->ihBrush : As<U_EMRFRAMERGN>(Rec)->ihBrush;
        if (ih < P.Objects.size() && P.Objects[ih] && P.Objects[ih]->K == TObject::Brush)
          brush = P.Objects[ih]->B, pattern = P.Objects[ih]->Pattern;
      }
      if (type != U_EMR_INVERTRGN && type != U_EMR_FRAMERGN && !pattern.isNull()) {
        QPainterPath path;
        path.addRegion(area);
        std::swap(P.S.Pattern, pattern);
        P.FillPattern(path);
        std::swap(P.S.Pattern, pattern);
      } else if (type == U_EMR_FILLRGN) P.Canvas().FillRgn(rgn, brush);
      else if (type == U_EMR_PAINTRGN) P.Canvas().PaintRgn(rgn);
      else if (type == U_EMR_INVERTRGN) P.Canvas().InvertRgn(rgn);
      else {
        const U_SIZEL& s = As<U_EMRFRAMERGN>(Rec)->szlStroke;
        const QPointF d = P.Frame().map(QPointF(s.cx, s.cy)) - P.Frame().map(QPointF(0, 0));
        P.Canvas().FrameRgn(rgn, brush, std::max(1, int(std::lround(std::abs(d.x())))),
                            std::max(1, int(std::lround(std::abs(d.y())))));
      }
      return true;
    }
    case U_EMR_BITBLT: case U_EMR_STRETCHBLT: {
      // A stretch adds the source's size at the end of the same layout.
      const auto* r = As<U_EMRBITBLT>(Rec);
      const U_POINTL cs = type == U_EMR_STRETCHBLT ? As<U_EMRSTRETCHBLT>(Rec)->cSrc : r->cDest;
      const QImage img = r->cbBitsSrc ? EmfDib(Rec, Size, r->offBmiSrc, r->cbBmiSrc, r->offBitsSrc, r->cbBitsSrc) : QImage();
      if (r->cbBitsSrc && img.isNull()) return true;
      const bool up = !img.isNull() && BottomUp(Rec + r->offBmiSrc);
      P.Blit(r->Dest.x, r->Dest.y, r->cDest.x, r->cDest.y, img, r->Src.x, DibTop(img, r->Src.y, cs.y, up), cs.x, cs.y,
             r->dwRop);
      return true;
    }
    case U_EMR_MASKBLT: {
      const auto* r = As<U_EMRMASKBLT>(Rec);
      if (Size < U_SIZE_EMRMASKBLT) return false;
      const QImage src = EmfDib(Rec, Size, r->offBmiSrc, r->cbBmiSrc, r->offBitsSrc, r->cbBitsSrc);
      const QImage mask = EmfDib(Rec, Size, r->offBmiMask, r->cbBmiMask, r->offBitsMask, r->cbBitsMask);
      // The high byte picks what the mask's 0 bits do, the next one its 1 bits.
      const std::uint8_t fore = std::uint8_t(r->dwRop >> 16), back = std::uint8_t(r->dwRop >> 24);
      if (!mask.isNull() && fore == 0xCC && back == 0xAA && !src.isNull()) {
        const QPointF d(r->Dest.x, r->Dest.y);
        P.DrawImage(Masked(src, r->Src, r->cDest, &mask, r->Mask), d, d + QPointF(r->cDest.x, 0), d + QPointF(0, r->cDest.y));
        return true;
      }
      if (r->cbBitsSrc && src.isNull()) return true;
      P.Blit(r->Dest.x, r->Dest.y, r->cDest.x, r->cDest.y, src, r->Src.x, r->Src.y, r->cDest.x, r->cDest.y, Rop3(fore));
      return true;
    }
    case U_EMR_PLGBLT: {
      const auto* r = As<U_EMRPLGBLT>(Rec);
      if (Size < U_SIZE_EMRPLGBLT) return false;
      const QImage src = EmfDib(Rec, Size, r->offBmiSrc, r->cbBmiSrc, r->offBitsSrc, r->cbBitsSrc);
      if (src.isNull()) return true;
      const QImage mask = EmfDib(Rec, Size, r->offBmiMask, r->cbBmiMask, r->offBitsMask, r->cbBitsMask);
      const QImage part = Masked(src, r->Src, r->cSrc, mask.isNull() ? nullptr : &mask, r->Mask);
      const U_POINTL* q = r->aptlDst;
      P.DrawImage(part, QPointF(q[0].x, q[0].y), QPointF(q[1].x, q[1].y), QPointF(q[2].x, q[2].y));
      return true;
    }
    case U_EMR_STRETCHDIBITS: {
      const auto* r = As<U_EMRSTRETCHDIBITS>(Rec);
      const QImage img = EmfDib(Rec, Size, r->offBmiSrc, r->cbBmiSrc, r->offBitsSrc, r->cbBitsSrc);
      if (img.isNull()) return true;
      const bool up = BottomUp(Rec + r->offBmiSrc);
      P.Blit(r->Dest.x, r->Dest.y, r->cDest.x, r->cDest.y, img, r->Src.x, DibTop(img, r->Src.y, r->cSrc.y, up),
             r->cSrc.x, r->cSrc.y, r->dwRop);
      return true;
    }
    case U_EMR_EXTTEXTOUTW: case U_EMR_EXTTEXTOUTA: {
      const auto* r = As<U_EMREXTTEXTOUTW>(Rec);
      const U_EMRTEXT& t = r->emrtext;
      const std::size_t unit = type == U_EMR_EXTTEXTOUTW ? 2 : 1;
      if (t.offString > Size || t.nChars > (Size - t.offString) / unit) return false;
      const char* s = Rec + t.offString;
      const std::string text = unit == 2 ? Utf16Text(s, t.nChars) : AnsiText(s, t.nChars, P.S.Font.CharSet);
      std::optional<QRectF> opaque;
      if ((t.fOptions & U_ETO_OPAQUE) && !(t.fOptions & U_ETO_NO_RECT) &&
          Size >= U_SIZE_EMREXTTEXTOUTW + sizeof(U_RECTL)) {
        const auto* rc = reinterpret_cast<const U_RECTL*>(Rec + U_SIZE_EMREXTTEXTOUTW);
        opaque = QRectF(QPointF(rc->left, rc->top), QPointF(rc->right, rc->bottom));
      }
      // The spacing array's offset follows the optional rectangle; with
      // U_ETO_PDY each entry is an x and a y advance.
      const std::size_t offDxAt = U_SIZE_EMREXTTEXTOUTW + ((t.fOptions & U_ETO_NO_RECT) ? 0 : sizeof(U_RECTL));
      TSpacing spacing;
      if (Size >= offDxAt + 4) {
        const std::uint32_t offDx = Le32(reinterpret_cast<const std::uint8_t*>(Rec + offDxAt));
        const std::size_t stride = (t.fOptions & U_ETO_PDY) ? 8 : 4;
        if (offDx && (offDx > Size || t.nChars > (Size - offDx) / stride)) return false;
        if (offDx) {
          std::vector<double> dx(t.nChars);
          for (std::size_t i = 0; i < dx.size(); ++i)
            dx[i] = std::int32_t(Le32(reinterpret_cast<const std::uint8_t*>(Rec + offDx + i * stride)));
          spacing = unit == 2 ? Utf16Spacing(s, t.nChars, dx) : AnsiSpacing(s, t.nChars, P.S.Font.CharSet, dx);
        }
      }
      P.Text(t.ptlReference.x, t.ptlReference.y, text, opaque, spacing);
      return true;
    }
    default: return true;  // comments, palettes and what is not painted
  }
  P.MappingChanged();
  return true;
}

TMetafilePlayback PlayEmf(TPlayer& P, const char* Data, std::size_t Size) {
  TMetafilePlayback out;
  std::size_t at = 0;
  while (at + 8 <= Size && out.Records < kMaxRecords) {
    const char* rec = Data + at;
    const std::uint32_t n = As<U_EMR>(rec)->nSize;
    // The record must lie within the file and hold together inside.
    if (n < 8 || n % 4 || n > Size - at || !U_emf_record_safe(rec)) break;
    ++out.Records;
    bool end = false;
    if (!PlayEmfRecord(P, rec, n, end)) break;
    if (end) {
      out.Complete = true;
      break;
    }
    at += n;
  }
  return out;
}

QTransform RectToPoints(const QRectF& Frame, QPointF TopLeft, QPointF BottomRight) {
  const double sx = (BottomRight.x() - TopLeft.x()) / Frame.width();
  const double sy = (BottomRight.y() - TopLeft.y()) / Frame.height();
  return QTransform(sx, 0, 0, sy, TopLeft.x() - Frame.left() * sx, TopLeft.y() - Frame.top() * sy);
}

}  // namespace

using namespace metafile_play;

TMetafileFormat MetafileFormat(std::span<const std::uint8_t> Bytes) {
  if (Bytes.size() >= 88 && Le32(Bytes.data()) == U_EMR_HEADER && Le32(Bytes.data() + 40) == U_ENHMETA_SIGNATURE)
    return TMetafileFormat::Emf;
  std::size_t at = 0;
  if (Bytes.size() >= 22 && Le32(Bytes.data()) == kPlaceableKey) at = 22;
  if (Bytes.size() >= at + 18 && (Le16(Bytes.data() + at) == 1 || Le16(Bytes.data() + at) == 2) &&
      Le16(Bytes.data() + at + 2) == 9)
    return TMetafileFormat::Wmf;
  return TMetafileFormat::None;
}

TMetafilePlayback PlayMetafile(QPainter& Painter, std::span<const std::uint8_t> Bytes, QPointF TopLeft,
                               QPointF BottomRight) {
  const TMetafileFormat format = MetafileFormat(Bytes);
  if (format == TMetafileFormat::None || !Painter.isActive()) return {};
  const char* data = reinterpret_cast<const char*>(Bytes.data());
  const std::size_t size = Bytes.size();
  const QRect target = QRectF(TopLeft, BottomRight).normalized().toAlignedRect();
  QRegion base(target);
  if (Painter.hasClipping()) base &= Painter.clipRegion();

  Painter.save();
  TMetafilePlayback result;
  if (format == TMetafileFormat::Emf) {
    const auto* h = reinterpret_cast<const U_EMRHEADER*>(data);
    if (h->emr.nSize < U_SIZE_EMRHEADER_MIN || h->emr.nSize > size || !U_emf_record_safe(data)) {
      Painter.restore();
      return {};
    }
    // The frame is the bounds (inclusive device pixels), or the 0.01 mm
    // frame on the reference device when nothing was bounded.
    QRectF frame(QPointF(h->rclBounds.left, h->rclBounds.top), QPointF(h->rclBounds.right + 1.0, h->rclBounds.bottom + 1.0));
    const double pxPerMm = h->szlMillimeters.cx > 0 && h->szlDevice.cx > 0
                               ? double(h->szlDevice.cx) / h->szlMillimeters.cx
                               : 96 / 25.4;
    if (frame.width() <= 1 || frame.height() <= 1)
      frame = QRectF(QPointF(h->rclFrame.left, h->rclFrame.top) * pxPerMm / 100,
                     QPointF(h->rclFrame.right, h->rclFrame.bottom) * pxPerMm / 100);
    if (frame.width() > 0 && frame.height() > 0) {
      TPlayer player(Painter, RectToPoints(frame, TopLeft, BottomRight), pxPerMm, base);
      result = PlayEmf(player, data, size);
    }
  } else {
    U_WMRPLACEABLE placeable{};
    U_WMRHEADER header{};
    const int start = wmfheader_get(data, data + size, &placeable, &header);
    if (start > 0) {
      QRectF frame;
      double perInch = 96;
      if (placeable.Key == kPlaceableKey) {
        frame = QRectF(QPointF(placeable.Dst.left, placeable.Dst.top), QPointF(placeable.Dst.right, placeable.Dst.bottom)).normalized();
        if (placeable.Inch) perInch = placeable.Inch;
      } else {
        frame = FirstWindow(data, size, std::size_t(start)).normalized();
      }
      if (frame.width() > 0 && frame.height() > 0) {
        TPlayer player(Painter, RectToPoints(frame, TopLeft, BottomRight), perInch / 25.4, base);
        // The player owns the viewport: the window maps onto the frame.
        player.S.MapMode = U_MM_ANISOTROPIC;
        player.S.WinOrg = player.S.VpOrg = frame.topLeft();
        player.S.WinExt = player.S.VpExt = QPointF(frame.width(), frame.height());
        player.MappingChanged();
        result = PlayWmf(player, data, size, std::size_t(start));
      }
    }
  }
  Painter.restore();
  return result;
}
