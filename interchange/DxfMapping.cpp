#include "interchange/DxfMapping.h"

#include "figures/Arcs.h"
#include "figures/Blocks.h"
#include "figures/FigureSet.h"
#include "figures/MltLine.h"
#include "figures/PolygonMesh.h"
#include "figures/RoundShapes.h"
#include "figures/Texts.h"
#include "interchange/DxfReader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <set>

namespace {

constexpr double kPi = 3.14159265358979323846;
// Blocks inserted into blocks multiply; past this many figures the read stops.
constexpr std::size_t kMaxFigures = 2000000;

// x' = a x + b y + tx, y' = c x + d y + ty.
struct TXform {
  double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
  Tpt Map(double X, double Y) const { return {a * X + b * Y + tx, c * X + d * Y + ty}; }
  Tpt Dir(double X, double Y) const { return {a * X + b * Y, c * X + d * Y}; }
  double Det() const { return a * d - b * c; }
  double LenScale() const { return std::sqrt(std::abs(Det())); }
  // This map after M (M first).
  TXform After(const TXform& M) const {
    return {a * M.a + b * M.c, a * M.b + b * M.d, c * M.a + d * M.c, c * M.b + d * M.d, a * M.tx + b * M.ty + tx,
            c * M.tx + d * M.ty + ty};
  }
};

// The plan view of an entity's own frame (its OCS, from the extrusion by
// the arbitrary axis rule); (0, 0, -1) mirrors x. Lines, points and faces
// are given in world coordinates and keep them.
TXform Ocs(const DXF_Entity& E) {
  TXform m;
  if (!E.has_axis) return m;
  const TDxfKind k = E.Kind();
  if (k == TDxfKind::Line || k == TDxfKind::Point || k == TDxfKind::Face3D ||
      k == TDxfKind::PolygonMesh || k == TDxfKind::PolyfaceMesh)
    return m;
  double nx = E.OCS_axis.x, ny = E.OCS_axis.y, nz = E.OCS_axis.z;
  const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
  if (!(len > 0) || !std::isfinite(len)) return m;
  nx /= len, ny /= len, nz /= len;
  // Ax = W x N with W the world y axis when N is near the world z axis, else z.
  double ax, ay, az;
  if (std::abs(nx) < 1.0 / 64 && std::abs(ny) < 1.0 / 64) ax = nz, ay = 0, az = -nx;  // (0,1,0) x N
  else ax = -ny, ay = nx, az = 0;                                                     // (0,0,1) x N
  const double al = std::sqrt(ax * ax + ay * ay + az * az);
  ax /= al, ay /= al, az /= al;
  const double bx = ny * az - nz * ay, by = nz * ax - nx * az;  // Ay = N x Ax
  m.a = ax, m.b = bx, m.c = ay, m.d = by;
  return m;
}

struct TBox {
  bool any = false;
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  void Add(Tpt P) {
    if (!std::isfinite(P.x) || !std::isfinite(P.y)) return;
    if (!any) x0 = x1 = P.x, y0 = y1 = P.y, any = true;
    x0 = std::min(x0, P.x), x1 = std::max(x1, P.x), y0 = std::min(y0, P.y), y1 = std::max(y1, P.y);
  }
};

class TDxfLoader {
public:
  TDxfLoader(DXF_Reader& R, TDxfReadResult& Result) : FR(R), FResult(Result) {}

  // One figure for E in the frame X maps into, or none.
  std::unique_ptr<TCustomFigure> Load(const DXF_Entity& E, const TXform& X, int ByBlock, TBox& Box) {
    if (++FCount > kMaxFigures) throw DXF_Read_Error("The blocks' inserts make more than " + std::to_string(kMaxFigures) + " figures", 0);
    std::unique_ptr<TCustomFigure> f;
    const TXform x = E.has_axis ? X.After(Ocs(E)) : X;
    switch (E.Kind()) {
      case TDxfKind::Line: f = LoadLine(static_cast<const Line_&>(E), x, Box); break;
      case TDxfKind::Circle: f = LoadCircle(static_cast<const Circle_&>(E), x, Box); break;
      case TDxfKind::Arc: f = LoadArc(static_cast<const Arc_&>(E), x, Box); break;
      case TDxfKind::Polyline:
      case TDxfKind::LWPolyline: f = LoadPolyLine(static_cast<const Polyline_&>(E), x, Box); break;
      case TDxfKind::Text: f = LoadText(static_cast<const Text_&>(E), x, Box); break;
      case TDxfKind::PolygonMesh: f = LoadPolygonMesh(static_cast<const Polygon_mesh_&>(E), x, Box); break;
      case TDxfKind::Insert: f = LoadInsert(static_cast<const Insert_&>(E), X, ByBlock, Box); break;
      default: Skip(E); break;
    }
    if (f) {
      const int colinx = E.colinx == 0 ? ByBlock : E.colinx;
      if (E.Kind() != TDxfKind::Insert) f->FPen.Color = DXF_Layer_Colours[std::size_t(colinx >= 0 && colinx < 256 ? colinx : 7)];
      if (E.Kind() == TDxfKind::Text) static_cast<TTxXLabel&>(*f).FFont->FColor = f->FPen.Color;
      ++FResult.Figures;
    } else {
      --FCount;
    }
    return f;
  }

  std::unique_ptr<TCustomFigure> LoadLine(const Line_& E, const TXform& X, TBox& Box) {
    auto f = std::make_unique<TTxMltLine>();
    AddVertex(*f, X.Map(E.p1.x, E.p1.y), Box);
    AddVertex(*f, X.Map(E.p2.x, E.p2.y), Box);
    f->CreateWDbxByDDList();
    return f;
  }

  std::unique_ptr<TCustomFigure> LoadCircle(const Circle_& E, const TXform& X, TBox& Box) {
    auto f = std::make_unique<TTxCircle>();
    f->FYx = X.Map(E.p1.x, E.p1.y);
    f->FBj = std::abs(E.radius) * X.LenScale();
    Box.Add({f->FYx.x - f->FBj, f->FYx.y - f->FBj});
    Box.Add({f->FYx.x + f->FBj, f->FYx.y + f->FBj});
    return f;
  }

  // DXF angles are degrees counter-clockwise in the entity's frame; the
  // figure's are radians in the drawing's. A mirroring frame turns the sweep
  // clockwise.
  std::unique_ptr<TCustomFigure> LoadArc(const Arc_& E, const TXform& X, TBox& Box) {
    const double r = std::abs(E.radius);
    if (!std::isfinite(r) || !std::isfinite(E.angle1) || !std::isfinite(E.angle2)) return nullptr;
    const double a1 = E.angle1 * kPi / 180, a2 = E.angle2 * kPi / 180;
    auto f = std::make_unique<TTxArc>();
    f->FYx = X.Map(E.p1.x, E.p1.y);
    f->FBj = r * X.LenScale();
    const Tpt s = X.Map(E.p1.x + r * std::cos(a1), E.p1.y + r * std::sin(a1));
    const Tpt e = X.Map(E.p1.x + r * std::cos(a2), E.p1.y + r * std::sin(a2));
    f->FQj = std::atan2(s.y - f->FYx.y, s.x - f->FYx.x);
    f->FZj = std::atan2(e.y - f->FYx.y, e.x - f->FYx.x);
    f->FDirection = X.Det() < 0 ? 0 : 1;
    f->Refresh();
    Box.Add(s);
    Box.Add(e);
    Box.Add(f->MiddlePoint());
    return f;
  }

  // A slanted label of font size height / 0.7 whose box starts at the
  // text's base point; without an alignment point (group 11) the text
  // stands at its insertion point.
  std::unique_ptr<TCustomFigure> LoadText(const Text_& E, const TXform& X, TBox& Box) {
    auto f = std::make_unique<TTxXLabel>();
    const Point3D& at = E.has_align && (E.hor_align != 0 || E.vert_align != 0) ? E.align_pt : E.p1;
    const Tpt p = X.Map(at.x, at.y);
    const Tpt dir = X.Dir(std::cos(E.xzjd * kPi / 180), std::sin(E.xzjd * kPi / 180));
    const double angle = std::atan2(dir.y, dir.x);
    const double size = DxfFontSize(std::abs(E.h) * X.LenScale());
    if (!std::isfinite(size) || !std::isfinite(angle) || !std::isfinite(p.x) || !std::isfinite(p.y)) return nullptr;
    f->FText = E.textstr;
    f->FFont->FHeight = size > 0 ? size : f->FFont->FHeight;
    f->FXzJd = angle * 180 / kPi;
    f->FAutoSize = true;
    f->FHeight = f->FFont->FHeight;
    f->FWidth = f->FHeight * std::max<std::size_t>(1, E.textstr.size()) / 2;
    f->FYd = p;
    Box.Add(p);
    Box.Add({p.x - std::sin(angle) * f->FHeight, p.y + std::cos(angle) * f->FHeight});
    return f;
  }

  // Vertices in order; a bulge makes the segment to the next vertex an arc;
  // a closed polyline repeats its first vertex at the end.
  std::unique_ptr<TCustomFigure> LoadPolyLine(const Polyline_& E, const TXform& X, TBox& Box) {
    const std::size_t n = E.vertices.size();
    if (n == 0) return nullptr;
    auto f = std::make_unique<TTxMltLine>();
    const bool mirrored = X.Det() < 0;
    const std::size_t count = E.closed && n > 1 ? n + 1 : n;
    for (std::size_t i = 0; i < count; ++i) {
      const Point3D& p = E.vertices[i % n];
      const Tpt q = X.Map(p.x, p.y);
      TTxPolygonBxdy& v = AddVertex(*f, q, Box);
      const double bulge = i + 1 < count && i % n < E.bulges.size() ? E.bulges[i % n] : 0;
      if (bulge == 0 || !std::isfinite(bulge)) continue;
      const Point3D& e = E.vertices[(i + 1) % n];
      const Tpt r = X.Map(e.x, e.y);
      const double chord = std::hypot(r.x - q.x, r.y - q.y);
      if (!(chord > 0)) continue;
      const double b = mirrored ? -bulge : bulge;
      // Centre on the left of the chord for a counter-clockwise arc under a
      // half turn, on the right beyond it.
      const double off = chord / 2 * (1 - b * b) / (2 * b);
      const Tpt m{(q.x + r.x) / 2, (q.y + r.y) / 2};
      const Tpt left{-(r.y - q.y) / chord, (r.x - q.x) / chord};
      v.FLx = blArc;
      v.FYx = {m.x + left.x * off, m.y + left.y * off};
      v.FBj = std::hypot(q.x - v.FYx.x, q.y - v.FYx.y);
      v.FDirection = b > 0 ? 1 : 0;
      // The arc's middle, so the box holds the bulge.
      const double sag = b * chord / 2;
      Box.Add({m.x - left.x * sag, m.y - left.y * sag});
    }
    f->CreateWDbxByDDList();
    return f;
  }

  std::unique_ptr<TCustomFigure> LoadPolygonMesh(const Polygon_mesh_& E, const TXform& X, TBox& Box) {
    std::vector<Tpt> pts;
    pts.reserve(E.vertices.size());
    for (const Point3D& p : E.vertices) {
      pts.push_back(X.Map(p.x, p.y));
      Box.Add(pts.back());
    }
    auto f = std::make_unique<TPolygonMesh>();
    if (!f->InitFigure(E.M, E.N, E.closeN, E.closeM, pts)) throw DXF_Read_Error(MeshTooLargeMessage, 0);
    return f;
  }

  // The block's members in the block's frame: the insert's rotation and
  // uniform scale go to the block, what remains (mirroring, unequal
  // scales) into the members' points. The union of the members starts at
  // the block's origin.
  std::unique_ptr<TCustomFigure> LoadInsert(const Insert_& E, const TXform& X, int ByBlock, TBox& Box) {
    auto blockFig = std::make_unique<TTxBlock>();
    const TXform ocs = Ocs(E);
    const Tpt p1 = X.After(ocs).Map(E.p1.x, E.p1.y);
    const Block_* def = FR.block(E.blockname);
    const std::string key = E.blockname;
    const int colour = E.colinx == 0 ? ByBlock : E.colinx;
    blockFig->FPen.Color = DXF_Layer_Colours[std::size_t(colour >= 0 && colour < 256 ? colour : 7)];
    if (!def || FExpanding.count(def)) {
      if (!def) ++FResult.MissingBlocks;
      else ++FResult.BlockCycles;
      blockFig->FYd = p1;
      Box.Add(p1);
      return blockFig;
    }
    // A missing scale is 1; a zero scale would collapse the block.
    const double sx = E.scale.x == 0 ? 1 : E.scale.x, sy = E.scale.y == 0 ? 1 : E.scale.y;
    const double r = E.rotation * kPi / 180, cr = std::cos(r), sr = std::sin(r);
    const TXform ins{cr * sx, -sr * sy, sr * sx, cr * sy, 0, 0};
    const TXform m = X.After(ocs).After(ins);  // linear part only (tx, ty of X dropped below)
    const Tpt e1 = m.Dir(1, 0);
    double s = std::hypot(e1.x, e1.y), th = std::atan2(e1.y, e1.x);
    if (!(s > 0) || !std::isfinite(s)) s = 1, th = 0;
    const double ct = std::cos(th), st = std::sin(th);
    // K = (s R(th))^-1 m, then the base point subtracted.
    TXform k{(ct * m.a + st * m.c) / s, (ct * m.b + st * m.d) / s, (-st * m.a + ct * m.c) / s,
             (-st * m.b + ct * m.d) / s, 0, 0};
    const Tpt kb = k.Dir(def->basepoint.x, def->basepoint.y);
    k.tx = -kb.x, k.ty = -kb.y;

    FExpanding.insert(def);
    TBox inner;
    std::vector<std::unique_ptr<TCustomFigure>> members;
    for (const TDxfItem& item : def->entities)
      if (auto f = Load(*item.entity, k, colour, inner)) members.push_back(std::move(f));
    FExpanding.erase(def);

    const Tpt u = inner.any ? Tpt{inner.x0, inner.y0} : Tpt{0, 0};
    const double w = inner.any ? inner.x1 - inner.x0 : 0, h = inner.any ? inner.y1 - inner.y0 : 0;
    for (auto& f : members)
      if (u.x != 0 || u.y != 0) f->MoveByOffset(-u.x, -u.y);
    blockFig->FYd = {p1.x + s * (ct * u.x - st * u.y), p1.y + s * (st * u.x + ct * u.y)};
    blockFig->FScale = s;
    blockFig->FXzJd = th * 180 / kPi;
    blockFig->InitialParas(w, h);
    TTxCollectFigure& list = *blockFig->FFigures;
    // Index 0 is drawn on top: the last entity of the block.
    for (auto it = members.rbegin(); it != members.rend(); ++it) {
      (*it)->FParent = blockFig.get();
      list.Add(std::move(*it));
    }
    for (const Tpt c : {Tpt{0, 0}, Tpt{w, 0}, Tpt{0, h}, Tpt{w, h}})
      Box.Add({blockFig->FYd.x + s * (ct * c.x - st * c.y), blockFig->FYd.y + s * (st * c.x + ct * c.y)});
    return blockFig;
  }

  // Every entity of one DXF layer into List, kind by kind. Each entity is
  // freed once it is a figure: the figure's blocks then take its place in
  // the heap, and no large free at the end has to sort them all.
  void LoadLayerFigures(DXF_Layer& Layer, TTxCollectFigure& List, TBox& Box) {
    std::vector<std::unique_ptr<TCustomFigure>> figures;
    figures.reserve(Layer.entity_count());
    const TXform id;
    for (auto& entities : Layer.entity_lists) {
      for (auto& e : entities) {
        if (auto f = Load(*e, id, 7, Box)) figures.push_back(std::move(f));
        e.reset();
      }
      std::vector<std::unique_ptr<DXF_Entity>>().swap(entities);
    }
    for (auto it = figures.rbegin(); it != figures.rend(); ++it) List.Add(std::move(*it));
  }

  // The counts of entities made into no figure go to the result at the end.
  void TellSkipped() {
    for (std::size_t k = 0; k < FSkipped.size(); ++k)
      if (FSkipped[k].second) FResult.Skipped[FSkipped[k].first] += FSkipped[k].second;
  }

private:
  void Skip(const DXF_Entity& E) {
    auto& slot = FSkipped[std::size_t(E.Kind())];
    slot.first = E.EntityName();
    ++slot.second;
  }

  TTxPolygonBxdy& AddVertex(TCustomMltLine& L, Tpt P, TBox& Box) {
    auto* v = static_cast<TTxPolygonBxdy*>(L.FDDList->AddObject());
    v->FDwd = P;
    Box.Add(P);
    return *v;
  }

  DXF_Reader& FR;
  TDxfReadResult& FResult;
  std::set<const Block_*> FExpanding;
  std::array<std::pair<const char*, int>, 16> FSkipped{};
  std::size_t FCount = 0;
};

bool UsableExtents(const DXF_Reader& R) {
  if (!R.has_extents) return false;
  const Point3D &a = R.min_extents, &b = R.max_extents;
  const double big = 1e15;
  return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(b.x) && std::isfinite(b.y) && b.x > a.x &&
         b.y > a.y && std::abs(a.x) < big && std::abs(a.y) < big && std::abs(b.x) < big && std::abs(b.y) < big;
}

}  // namespace

std::vector<std::string> TDxfReadResult::Notes() const {
  std::vector<std::string> out;
  for (const auto& [name, n] : Skipped) out.push_back(std::to_string(n) + " 个 " + name + " 实体未能转换，已略去。");
  if (BlockCycles) out.push_back(std::to_string(BlockCycles) + " 处图块插入了自身，已作为空图块读入。");
  if (MissingBlocks) out.push_back(std::to_string(MissingBlocks) + " 处插入的图块在文件中没有定义，已作为空图块读入。");
  return out;
}

std::string TDxfReadResult::ErrorNote() const {
  if (Complete) return {};
  if (ErrorLine > 0) return "文件在第 " + std::to_string(ErrorLine) + " 行附近有错，其后的内容未能读入。";
  return "文件有错，未能全部读入。";
}

void LoadDxf(TTxFigureSet& Root, DXF_Reader& Reader, TDxfReadResult& Result) {
  TDxfLoader loader(Reader, Result);
  std::vector<std::pair<std::string, std::unique_ptr<TTxCollectFigure>>> lists;
  std::vector<bool> off;
  TBox box;
  try {
    for (const auto& layer : Reader.layers) {
      auto list = std::make_unique<TTxCollectFigure>();
      loader.LoadLayerFigures(*layer, *list, box);
      std::string name = layer->layer_name;
      // "=" separates a layer entry's name from its flag.
      std::replace(name.begin(), name.end(), '=', '_');
      if (name.empty()) name = "0";
      lists.emplace_back(name, std::move(list));
      off.push_back(layer->layer_off);
    }
  } catch (const DXF_Read_Error& e) {
    if (Result.Complete) {
      Result.Complete = false;
      Result.Error = e.Raw();
    }
  }
  loader.TellSkipped();
  Root.ClearHistory();
  Root.TakeLayers();
  // The first layer that is on becomes the current one; layers switched off
  // in the file stay hidden.
  std::size_t current = 0;
  while (current < off.size() && off[current]) ++current;
  if (current == off.size()) current = 0;
  for (std::size_t i = 0; i < lists.size(); ++i) {
    const int flag = i == current ? lfCurrent : off[i] ? lfHidden : lfVisible;
    Root.AddLayer(lists[i].first + "=" + std::to_string(flag), std::move(lists[i].second));
  }
  if (lists.empty()) Root.AddLayer("0=2", nullptr);
  // Set directly: SetCurLayer would turn a hidden first layer visible.
  Root.FFigures = Root.LayerList(int(current < lists.size() ? current : 0));

  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  if (UsableExtents(Reader)) {
    x0 = Reader.min_extents.x, y0 = Reader.min_extents.y, x1 = Reader.max_extents.x, y1 = Reader.max_extents.y;
    // A header not brought up to date would leave figures off the page.
    if (box.any) x0 = std::min(x0, box.x0), y0 = std::min(y0, box.y0), x1 = std::max(x1, box.x1), y1 = std::max(y1, box.y1);
  } else if (box.any) {
    // Missing or inverted header extents: those of the figures read.
    x0 = box.x0, y0 = box.y0, x1 = box.x1, y1 = box.y1;
  }
  double w = x1 - x0, h = y1 - y0;
  // A page of no size could be neither fitted nor printed.
  if (!(w > 0) && !(h > 0)) w = h = 100;
  else if (!(w > 0)) w = h;
  else if (!(h > 0)) h = w;
  // The page starts at the root's own position; the figures' offset from it
  // is the absolute offset, so the extents' corner lands on the page's.
  Root.FYd = {0, 0};
  Root.FAbsx = -x0;
  Root.FAbsy = -y0;
  Root.FWidth = w;
  Root.FHeight = h;
  Root.Modified();
}

namespace {

TDxfReadResult ReadWith(TTxFigureSet& Root, DXF_Reader& Reader, bool Ok) {
  TDxfReadResult result;
  result.Complete = Ok;
  result.Error = Reader.error();
  result.ErrorLine = Reader.error_line();
  result.Skipped = Reader.skipped;
  result.Encoding = Reader.encoding();
  LoadDxf(Root, Reader, result);
  return result;
}

}  // namespace

TDxfReadResult ReadFromDxfFile(TTxFigureSet& Root, const std::string& FileName, const TDxfProgress& Progress) {
  DXF_Reader reader(FileName);
  reader.progress = Progress;
  const bool ok = reader.read_file();
  return ReadWith(Root, reader, ok);
}

TDxfReadResult ReadFromDxfText(TTxFigureSet& Root, std::string_view Text) {
  DXF_Reader reader;
  const bool ok = reader.read_text(Text);
  return ReadWith(Root, reader, ok);
}
