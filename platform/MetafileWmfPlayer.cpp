// WMF playback: 16-bit records, objects in the lowest free slots, regions
// in logical units.

#include "platform/MetafilePlayerDc.h"

namespace metafile_play {

namespace {

QRectF Rect16(const U_RECT16& r) { return QRectF(QPointF(r.left, r.top), QPointF(r.right, r.bottom)); }

std::vector<QPointF> WmfPoints(const char* Data, std::size_t N) {
  std::vector<QPointF> out(N);
  for (std::size_t i = 0; i < N; ++i) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(Data) + i * 4;
    out[i] = QPointF(std::int16_t(Le16(p)), std::int16_t(Le16(p + 2)));
  }
  return out;
}

// A WMF region's rectangles: scans of left/right pairs between a top and a
// bottom; a region without scans is its bounding box.
std::optional<std::vector<QRectF>> WmfRegionRects(const char* Region, const char* Limit) {
  if (Region > Limit || Limit - Region < 20) return std::nullopt;
  const auto* b = reinterpret_cast<const std::uint8_t*>(Region);
  const std::int16_t scans = std::int16_t(Le16(b + 8));
  auto at = [&](std::size_t i) { return double(std::int16_t(Le16(b + i))); };
  std::vector<QRectF> out;
  if (scans <= 0) {
    const QRectF box(QPointF(at(12), at(14)), QPointF(at(16), at(18)));
    if (!box.isEmpty()) out.push_back(box);
    return out;
  }
  std::size_t pos = 20;
  const std::size_t size = std::size_t(Limit - Region);
  for (int k = 0; k < scans; ++k) {
    if (size - pos < 8) return std::nullopt;
    const std::size_t count = Le16(b + pos);
    if ((size - pos - 8) / 2 < count) return std::nullopt;
    const double top = at(pos + 2), bottom = at(pos + 4);
    for (std::size_t i = 0; i + 1 < count; i += 2) out.emplace_back(QPointF(at(pos + 6 + 2 * i), top), QPointF(at(pos + 8 + 2 * i), bottom));
    pos += 8 + 2 * count;
  }
  return out;
}

QImage WmfDib(const char* Dib, const char* Limit) {
  const std::size_t head = DibHeaderSize(Dib, Limit);
  if (!head) return {};
  return DecodeDib(Dib, head, Dib + head, std::size_t(Limit - Dib) - head);
}

bool PlayWmfRecord(TPlayer& P, const char* Rec, std::size_t Size, bool& End) {
  const std::uint8_t type = std::uint8_t(Rec[4]);
  const char* limit = Rec + Size;
  U_POINT16 a{}, b{};
  U_RECT16 rc{};
  std::uint16_t u16 = 0;
  U_COLORREF colour{};
  switch (type) {
    case U_WMR_EOF: End = true; return true;
    case U_WMR_SETWINDOWORG: if (U_WMRSETWINDOWORG_get(Rec, &a)) P.S.WinOrg = QPointF(a.x, a.y); break;
    case U_WMR_SETWINDOWEXT: if (U_WMRSETWINDOWEXT_get(Rec, &a)) P.S.WinExt = QPointF(a.x, a.y); break;
    case U_WMR_SETVIEWPORTORG: if (U_WMRSETVIEWPORTORG_get(Rec, &a)) P.S.VpOrg = QPointF(a.x, a.y); break;
    case U_WMR_SETVIEWPORTEXT: if (U_WMRSETVIEWPORTEXT_get(Rec, &a)) P.S.VpExt = QPointF(a.x, a.y); break;
    case U_WMR_OFFSETWINDOWORG: if (U_WMROFFSETWINDOWORG_get(Rec, &a)) P.S.WinOrg += QPointF(a.x, a.y); break;
    case U_WMR_OFFSETVIEWPORTORG: if (U_WMROFFSETVIEWPORTORG_get(Rec, &a)) P.S.VpOrg += QPointF(a.x, a.y); break;
    case U_WMR_SCALEWINDOWEXT: case U_WMR_SCALEVIEWPORTEXT: {
      const bool window = type == U_WMR_SCALEWINDOWEXT;
      if (!(window ? U_WMRSCALEWINDOWEXT_get(Rec, &a, &b) : U_WMRSCALEVIEWPORTEXT_get(Rec, &a, &b)) || !a.x || !a.y) return true;
      QPointF& e = window ? P.S.WinExt : P.S.VpExt;
      e = QPointF(e.x() * b.x / a.x, e.y() * b.y / a.y);
      break;
    }
    case U_WMR_SETMAPMODE: if (U_WMRSETMAPMODE_get(Rec, &u16)) P.S.MapMode = u16; break;
    case U_WMR_SETBKMODE: if (U_WMRSETBKMODE_get(Rec, &u16)) P.S.BkMode = u16, P.Canvas().SetBkMode(u16); return true;
    case U_WMR_SETPOLYFILLMODE: if (U_WMRSETPOLYFILLMODE_get(Rec, &u16)) P.S.PolyFill = u16, P.Canvas().SetPolyFillMode(u16); return true;
    case U_WMR_SETROP2: if (U_WMRSETROP2_get(Rec, &u16)) P.S.Rop2 = u16, P.Canvas().SetROP2(u16); return true;
    case U_WMR_SETTEXTALIGN: if (U_WMRSETTEXTALIGN_get(Rec, &u16)) P.S.Align = u16, P.Canvas().SetTextAlign(u16); return true;
    case U_WMR_SETTEXTCOLOR: if (U_WMRSETTEXTCOLOR_get(Rec, &colour)) P.S.TextColor = Color(colour), P.Canvas().SetTextColor(P.S.TextColor); return true;
    case U_WMR_SETBKCOLOR: if (U_WMRSETBKCOLOR_get(Rec, &colour)) P.S.BkColor = Color(colour), P.Canvas().SetBkColor(P.S.BkColor); return true;
    case U_WMR_MOVETO: if (U_WMRMOVETO_get(Rec, &a)) P.MoveTo(a.x, a.y); return true;
    case U_WMR_LINETO: if (U_WMRLINETO_get(Rec, &a)) P.LineTo(a.x, a.y); return true;
    case U_WMR_SAVEDC: P.Save(); return true;
    case U_WMR_RESTOREDC: {
      std::int16_t level = 0;
      if (U_WMRRESTOREDC_get(Rec, &level)) P.Restore(level);
      return true;
    }
    case U_WMR_INTERSECTCLIPRECT: case U_WMR_EXCLUDECLIPRECT: {
      const bool in = type == U_WMR_INTERSECTCLIPRECT;
      if (in ? U_WMRINTERSECTCLIPRECT_get(Rec, &rc) : U_WMREXCLUDECLIPRECT_get(Rec, &rc))
        P.Clip(P.BoxRegion(rc.left, rc.top, rc.right, rc.bottom), in ? RGN_AND : RGN_DIFF);
      return true;
    }
    case U_WMR_SELECTCLIPREGION:
      // A handle that is no region (this program writes 0) lifts the clip.
      if (U_WMRSELECTCLIPREGION_get(Rec, &u16)) {
        if (u16 < P.Objects.size() && P.Objects[u16] && P.Objects[u16]->K == TObject::Region) P.Use(*P.Objects[u16]);
        else P.ResetClip();
      }
      return true;
    case U_WMR_OFFSETCLIPRGN: if (U_WMROFFSETCLIPRGN_get(Rec, &a)) P.OffsetClip(a.x, a.y); return true;
    case U_WMR_CREATEREGION: {
      const char* region = nullptr;
      if (!U_WMRCREATEREGION_get(Rec, &region) || !region) return false;
      auto rects = WmfRegionRects(region, limit);
      if (!rects || !P.TakePoints(rects->size())) return false;
      TObject o;
      o.K = TObject::Region;
      o.Rects = std::move(*rects);
      P.StoreNext(std::move(o));
      return true;
    }
    case U_WMR_SELECTOBJECT: if (U_WMRSELECTOBJECT_get(Rec, &u16)) P.Select(u16); return true;
    case U_WMR_DELETEOBJECT: if (U_WMRDELETEOBJECT_get(Rec, &u16)) P.Delete(u16); return true;
    case U_WMR_CREATEPENINDIRECT: {
      U_PEN pen{};
      if (Size < 16 || !U_WMRCREATEPENINDIRECT_get(Rec, &pen)) return false;
      TObject o;
      o.K = TObject::Pen;
      o.P = PenOf(pen.Style, std::int16_t(pen.Widthw[0]), Color(pen.Color), false);
      P.StoreNext(o);
      return true;
    }
    case U_WMR_CREATEBRUSHINDIRECT: {
      const char* brush = nullptr;
      if (Size < 14 || !U_WMRCREATEBRUSHINDIRECT_get(Rec, &brush) || !brush || brush + 8 > limit) return false;
      const auto* p = reinterpret_cast<const std::uint8_t*>(brush);
      TObject o;
      o.K = TObject::Brush;
      o.B = BrushOf(Le16(p), RGB(p[2], p[3], p[4]), Le16(p + 6));
      P.StoreNext(o);
      return true;
    }
    case U_WMR_DIBCREATEPATTERNBRUSH: {
      // Style, usage, then a DIB in its own colours.
      TObject o;
      o.K = TObject::Brush;
      const QImage tile = Size > 10 ? WmfDib(Rec + 10, limit) : QImage();
      o.B = PatternBrush(tile);
      if (!tile.isNull()) o.Pattern = tile.convertToFormat(QImage::Format_RGB32);
      P.StoreNext(o);
      return true;
    }
    case U_WMR_CREATEFONTINDIRECT: {
      const char* font = nullptr;
      if (!U_WMRCREATEFONTINDIRECT_get(Rec, &font) || !font || font + 18 > limit) return false;
      const auto* f = reinterpret_cast<const std::uint8_t*>(font);
      TObject o;
      o.K = TObject::Font;
      o.F.Height = std::int16_t(Le16(f));
      o.F.Escapement = std::int16_t(Le16(f + 4));
      o.F.Orientation = std::int16_t(Le16(f + 6));
      o.F.Weight = std::int16_t(Le16(f + 8));
      o.F.Italic = f[10], o.F.Underline = f[11], o.F.StrikeOut = f[12], o.F.CharSet = f[13];
      const char* face = font + 18;
      std::size_t n = 0;
      while (face + n < limit && n < 32 && face[n]) ++n;
      o.F.FaceName = AnsiText(face, n, o.F.CharSet);
      P.StoreNext(o);
      return true;
    }
    case U_WMR_CREATEPALETTE: case U_WMR_CREATEPATTERNBRUSH:
      P.StoreNext(TObject{});  // kept only so later indices stay right
      return true;
    case U_WMR_RECTANGLE: case U_WMR_ELLIPSE:
      if (type == U_WMR_RECTANGLE ? U_WMRRECTANGLE_get(Rec, &rc) : U_WMRELLIPSE_get(Rec, &rc))
        P.Box(type == U_WMR_RECTANGLE ? 0 : 1, rc.left, rc.top, rc.right, rc.bottom);
      return true;
    case U_WMR_ROUNDRECT: {
      std::int16_t w = 0, h = 0;
      if (U_WMRROUNDRECT_get(Rec, &w, &h, &rc)) P.Box(2, rc.left, rc.top, rc.right, rc.bottom, w, h);
      return true;
    }
    case U_WMR_ARC: case U_WMR_CHORD: case U_WMR_PIE: {
      const int got = type == U_WMR_ARC ? U_WMRARC_get(Rec, &a, &b, &rc)
                      : type == U_WMR_CHORD ? U_WMRCHORD_get(Rec, &a, &b, &rc)
                                            : U_WMRPIE_get(Rec, &a, &b, &rc);
      if (got)
        P.ArcShape(type == U_WMR_ARC ? 0 : type == U_WMR_CHORD ? 1 : 2, rc.left, rc.top, rc.right, rc.bottom,
                   QPointF(a.x, a.y), QPointF(b.x, b.y));
      return true;
    }
    case U_WMR_POLYGON: case U_WMR_POLYLINE: {
      const char* data = nullptr;
      const int got = type == U_WMR_POLYGON ? U_WMRPOLYGON_get(Rec, &u16, &data) : U_WMRPOLYLINE_get(Rec, &u16, &data);
      if (!got || !data || data > limit || std::size_t(limit - data) / 4 < u16 || !P.TakePoints(u16)) return false;
      P.Poly(WmfPoints(data, u16), type == U_WMR_POLYGON);
      return true;
    }
    case U_WMR_POLYPOLYGON: {
      const std::uint16_t* counts = nullptr;
      const char* data = nullptr;
      if (!U_WMRPOLYPOLYGON_get(Rec, &u16, &counts, &data) || !counts || !data) return false;
      const char* c = reinterpret_cast<const char*>(counts);
      if (c > limit || std::size_t(limit - c) / 2 < u16) return false;
      std::size_t total = 0;
      for (std::size_t i = 0; i < u16; ++i) total += Le16(reinterpret_cast<const std::uint8_t*>(c) + 2 * i);
      if (data > limit || std::size_t(limit - data) / 4 < total || !P.TakePoints(total)) return false;
      for (std::size_t i = 0, at = 0; i < u16; ++i) {
        const std::size_t n = Le16(reinterpret_cast<const std::uint8_t*>(c) + 2 * i);
        P.Poly(WmfPoints(data + at * 4, n), true);
        at += n;
      }
      return true;
    }
    case U_WMR_TEXTOUT: {
      std::int16_t len = 0;
      const char* s = nullptr;
      // libUEMF reads the position after the string without checking it
      // lies in the record: the length must leave room for it.
      if (Size < 8 || std::int16_t(Le16(reinterpret_cast<const std::uint8_t*>(Rec) + 6)) < 0 ||
          8 + (std::size_t(Le16(reinterpret_cast<const std::uint8_t*>(Rec) + 6)) + 1) / 2 * 2 + 4 > Size)
        return false;
      if (!U_WMRTEXTOUT_get(Rec, &a, &len, &s) || !s || len < 0 || s > limit || limit - s < len) return false;
      P.Text(a.x, a.y, AnsiText(s, std::size_t(len), P.S.Font.CharSet), std::nullopt);
      return true;
    }
    case U_WMR_EXTTEXTOUT: {
      std::int16_t len = 0;
      std::uint16_t opts = 0;
      const char* s = nullptr;
      const std::int16_t* dx = nullptr;
      // The same for the optional rectangle before the string.
      if (Size < 14 || ((Le16(reinterpret_cast<const std::uint8_t*>(Rec) + 12) & (U_ETO_OPAQUE | U_ETO_CLIPPED)) && Size < 22))
        return false;
      if (!U_WMREXTTEXTOUT_get(Rec, &a, &len, &opts, &s, &dx, &rc) || !s || len < 0 || s > limit || limit - s < len)
        return false;
      std::optional<QRectF> opaque;
      if (opts & U_ETO_OPAQUE) opaque = Rect16(rc);
      // The spacing array, when the record holds it, has one entry a byte.
      TSpacing spacing;
      const char* d = reinterpret_cast<const char*>(dx);
      if (d && d >= s && d <= limit && std::size_t(limit - d) / 2 >= std::size_t(len)) {
        std::vector<double> v(static_cast<std::size_t>(len));
        for (std::size_t i = 0; i < v.size(); ++i) v[i] = std::int16_t(Le16(reinterpret_cast<const std::uint8_t*>(d) + 2 * i));
        spacing = AnsiSpacing(s, std::size_t(len), P.S.Font.CharSet, v);
      }
      P.Text(a.x, a.y, AnsiText(s, std::size_t(len), P.S.Font.CharSet), opaque, spacing);
      return true;
    }
    case U_WMR_PATBLT: {
      std::uint32_t rop = 0;
      if (U_WMRPATBLT_get(Rec, &a, &b, &rop)) P.Blit(a.x, a.y, b.x, b.y, QImage(), 0, 0, 0, 0, rop);
      return true;
    }
    case U_WMR_STRETCHDIB: case U_WMR_DIBSTRETCHBLT: case U_WMR_DIBBITBLT: {
      U_POINT16 dst{}, cdst{}, src{}, csrc{};
      std::uint32_t rop = 0;
      const char* dib = nullptr;
      std::uint16_t usage = 0;
      int got = 0;
      if (type == U_WMR_STRETCHDIB) got = U_WMRSTRETCHDIB_get(Rec, &dst, &cdst, &src, &csrc, &usage, &rop, &dib);
      else if (type == U_WMR_DIBSTRETCHBLT) got = U_WMRDIBSTRETCHBLT_get(Rec, &dst, &cdst, &src, &csrc, &rop, &dib);
      else got = U_WMRDIBBITBLT_get(Rec, &dst, &cdst, &src, &rop, &dib), csrc = cdst;
      if (!got) return true;
      if (!dib) {
        P.Blit(dst.x, dst.y, cdst.x, cdst.y, QImage(), 0, 0, 0, 0, rop);
        return true;
      }
      if (dib > limit) return false;
      const QImage img = WmfDib(dib, limit);
      if (img.isNull()) return true;
      const bool up = BottomUp(dib) && Le32(reinterpret_cast<const std::uint8_t*>(dib)) != 12;
      P.Blit(dst.x, dst.y, cdst.x, cdst.y, img, src.x, DibTop(img, src.y, csrc.y, up), csrc.x, csrc.y, rop);
      return true;
    }
    default: return true;
  }
  P.MappingChanged();
  return true;
}

}  // namespace

TMetafilePlayback PlayWmf(TPlayer& P, const char* Data, std::size_t Size, std::size_t Start) {
  TMetafilePlayback out;
  const char* limit = Data + Size;
  std::size_t at = Start;
  while (at + 6 <= Size && out.Records < kMaxRecords) {
    const char* rec = Data + at;
    const std::size_t n = U_WMRRECSAFE_get(rec, limit);
    if (n < 6 || n > Size - at) break;
    ++out.Records;
    bool end = false;
    if (!PlayWmfRecord(P, rec, n, end)) break;
    if (end) {
      out.Complete = true;
      break;
    }
    at += n;
  }
  return out;
}

QRectF FirstWindow(const char* Data, std::size_t Size, std::size_t Start) {
  QPointF org(0, 0);
  const char* limit = Data + Size;
  for (std::size_t at = Start, k = 0; at + 6 <= Size && k < 10000; ++k) {
    const std::size_t n = U_WMRRECSAFE_get(Data + at, limit);
    if (n < 6) break;
    U_POINT16 p{};
    const std::uint8_t type = std::uint8_t(Data[at + 4]);
    if (type == U_WMR_SETWINDOWORG && U_WMRSETWINDOWORG_get(Data + at, &p)) org = QPointF(p.x, p.y);
    if (type == U_WMR_SETWINDOWEXT && U_WMRSETWINDOWEXT_get(Data + at, &p)) return QRectF(org, QSizeF(p.x, p.y));
    at += n;
  }
  return {};
}

}  // namespace metafile_play
