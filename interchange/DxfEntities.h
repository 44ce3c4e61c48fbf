#pragma once
// The DXF entity model: one class per entity kind the reader understands and
// the writer emits, the 256-colour index palette, layers of entities and
// block definitions. Qt-free; texts are UTF-8 here and turned into the file's
// code page only by the reader and the writer.

#include "platform/Gdi.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class DXF_Writer;

struct Point3D {
  double x = 0, y = 0, z = 0;
};

// The AutoCAD Color Index palette, indices 0 and 7 black.
extern const std::array<COLORREF, 256> DXF_Layer_Colours;
// The palette index a file's colour number stands for: 256 (BYLAYER) is the
// layer's, a negative number (a layer switched off) its absolute value, and
// anything else outside the palette 7.
int DxfColourIndex(int FileIndex, int LayerIndex);

// A TEXT's height is 0.7 of the font size: height 7 is font size 10. The
// height is kept to 15 significant digits and the size rounded alike when
// that writes the same height, so that a height read and written again (or
// a font size written and read again) comes back as it was, not one bit off.
double DxfTextHeight(double FontSize);
double DxfFontSize(double TextHeight);

enum class TDxfKind : std::uint8_t {
  Point, Line, Circle, Arc, Text, Polyline, LWPolyline, PolygonMesh, PolyfaceMesh, Face3D, Solid, Insert,
  Attrib, Attdef
};

class DXF_Entity {
public:
  virtual ~DXF_Entity() = default;
  virtual TDxfKind Kind() const = 0;
  virtual const char* EntityName() const = 0;
  // The entity's own groups after the common ones.
  virtual void WriteGroups(DXF_Writer& W) const = 0;
  // Grows Lo/Hi by the entity's points.
  virtual void Extents(Point3D& Lo, Point3D& Hi) const = 0;

  void setcolour_index(int Index);
  // colinx becomes the last palette index of exactly that colour, or the
  // nearest one when none is (never 0, which would mean "by block").
  void setcolour(COLORREF Colour);

  COLORREF colour = 0;
  int colinx = 7;
  bool has_axis = false;
  Point3D OCS_axis{0, 0, 1};
};

class Point_ : public DXF_Entity {
public:
  TDxfKind Kind() const override { return TDxfKind::Point; }
  const char* EntityName() const override { return "POINT"; }
  void WriteGroups(DXF_Writer& W) const override;
  void Extents(Point3D& Lo, Point3D& Hi) const override;
  Point3D p1;
};

class Line_ : public DXF_Entity {
public:
  TDxfKind Kind() const override { return TDxfKind::Line; }
  const char* EntityName() const override { return "LINE"; }
  void WriteGroups(DXF_Writer& W) const override;
  void Extents(Point3D& Lo, Point3D& Hi) const override;
  Point3D p1, p2;
};

class Circle_ : public DXF_Entity {
public:
  TDxfKind Kind() const override { return TDxfKind::Circle; }
  const char* EntityName() const override { return "CIRCLE"; }
  void WriteGroups(DXF_Writer& W) const override;
  void Extents(Point3D& Lo, Point3D& Hi) const override;
  Point3D p1;
  double radius = 0;
};

// Angles in degrees, counter-clockwise from angle1 to angle2.
class Arc_ : public DXF_Entity {
public:
  TDxfKind Kind() const override { return TDxfKind::Arc; }
  const char* EntityName() const override { return "ARC"; }
  void WriteGroups(DXF_Writer& W) const override;
  void Extents(Point3D& Lo, Point3D& Hi) const override;
  Point3D p1;
  double radius = 0, angle1 = 0, angle2 = 0;
};

class Text_ : public DXF_Entity {
public:
  TDxfKind Kind() const override { return TDxfKind::Text; }
  const char* EntityName() const override { return "TEXT"; }
  void WriteGroups(DXF_Writer& W) const override;
  void Extents(Point3D& Lo, Point3D& Hi) const override;
  Point3D p1;
  double h = 0;
  std::string textstr;
  // Group 11; without one the text sits at p1.
  bool has_align = false;
  Point3D align_pt;
  int hor_align = 0, vert_align = 0;
  double xzjd = 0;  // degrees
};

// POLYLINE with its VERTEX entities: vertices with their bulges.
class Polyline_ : public DXF_Entity {
public:
  TDxfKind Kind() const override { return TDxfKind::Polyline; }
  const char* EntityName() const override { return "POLYLINE"; }
  void WriteGroups(DXF_Writer& W) const override;
  void Extents(Point3D& Lo, Point3D& Hi) const override;
  int numvertices() const { return int(vertices.size()); }
  bool closed = false;
  std::vector<Point3D> vertices;
  std::vector<double> bulges;  // one per vertex, the arc to the next one
};

class LWPolyline_ : public Polyline_ {
public:
  TDxfKind Kind() const override { return TDxfKind::LWPolyline; }
  const char* EntityName() const override { return "LWPOLYLINE"; }
};

class Polygon_mesh_ : public DXF_Entity {
public:
  TDxfKind Kind() const override { return TDxfKind::PolygonMesh; }
  const char* EntityName() const override { return "POLYLINE"; }
  void WriteGroups(DXF_Writer& W) const override;
  void Extents(Point3D& Lo, Point3D& Hi) const override;
  std::vector<Point3D> vertices;  // row by row
  int M = 0, N = 0;
  bool closeM = false, closeN = false;
};

class Polyface_mesh_ : public DXF_Entity {
public:
  TDxfKind Kind() const override { return TDxfKind::PolyfaceMesh; }
  const char* EntityName() const override { return "POLYLINE"; }
  void WriteGroups(DXF_Writer&) const override {}
  void Extents(Point3D& Lo, Point3D& Hi) const override;
  std::vector<Point3D> vertices;
  std::vector<std::array<int, 4>> faces;  // 1-based, 0 unused
};

// 3DFACE and SOLID: four corners.
class Face3D_ : public DXF_Entity {
public:
  TDxfKind Kind() const override { return TDxfKind::Face3D; }
  const char* EntityName() const override { return "3DFACE"; }
  void WriteGroups(DXF_Writer& W) const override;
  void Extents(Point3D& Lo, Point3D& Hi) const override;
  std::array<Point3D, 4> corners{};
};

class Solid_ : public Face3D_ {
public:
  TDxfKind Kind() const override { return TDxfKind::Solid; }
  const char* EntityName() const override { return "SOLID"; }
};

class Attrib_ : public DXF_Entity {
public:
  TDxfKind Kind() const override { return TDxfKind::Attrib; }
  const char* EntityName() const override { return "ATTRIB"; }
  void WriteGroups(DXF_Writer&) const override {}
  void Extents(Point3D& Lo, Point3D& Hi) const override;
  Point3D p1;
  std::string tag, value;
  bool visible = true;
};

class Attdef_ : public Attrib_ {
public:
  TDxfKind Kind() const override { return TDxfKind::Attdef; }
  const char* EntityName() const override { return "ATTDEF"; }
};

class Block_;

class Insert_ : public DXF_Entity {
public:
  TDxfKind Kind() const override { return TDxfKind::Insert; }
  const char* EntityName() const override { return "INSERT"; }
  void WriteGroups(DXF_Writer&) const override {}
  void Extents(Point3D& Lo, Point3D& Hi) const override;
  int num_attribs() const { return int(attribs.size()); }
  Point3D p1;
  const Block_* blockptr = nullptr;
  std::string blockname;
  std::vector<std::unique_ptr<Attrib_>> attribs;
  Point3D scale{1, 1, 1};
  double rotation = 0;  // degrees
};

// An entity read inside a block or a layer, with the layer it names.
struct TDxfItem {
  std::string layer;
  std::unique_ptr<DXF_Entity> entity;
};

class Block_ {
public:
  std::string name;
  Point3D basepoint;
  std::vector<TDxfItem> entities;
};

class DXF_Layer {
public:
  explicit DXF_Layer(std::string Name, int Colinx = 7) : layer_name(std::move(Name)), layer_colinx(Colinx) {}
  // Throws "Entity list ID mismatch" when Entity is of another kind than
  // the list named Kind.
  void add_entity_to_list(const std::string& Kind, std::unique_ptr<DXF_Entity> Entity);
  void add_entity(std::unique_ptr<DXF_Entity> Entity);
  std::size_t entity_count() const;

  std::string layer_name;
  int layer_colinx = 7;
  bool layer_off = false;  // hidden or frozen
  // One list per entity name in the order the names first occur.
  std::vector<std::string> entity_names;
  std::vector<std::vector<std::unique_ptr<DXF_Entity>>> entity_lists;
};

class DXF_Object {
public:
  // Writes the layers through a DXF_Writer; throws on a write failure.
  void save_to_file(const std::string& FileName) const;
  std::string name = "Untitled";
  std::vector<std::unique_ptr<DXF_Layer>> layers;
};
