#include "interchange/DxfEntities.h"

#include "interchange/DxfWriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

namespace {

// Index 10 to 249: 24 hues 15 degrees apart, each in five shades (full and
// half saturation); then six greys.
constexpr std::array<COLORREF, 256> MakePalette() {
  std::array<COLORREF, 256> p{};
  p[1] = RGB(255, 0, 0);
  p[2] = RGB(255, 255, 0);
  p[3] = RGB(0, 255, 0);
  p[4] = RGB(0, 255, 255);
  p[5] = RGB(0, 0, 255);
  p[6] = RGB(255, 0, 255);
  p[8] = RGB(128, 128, 128);
  p[9] = RGB(192, 192, 192);
  constexpr int levels[5] = {255, 204, 153, 127, 76};
  for (int i = 10; i < 250; ++i) {
    const int hue = (i - 10) / 10 * 15;  // degrees
    const int k = (i - 10) % 10;
    const double v = levels[k / 2];
    const double s = k % 2 ? 0.5 : 1.0;
    const double h = hue / 60.0;
    const int sector = int(h);
    const double f = h - sector;
    const double lo = v * (1 - s), down = v * (1 - s * f), up = v * (1 - s * (1 - f));
    double r = 0, g = 0, b = 0;
    switch (sector) {
      case 0: r = v, g = up, b = lo; break;
      case 1: r = down, g = v, b = lo; break;
      case 2: r = lo, g = v, b = up; break;
      case 3: r = lo, g = down, b = v; break;
      case 4: r = up, g = lo, b = v; break;
      default: r = v, g = lo, b = down; break;
    }
    p[std::size_t(i)] = RGB(std::uint8_t(r), std::uint8_t(g), std::uint8_t(b));
  }
  constexpr int greys[6] = {51, 91, 132, 173, 214, 255};
  for (int i = 0; i < 6; ++i) p[std::size_t(250 + i)] = RGB(std::uint8_t(greys[i]), std::uint8_t(greys[i]), std::uint8_t(greys[i]));
  return p;
}

void Grow(Point3D& Lo, Point3D& Hi, const Point3D& P) {
  Lo.x = std::min(Lo.x, P.x), Lo.y = std::min(Lo.y, P.y), Lo.z = std::min(Lo.z, P.z);
  Hi.x = std::max(Hi.x, P.x), Hi.y = std::max(Hi.y, P.y), Hi.z = std::max(Hi.z, P.z);
}

void GrowRound(Point3D& Lo, Point3D& Hi, const Point3D& C, double R) {
  Grow(Lo, Hi, {C.x - R, C.y - R, C.z});
  Grow(Lo, Hi, {C.x + R, C.y + R, C.z});
}

}  // namespace

const std::array<COLORREF, 256> DXF_Layer_Colours = MakePalette();

namespace {
double Round15(double V) {
  if (!std::isfinite(V) || V == 0) return V;
  char buf[32];
  const auto end = std::to_chars(buf, buf + sizeof buf, V, std::chars_format::general, 15).ptr;
  double out = V;
  std::from_chars(buf, end, out);
  return out;
}
}  // namespace

double DxfTextHeight(double FontSize) { return Round15(FontSize * 0.7); }
double DxfFontSize(double TextHeight) {
  // The rounded size when it writes back the same height (9.8 is size 14).
  const double f = TextHeight / 0.7, r = Round15(f);
  return DxfTextHeight(r) == TextHeight ? r : f;
}

int DxfColourIndex(int FileIndex, int LayerIndex) {
  if (FileIndex == 256) FileIndex = LayerIndex;
  if (FileIndex < 0 && FileIndex > -256) FileIndex = -FileIndex;
  if (FileIndex < 0 || FileIndex > 255) return 7;
  return FileIndex;
}

void DXF_Entity::setcolour_index(int Index) {
  colinx = (Index >= 0 && Index <= 255) ? Index : 7;
  colour = DXF_Layer_Colours[std::size_t(colinx)];
}

void DXF_Entity::setcolour(COLORREF Colour) {
  colour = Colour & 0xFFFFFF;
  int best = 7;
  long bestDist = -1;
  for (int i = 1; i < 256; ++i) {
    const COLORREF p = DXF_Layer_Colours[std::size_t(i)];
    const long dr = long(GetRValue(p)) - GetRValue(colour), dg = long(GetGValue(p)) - GetGValue(colour),
               db = long(GetBValue(p)) - GetBValue(colour);
    const long d = dr * dr + dg * dg + db * db;
    if (d == 0) {
      best = i, bestDist = 0;  // the last exact one wins
    } else if (bestDist != 0 && (bestDist < 0 || d < bestDist)) {
      best = i, bestDist = d;
    }
  }
  colinx = best;
}

void Point_::WriteGroups(DXF_Writer& W) const { W.point(10, p1); }
void Point_::Extents(Point3D& Lo, Point3D& Hi) const { Grow(Lo, Hi, p1); }

void Line_::WriteGroups(DXF_Writer& W) const {
  W.point(10, p1);
  W.point(11, p2);
}
void Line_::Extents(Point3D& Lo, Point3D& Hi) const {
  Grow(Lo, Hi, p1);
  Grow(Lo, Hi, p2);
}

void Circle_::WriteGroups(DXF_Writer& W) const {
  W.point(10, p1);
  W.real(40, radius);
}
void Circle_::Extents(Point3D& Lo, Point3D& Hi) const { GrowRound(Lo, Hi, p1, radius); }

void Arc_::WriteGroups(DXF_Writer& W) const {
  W.point(10, p1);
  W.real(40, radius);
  W.real(50, angle1);
  W.real(51, angle2);
}
void Arc_::Extents(Point3D& Lo, Point3D& Hi) const {
  constexpr double d2r = 3.14159265358979323846 / 180;
  Grow(Lo, Hi, {p1.x + radius * std::cos(angle1 * d2r), p1.y + radius * std::sin(angle1 * d2r), p1.z});
  Grow(Lo, Hi, {p1.x + radius * std::cos(angle2 * d2r), p1.y + radius * std::sin(angle2 * d2r), p1.z});
  double a = std::fmod(angle1, 360.0), e = std::fmod(angle2, 360.0);
  if (a < 0) a += 360;
  if (e < 0) e += 360;
  if (e <= a) e += 360;
  for (int k = 0; k < 8; ++k) {
    const double q = k * 90.0;
    if (q > a && q < e) Grow(Lo, Hi, {p1.x + radius * std::cos(q * d2r), p1.y + radius * std::sin(q * d2r), p1.z});
  }
}

void Text_::WriteGroups(DXF_Writer& W) const {
  W.point(10, p1);
  W.real(40, h);
  W.text(1, textstr);
  W.real(50, xzjd);
  W.string(7, "SIMSUN");
  if (hor_align != 0) W.integer(72, hor_align);
  if (has_align) W.point(11, align_pt);
}
void Text_::Extents(Point3D& Lo, Point3D& Hi) const { Grow(Lo, Hi, has_align ? align_pt : p1); }

void Polyline_::WriteGroups(DXF_Writer& W) const {
  W.integer(66, 1);
  W.point(10, {});
  W.integer(70, closed ? 1 : 0);
  for (std::size_t i = 0; i < vertices.size(); ++i) {
    W.begin_entity("VERTEX");
    W.point(10, vertices[i]);
    if (i < bulges.size() && bulges[i] != 0) W.real(42, bulges[i]);
  }
  W.begin_entity("SEQEND");
}
void Polyline_::Extents(Point3D& Lo, Point3D& Hi) const {
  for (const Point3D& p : vertices) Grow(Lo, Hi, p);
}

void Polygon_mesh_::WriteGroups(DXF_Writer& W) const {
  W.integer(66, 1);
  W.point(10, {});
  W.integer(70, 16 | (closeM ? 1 : 0) | (closeN ? 32 : 0));
  W.integer(71, M);
  W.integer(72, N);
  for (const Point3D& v : vertices) {
    W.begin_entity("VERTEX");
    W.point(10, v);
    W.integer(70, 64);
  }
  W.begin_entity("SEQEND");
}
void Polygon_mesh_::Extents(Point3D& Lo, Point3D& Hi) const {
  for (const Point3D& p : vertices) Grow(Lo, Hi, p);
}

void Polyface_mesh_::Extents(Point3D& Lo, Point3D& Hi) const {
  for (const Point3D& p : vertices) Grow(Lo, Hi, p);
}

void Face3D_::WriteGroups(DXF_Writer& W) const {
  for (int i = 0; i < 4; ++i) W.point(10 + i, corners[std::size_t(i)]);
}
void Face3D_::Extents(Point3D& Lo, Point3D& Hi) const {
  for (const Point3D& p : corners) Grow(Lo, Hi, p);
}

void Attrib_::Extents(Point3D& Lo, Point3D& Hi) const { Grow(Lo, Hi, p1); }
void Insert_::Extents(Point3D& Lo, Point3D& Hi) const { Grow(Lo, Hi, p1); }

void DXF_Layer::add_entity_to_list(const std::string& Kind, std::unique_ptr<DXF_Entity> Entity) {
  if (Kind != Entity->EntityName()) throw std::runtime_error("Entity list ID mismatch");
  // Entities of one kind mostly follow each other.
  if (!entity_names.empty() && entity_names.back() == Kind) {
    entity_lists.back().push_back(std::move(Entity));
    return;
  }
  auto it = std::find(entity_names.begin(), entity_names.end(), Kind);
  if (it == entity_names.end()) {
    entity_names.push_back(Kind);
    entity_lists.emplace_back();
    entity_lists.back().push_back(std::move(Entity));
  } else {
    entity_lists[std::size_t(it - entity_names.begin())].push_back(std::move(Entity));
  }
}

void DXF_Layer::add_entity(std::unique_ptr<DXF_Entity> Entity) {
  const char* name = Entity->EntityName();
  if (!entity_names.empty() && entity_names.back() == name) {
    entity_lists.back().push_back(std::move(Entity));
    return;
  }
  add_entity_to_list(name, std::move(Entity));
}

std::size_t DXF_Layer::entity_count() const {
  std::size_t n = 0;
  for (const auto& l : entity_lists) n += l.size();
  return n;
}
