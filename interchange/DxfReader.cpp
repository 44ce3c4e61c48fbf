#include "interchange/DxfReader.h"

#include <algorithm>
#include <cctype>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <cmath>
#include <fstream>
#include <sstream>

namespace {

constexpr const char* kAtLine = "Error occured at or near line number ";

std::string Upper(std::string_view S) {
  std::string u(S);
  for (char& c : u) c = char(std::toupper(static_cast<unsigned char>(c)));
  return u;
}

std::string_view Trim(std::string_view S) {
  while (!S.empty() && (S.front() == ' ' || S.front() == '\t')) S.remove_prefix(1);
  while (!S.empty() && (S.back() == ' ' || S.back() == '\t' || S.back() == '\r')) S.remove_suffix(1);
  return S;
}

struct TGroup {
  int code = 0;
  std::string_view value;
  int line = 0;  // the value's line
};

const char* EntityError(std::string_view Name) {
  static const char* const kNames[][2] = {
      {"POINT", "Error reading POINT entity"},   {"INSERT", "Error reading INSERT entity"},
      {"TEXT", "Error reading TEXT entity"},     {"LINE", "Error reading LINE entity"},
      {"POLYLINE", "Error reading POLYLINE entity"}, {"VERTEX", "Error reading POLYLINE entity"},
      {"LWPOLYLINE", "Error reading LWPOLYLINE entity"}, {"3DFACE", "Error reading 3DFACE entity"},
      {"SOLID", "Error reading SOLID entity"},   {"CIRCLE", "Error reading CIRCLE entity"},
      {"ARC", "Error reading ARC entity"},       {"ATTDEF", "Error reading ATTDEF entity"},
      {"ATTRIB", "Error reading ATTRIB entity"}};
  for (const auto& n : kNames)
    if (Name == n[0]) return n[1];
  return "Error reading DXF file";
}

}  // namespace

DXF_Read_Error::DXF_Read_Error(const std::string& What, int Line)
    : EStreamError(What + ". " + kAtLine + std::to_string(Line)), FRaw(What), FLine(Line) {}

// One pass over the text: group pairs with one group of look-ahead.
class DXF_Reader::TParser {
public:
  TParser(DXF_Reader& R, std::string_view Text) : FR(R), FBegin(Text.data()), FP(Text.data()), FEnd(Text.data() + Text.size()) {}

  void Run() {
    if (FEnd - FP >= 22 && std::string_view(FP, 22) == "AutoCAD Binary DXF\r\n\x1a\0")
      throw DXF_Read_Error("Binary DXF files are not read; save the drawing as DXF text", 1);
    // A byte order mark before the first group.
    if (FEnd - FP >= 3 && std::string_view(FP, 3) == "\xEF\xBB\xBF") FP += 3;
    bool entities = false, eof = false;
    if (!Next()) throw DXF_Read_Error("No Entities or invalid Entities section in DXF file", FLine);
    while (true) {
      if (FG.code == 0 && FG.value == "EOF") {
        eof = true;
        break;
      }
      if (FG.code != 0 || FG.value != "SECTION") {
        // Stray groups between sections are passed over.
        if (!Next()) break;
        continue;
      }
      if (!Next()) break;
      if (FG.code != 2) throw DXF_Read_Error("A SECTION without its name (group 2)", FG.line);
      const std::string name(FG.value);
      Advance();
      if (name == "HEADER") Header();
      else if (name == "TABLES") Tables();
      else if (name == "BLOCKS") Blocks();
      else if (name == "ENTITIES") {
        Entities(nullptr);
        entities = true;
      } else SkipSection();
      // FG is the ENDSEC group (or the file ended).
      if (FAtEnd) break;
      if (!Next()) break;
    }
    if (!entities) throw DXF_Read_Error("No Entities or invalid Entities section in DXF file", FLine);
    if (!eof) throw DXF_Read_Error("The file ends without EOF: it may have been cut short", FLine);
  }

private:
  // Reads the next group; false at the end of the text.
  bool Next() {
    if (FP >= FEnd) {
      FAtEnd = true;
      return false;
    }
    std::string_view codeLine = Line();
    const int codeLineNo = FLine;
    if (FP >= FEnd && Trim(codeLine).empty()) {
      FAtEnd = true;
      return false;
    }
    codeLine = Trim(codeLine);
    int code = 0;
    const auto r = std::from_chars(codeLine.data(), codeLine.data() + codeLine.size(), code);
    if (codeLine.empty() || r.ec != std::errc() || r.ptr != codeLine.data() + codeLine.size())
      throw DXF_Read_Error("Invalid Integer conversion: \"" + std::string(codeLine.substr(0, 40)) + "\" is no group code",
                           codeLineNo);
    if (FP >= FEnd) throw DXF_Read_Error("The file ends after a group code, without its value (an odd last line)", codeLineNo);
    FG.code = code;
    FG.value = Line();
    if (!FG.value.empty() && FG.value.back() == '\r') FG.value.remove_suffix(1);
    FG.line = FLine;
    if (++FCount % 65536 == 0 && FR.progress) FR.progress(double(FP - FBegin) / double(FEnd - FBegin));
    return true;
  }
  // The next group, which must be there.
  void Advance() {
    if (!Next()) throw DXF_Read_Error("The file ends in the middle of a section", FLine);
  }
  std::string_view Line() {
    const char* nl = static_cast<const char*>(std::memchr(FP, '\n', std::size_t(FEnd - FP)));
    const char* e = nl ? nl : FEnd;
    std::string_view s(FP, std::size_t(e - FP));
    FP = nl ? nl + 1 : FEnd;
    ++FLine;
    if (!s.empty() && s.back() == '\r') s.remove_suffix(1);
    return s;
  }

  static double Real(const TGroup& G) {
    const std::string_view v = Trim(G.value);
    double d = 0;
    const auto r = std::from_chars(v.data(), v.data() + v.size(), d);
    if (v.empty() || r.ec != std::errc() || r.ptr != v.data() + v.size() || !std::isfinite(d))
      throw DXF_Read_Error("Invalid Floating point conversion: \"" + std::string(v.substr(0, 40)) + "\"", G.line);
    return d;
  }
  static int Int(const TGroup& G) {
    const std::string_view v = Trim(G.value);
    long long n = 0;
    const auto r = std::from_chars(v.data(), v.data() + v.size(), n);
    if (v.empty() || r.ec != std::errc() || r.ptr != v.data() + v.size() || n < INT32_MIN || n > INT32_MAX)
      throw DXF_Read_Error("Invalid Integer conversion: \"" + std::string(v.substr(0, 40)) + "\"", G.line);
    return int(n);
  }
  std::string Text(const TGroup& G) const { return FR.FDecoder.Decode(G.value); }

  void SkipSection() {
    while (!(FG.code == 0 && (FG.value == "ENDSEC" || FG.value == "EOF"))) Advance();
    if (FG.value == "EOF") throw DXF_Read_Error("A section without ENDSEC", FG.line);
  }

  void Header() {
    std::string var;
    while (!(FG.code == 0 && FG.value == "ENDSEC")) {
      if (FG.code == 0 && FG.value == "EOF") throw DXF_Read_Error("The HEADER section has no ENDSEC", FG.line);
      if (FG.code == 9) {
        var = std::string(Trim(FG.value));
      } else if (var == "$EXTMIN" || var == "$EXTMAX") {
        Point3D& p = var == "$EXTMIN" ? FR.min_extents : FR.max_extents;
        if (FG.code == 10) p.x = Real(FG), (var == "$EXTMIN" ? FMin : FMax) = true;
        else if (FG.code == 20) p.y = Real(FG);
        else if (FG.code == 30) p.z = Real(FG);
      } else if (var == "$ACADVER" && FG.code == 1) {
        FR.acadver = std::string(Trim(FG.value));
        FR.FDecoder.SetVersion(FR.acadver);
      } else if (var == "$DWGCODEPAGE" && FG.code == 3) {
        FR.codepage = std::string(Trim(FG.value));
        FR.FDecoder.SetCodePage(FR.codepage);
      }
      Advance();
    }
    FR.has_extents = FMin && FMax;
  }

  void Tables() {
    while (!(FG.code == 0 && FG.value == "ENDSEC")) {
      if (FG.code == 0 && FG.value == "EOF") throw DXF_Read_Error("The TABLES section has no ENDSEC", FG.line);
      if (FG.code == 0 && FG.value == "LAYER") {
        const int at = FG.line;
        std::string name;
        bool named = false;
        int colour = 7, flags = 0;
        Advance();
        while (FG.code != 0) {
          if (FG.code == 2) name = Text(FG), named = true;
          else if (FG.code == 62) colour = Int(FG);
          else if (FG.code == 70) flags = Int(FG);
          Advance();
        }
        if (!named) throw DXF_Read_Error("A LAYER table entry without its name (group 2)", at);
        DXF_Layer& l = FR.layer(name);
        l.layer_off = colour < 0 || (flags & 1) != 0;
        l.layer_colinx = DxfColourIndex(colour < 0 ? -colour : colour, 7);
        if (l.layer_colinx == 0) l.layer_colinx = 7;
        continue;
      }
      Advance();
    }
  }

  void Blocks() {
    while (!(FG.code == 0 && FG.value == "ENDSEC")) {
      if (FG.code == 0 && FG.value == "EOF") throw DXF_Read_Error("The BLOCKS section has no ENDSEC", FG.line);
      if (FG.code == 0 && FG.value == "BLOCK") {
        auto b = std::make_unique<Block_>();
        const int at = FG.line;
        Advance();
        while (FG.code != 0) {
          if (FG.code == 2) b->name = Text(FG);
          else if (FG.code == 10) b->basepoint.x = Real(FG);
          else if (FG.code == 20) b->basepoint.y = Real(FG);
          else if (FG.code == 30) b->basepoint.z = Real(FG);
          Advance();
        }
        if (b->name.empty()) throw DXF_Read_Error("A BLOCK without its name (group 2)", at);
        Entities(b.get());
        // FG is ENDBLK: pass over its groups.
        Advance();
        while (FG.code != 0) Advance();
        FR.blocks[Upper(b->name)] = std::move(b);
        continue;
      }
      Advance();
    }
  }

  // Reads entities up to ENDSEC (or ENDBLK inside a block).
  void Entities(Block_* Block) {
    while (true) {
      if (FG.code != 0) {
        Advance();
        continue;
      }
      if (FG.value == "ENDSEC" && !Block) return;
      if (FG.value == "ENDBLK" && Block) return;
      if (FG.value == "ENDSEC" || FG.value == "EOF")
        throw DXF_Read_Error(Block ? "The BLOCK " + Block->name + " has no ENDBLK" : "The ENTITIES section has no ENDSEC", FG.line);
      Entity(Block);
    }
  }

  // Collects the groups of the entity that starts at FG, leaving FG at the
  // next code 0.
  void Collect() {
    FGroups.clear();
    FName = std::string(FG.value);
    FStart = FG.line;
    Advance();
    while (FG.code != 0) {
      FGroups.push_back(FG);
      Advance();
    }
  }

  struct TCommon {
    std::string layer = "0";
    int colour = 256;
    Point3D axis{0, 0, 1};
    bool has_axis = false;
  };
  // Applies the common groups; false for the entity's own groups.
  bool Common(const TGroup& G, TCommon& C) {
    switch (G.code) {
      case 8:
        // Entities mostly come layer by layer: the last name is decoded once.
        if (G.value != FLastLayerRaw) {
          FLastLayerRaw = std::string(G.value);
          FLastLayer = Text(G);
        }
        C.layer = FLastLayer;
        return true;
      case 62: C.colour = Int(G); return true;
      case 210: C.axis.x = Real(G), C.has_axis = true; return true;
      case 220: C.axis.y = Real(G), C.has_axis = true; return true;
      case 230: C.axis.z = Real(G), C.has_axis = true; return true;
      default: return false;
    }
  }
  static void Coord(const TGroup& G, int Base, Point3D& P) {
    if (G.code == Base) P.x = Real(G);
    else if (G.code == Base + 10) P.y = Real(G);
    else if (G.code == Base + 20) P.z = Real(G);
  }

  void Finish(Block_* Block, const TCommon& C, std::unique_ptr<DXF_Entity> E) {
    // Members of blocks name layers without making them.
    DXF_Layer* l = Block ? FR.find_layer(C.layer) : &FR.layer(C.layer);
    // BYBLOCK (0) stays 0 so that a block's member takes its insert's colour.
    E->setcolour_index(C.colour == 0 ? 0 : DxfColourIndex(C.colour, l ? l->layer_colinx : 7));
    E->has_axis = C.has_axis;
    E->OCS_axis = C.axis;
    if (Block) Block->entities.push_back({C.layer, std::move(E)});
    else l->add_entity(std::move(E));
  }

  void Entity(Block_* Block) {
    Collect();
    const std::string name = FName;
    try {
      Build(Block, name);
    } catch (const DXF_Read_Error& e) {
      throw DXF_Read_Error(std::string(EntityError(name)) + ": " + e.Raw(), e.Line());
    }
  }

  void Build(Block_* Block, const std::string& Name) {
    TCommon c;
    if (Name == "LINE") {
      auto e = std::make_unique<Line_>();
      for (const TGroup& g : FGroups)
        if (!Common(g, c)) Coord(g, 10, e->p1), Coord(g, 11, e->p2);
      Finish(Block, c, std::move(e));
    } else if (Name == "POINT") {
      auto e = std::make_unique<Point_>();
      for (const TGroup& g : FGroups)
        if (!Common(g, c)) Coord(g, 10, e->p1);
      Finish(Block, c, std::move(e));
    } else if (Name == "CIRCLE" || Name == "ARC") {
      std::unique_ptr<DXF_Entity> e;
      Point3D p;
      double r = 0, a1 = 0, a2 = 360;
      for (const TGroup& g : FGroups) {
        if (Common(g, c)) continue;
        Coord(g, 10, p);
        if (g.code == 40) r = Real(g);
        else if (g.code == 50) a1 = Real(g);
        else if (g.code == 51) a2 = Real(g);
      }
      if (Name == "CIRCLE") {
        auto ci = std::make_unique<Circle_>();
        ci->p1 = p, ci->radius = r;
        e = std::move(ci);
      } else {
        auto ar = std::make_unique<Arc_>();
        ar->p1 = p, ar->radius = r, ar->angle1 = a1, ar->angle2 = a2;
        e = std::move(ar);
      }
      Finish(Block, c, std::move(e));
    } else if (Name == "TEXT") {
      auto e = std::make_unique<Text_>();
      for (const TGroup& g : FGroups) {
        if (Common(g, c)) continue;
        Coord(g, 10, e->p1);
        if (g.code == 11 || g.code == 21 || g.code == 31) Coord(g, 11, e->align_pt), e->has_align = true;
        else if (g.code == 40) e->h = Real(g);
        else if (g.code == 1) e->textstr = Text(g);
        else if (g.code == 50) e->xzjd = Real(g);
        else if (g.code == 72) e->hor_align = Int(g);
        else if (g.code == 73) e->vert_align = Int(g);
      }
      Finish(Block, c, std::move(e));
    } else if (Name == "SOLID" || Name == "3DFACE") {
      std::unique_ptr<Face3D_> e = Name == "SOLID" ? std::make_unique<Solid_>() : std::make_unique<Face3D_>();
      for (const TGroup& g : FGroups)
        if (!Common(g, c))
          for (int k = 0; k < 4; ++k) Coord(g, 10 + k, e->corners[std::size_t(k)]);
      Finish(Block, c, std::move(e));
    } else if (Name == "ATTRIB" || Name == "ATTDEF") {
      auto e = Name == "ATTRIB" ? std::make_unique<Attrib_>() : std::make_unique<Attdef_>();
      ReadAttrib(*e, c);
      Finish(Block, c, std::move(e));
    } else if (Name == "INSERT") {
      Insert(Block, c);
    } else if (Name == "POLYLINE") {
      Polyline(Block, c);
    } else if (Name == "LWPOLYLINE") {
      LWPolyline(Block, c);
    } else if (Name == "SEQEND" || Name == "VERTEX") {
      // Out of place: a vertex without its polyline is passed over.
    } else {
      ++FR.skipped[Name];
    }
  }

  void ReadAttrib(Attrib_& A, TCommon& C) {
    for (const TGroup& g : FGroups) {
      if (Common(g, C)) continue;
      Coord(g, 10, A.p1);
      if (g.code == 1) A.value = Text(g);
      else if (g.code == 2) A.tag = Text(g);
      else if (g.code == 70) A.visible = (Int(g) & 1) == 0;
    }
  }

  void Insert(Block_* Block, TCommon& C) {
    auto e = std::make_unique<Insert_>();
    bool follows = false;
    for (const TGroup& g : FGroups) {
      if (Common(g, C)) continue;
      Coord(g, 10, e->p1);
      switch (g.code) {
        case 2: e->blockname = Text(g); break;
        case 41: e->scale.x = Real(g); break;
        case 42: e->scale.y = Real(g); break;
        case 43: e->scale.z = Real(g); break;
        case 50: e->rotation = Real(g); break;
        case 66: follows = Int(g) != 0; break;
        default: break;
      }
    }
    // The attributes that follow, up to SEQEND.
    while (FG.value == "ATTRIB") {
      Collect();
      auto a = std::make_unique<Attrib_>();
      TCommon ac;
      ReadAttrib(*a, ac);
      e->attribs.push_back(std::move(a));
    }
    if (FG.value == "SEQEND" && (follows || !e->attribs.empty())) Collect();
    Finish(Block, C, std::move(e));
  }

  // The VERTEX entities of a POLYLINE up to SEQEND.
  struct TVertex {
    Point3D p;
    double bulge = 0;
    int flags = 0;
    std::array<int, 4> face{};
  };
  std::vector<TVertex> Vertices() {
    std::vector<TVertex> out;
    while (FG.value == "VERTEX") {
      if (int(out.size()) >= DxfMaxVertices)
        throw DXF_Read_Error("Polyline contained more than " + std::to_string(DxfMaxVertices) + " vertices", FG.line);
      Collect();
      TVertex v;
      TCommon vc;
      for (const TGroup& g : FGroups) {
        if (Common(g, vc)) continue;
        Coord(g, 10, v.p);
        if (g.code == 42) v.bulge = Real(g);
        else if (g.code == 70) v.flags = Int(g);
        else if (g.code >= 71 && g.code <= 74) v.face[std::size_t(g.code - 71)] = Int(g);
      }
      out.push_back(v);
    }
    if (FG.value == "SEQEND") Collect();
    else throw DXF_Read_Error("The polyline's vertices do not end with SEQEND", FG.line);
    return out;
  }

  void Polyline(Block_* Block, TCommon& C) {
    int flags = 0, m = 0, n = 0;
    for (const TGroup& g : FGroups) {
      if (Common(g, C)) continue;
      if (g.code == 70) flags = Int(g);
      else if (g.code == 71) m = Int(g);
      else if (g.code == 72) n = Int(g);
    }
    const int at = FStart;
    std::vector<TVertex> vs = Vertices();
    if (flags & 16) {
      auto e = std::make_unique<Polygon_mesh_>();
      const long long count = (long long)m * n;
      if (m <= 0 || n <= 0 || count != (long long)vs.size())
        throw DXF_Read_Error("The polygon mesh's size " + std::to_string(m) + " x " + std::to_string(n) +
                                 " does not match its " + std::to_string(vs.size()) + " vertices",
                             at);
      e->M = m, e->N = n, e->closeM = flags & 1, e->closeN = flags & 32;
      for (const TVertex& v : vs) e->vertices.push_back(v.p);
      Finish(Block, C, std::move(e));
    } else if (flags & 64) {
      auto e = std::make_unique<Polyface_mesh_>();
      for (const TVertex& v : vs) {
        if ((v.flags & 192) == 192) e->vertices.push_back(v.p);
        else if (v.flags & 128) e->faces.push_back(v.face);
      }
      if (m > 0 && m != int(e->vertices.size()))
        throw DXF_Read_Error("The polyface mesh names " + std::to_string(m) + " vertices but holds " +
                                 std::to_string(e->vertices.size()), at);
      for (const auto& f : e->faces)
        for (int i : f)
          if (std::abs(i) > int(e->vertices.size()))
            throw DXF_Read_Error("A polyface mesh face names vertex " + std::to_string(i) + " of " +
                                     std::to_string(e->vertices.size()), at);
      Finish(Block, C, std::move(e));
    } else {
      auto e = std::make_unique<Polyline_>();
      e->closed = flags & 1;
      for (const TVertex& v : vs) {
        e->vertices.push_back(v.p);
        e->bulges.push_back(v.bulge);
      }
      Finish(Block, C, std::move(e));
    }
  }

  void LWPolyline(Block_* Block, TCommon& C) {
    auto e = std::make_unique<LWPolyline_>();
    int count = -1;
    for (const TGroup& g : FGroups) {
      if (Common(g, C)) continue;
      switch (g.code) {
        case 90: count = Int(g); break;
        case 70: e->closed = Int(g) & 1; break;
        case 10:
          if (int(e->vertices.size()) >= DxfMaxVertices)
            throw DXF_Read_Error("Polyline contained more than " + std::to_string(DxfMaxVertices) + " vertices", g.line);
          e->vertices.push_back({Real(g), 0, 0});
          e->bulges.push_back(0);
          break;
        case 20:
          if (e->vertices.empty()) throw DXF_Read_Error("A y coordinate before its x", g.line);
          e->vertices.back().y = Real(g);
          break;
        case 42:
          if (!e->bulges.empty()) e->bulges.back() = Real(g);
          break;
        default: break;
      }
    }
    if (count >= 0 && count != int(e->vertices.size()))
      throw DXF_Read_Error("The LWPOLYLINE names " + std::to_string(count) + " vertices (group 90) but holds " +
                               std::to_string(e->vertices.size()), FStart);
    Finish(Block, C, std::move(e));
  }

  DXF_Reader& FR;
  const char* FBegin;
  const char* FP;
  const char* FEnd;
  int FLine = 0;
  long long FCount = 0;
  bool FAtEnd = false;
  bool FMin = false, FMax = false;
  TGroup FG;
  std::vector<TGroup> FGroups;
  std::string FLastLayerRaw = "\x01", FLastLayer;
  std::string FName;
  int FStart = 0;
};

DXF_Reader::DXF_Reader(std::string FileName) : file_name(std::move(FileName)) {}
DXF_Reader::~DXF_Reader() = default;

DXF_Layer& DXF_Reader::layer(const std::string& Name) {
  if (FLastLayer && FLastLayer->layer_name == Name) return *FLastLayer;
  const std::string key = Upper(Name);
  auto it = FLayerIndex.find(key);
  if (it != FLayerIndex.end()) return *(FLastLayer = it->second);
  layers.push_back(std::make_unique<DXF_Layer>(Name));
  FLayerIndex[key] = layers.back().get();
  return *(FLastLayer = layers.back().get());
}

DXF_Layer* DXF_Reader::find_layer(const std::string& Name) const {
  auto it = FLayerIndex.find(Upper(Name));
  return it == FLayerIndex.end() ? nullptr : it->second;
}

const Block_* DXF_Reader::block(const std::string& Name) const {
  auto it = blocks.find(Upper(Name));
  return it == blocks.end() ? nullptr : it->second.get();
}

bool DXF_Reader::read_text(std::string_view Text) {
  FError.clear();
  FErrorLine = 0;
  try {
    TParser(*this, Text).Run();
    return true;
  } catch (const DXF_Read_Error& e) {
    FError = e.what();
    FErrorLine = e.Line();
  } catch (const std::exception& e) {
    FError = std::string(e.what()) + ". " + kAtLine + "0";
  }
  return false;
}

bool DXF_Reader::read_file() {
  std::ifstream in(file_name, std::ios::binary);
  if (!in) {
    FError = "Cannot open " + file_name;
    return false;
  }
  std::ostringstream s;
  s << in.rdbuf();
  const std::string text = s.str();
  return read_text(text);
}
