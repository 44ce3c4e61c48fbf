#pragma once
// DXF_Writer: writes layers of entities as an R12 DXF text, every group as
// its code, CR LF, its value, CR LF. Numbers are written in the C locale in
// the shortest form that reads back to the same double; texts in GBK, with
// $DWGCODEPAGE saying so.

#include "interchange/DxfEntities.h"

#include <string>
#include <string_view>

// The shortest C-locale text that reads back as Value.
std::string DxfNumber(double Value);
// The fixed real notation of the viewport and style tables: sign or blank,
// one digit, 14 decimals, "E", the exponent's sign and four digits.
std::string DxfFixedReal(double Value);
// A layer name as DXF allows it: the characters it forbids become "_", an
// empty name becomes "0".
std::string DxfLayerName(std::string_view Name);

class DXF_Writer {
public:
  explicit DXF_Writer(std::string& Out) : FOut(Out) {}

  // The whole file: header, classes, tables, blocks, entities, EOF.
  void write_file(const std::vector<std::unique_ptr<DXF_Layer>>& Layers);

  void string(int Code, std::string_view Value);
  // Value as GBK; characters GBK lacks are written as \U+XXXX.
  void text(int Code, std::string_view Utf8);
  void integer(int Code, long long Value);
  void real(int Code, double Value);
  void fixed(int Code, double Value);
  // Code, Code + 10 and Code + 20.
  void point(int Code, const Point3D& P);
  // 0 Name and 8 the current layer (VERTEX and SEQEND of polylines).
  void begin_entity(std::string_view Name);

  void write_header(const Point3D& Lo, const Point3D& Hi);
  void write_tables(const std::vector<std::unique_ptr<DXF_Layer>>& Layers);
  void write_entity(const DXF_Entity& E, const std::string& Layer);

private:
  std::string& FOut;
  std::string FLayer;  // GBK
};
