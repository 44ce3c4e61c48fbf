#include "interchange/DxfWriter.h"

#include "foundation/AtomicFile.h"
#include "foundation/GbkCodec.h"
#include "foundation/Streams.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <set>

std::string DxfNumber(double Value) {
  if (!std::isfinite(Value)) Value = 0;
  if (Value == 0) Value = 0;  // no "-0"
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, Value);
  return std::string(buf, r.ptr);
}

std::string DxfFixedReal(double Value) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.14E", std::abs(Value));
  std::string s(buf);
  const std::size_t e = s.find('E');
  const int exponent = std::atoi(s.c_str() + e + 1);
  char tail[16];
  std::snprintf(tail, sizeof tail, "E%c%04d", exponent < 0 ? '-' : '+', std::abs(exponent));
  return std::string(Value < 0 ? "-" : " ") + s.substr(0, e) + tail;
}

std::string DxfLayerName(std::string_view Name) {
  std::string out;
  for (std::size_t i = 0; i < Name.size();) {
    const auto c = static_cast<unsigned char>(Name[i]);
    if (c < 0x80) {
      out += std::string_view("<>/\\\":;?*|=,`").find(char(c)) != std::string_view::npos || c < 0x20 ? '_' : char(c);
      ++i;
      continue;
    }
    std::size_t len = c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    len = std::min(len, Name.size() - i);
    // A byte kept from the file (two noncharacters) goes back whole.
    if (len == 3 && Name.compare(i, 2, "\xEF\xB7") == 0 && i + 6 <= Name.size() && Name.compare(i + 3, 2, "\xEF\xB7") == 0)
      len = 6;
    // A character GBK lacks would be written as a \U+ escape, and the
    // backslash is no letter of a layer name.
    const std::string_view ch = Name.substr(i, len);
    out += HasGbkForm(ch) ? std::string(ch) : std::string("_");
    i += len;
  }
  return out.empty() ? "0" : out;
}

namespace {

std::string ToFileText(std::string_view Utf8) {
  try {
    return Utf8ToGbk(Utf8);
  } catch (const EGbkError&) {
  }
  // Character by character: what GBK lacks is written as DXF's \U+XXXX.
  std::string out;
  std::size_t i = 0;
  while (i < Utf8.size()) {
    const auto c = static_cast<unsigned char>(Utf8[i]);
    std::size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    if (i + len > Utf8.size()) len = Utf8.size() - i;
    const std::string_view ch = Utf8.substr(i, len);
    i += len;
    try {
      out += Utf8ToGbk(ch);
      continue;
    } catch (const EGbkError&) {
    }
    std::uint32_t cp = len == 1 ? c : c & (0xFF >> (len + 1));
    for (std::size_t k = 1; k < len; ++k) cp = cp << 6 | (static_cast<unsigned char>(ch[k]) & 0x3F);
    char buf[16];
    std::snprintf(buf, sizeof buf, cp > 0xFFFF ? "\\U+%06X" : "\\U+%04X", unsigned(cp));
    out += buf;
  }
  return out;
}

}  // namespace

void DXF_Writer::string(int Code, std::string_view Value) {
  FOut += std::to_string(Code);
  FOut += "\r\n";
  FOut += Value;
  FOut += "\r\n";
}

void DXF_Writer::text(int Code, std::string_view Utf8) {
  // A line break inside a value would end the group early.
  std::string clean(Utf8);
  for (char& c : clean)
    if (c == '\r' || c == '\n') c = ' ';
  string(Code, ToFileText(clean));
}

void DXF_Writer::integer(int Code, long long Value) { string(Code, std::to_string(Value)); }
void DXF_Writer::real(int Code, double Value) { string(Code, DxfNumber(Value)); }
void DXF_Writer::fixed(int Code, double Value) { string(Code, DxfFixedReal(Value)); }

void DXF_Writer::point(int Code, const Point3D& P) {
  real(Code, P.x);
  real(Code + 10, P.y);
  real(Code + 20, P.z);
}

void DXF_Writer::begin_entity(std::string_view Name) {
  string(0, Name);
  string(8, FLayer);
}

void DXF_Writer::write_header(const Point3D& Lo, const Point3D& Hi) {
  string(0, "SECTION");
  string(2, "HEADER");
  string(9, "$ACADVER");
  string(1, "AC1009");
  string(9, "$DWGCODEPAGE");
  string(3, "ANSI_936");
  string(9, "$EXTMIN");
  point(10, Lo);
  string(9, "$EXTMAX");
  point(10, Hi);
  string(0, "ENDSEC");
}

void DXF_Writer::write_tables(const std::vector<std::unique_ptr<DXF_Layer>>& Layers) {
  string(0, "SECTION");
  string(2, "TABLES");
  string(0, "TABLE");
  string(2, "VPORT");
  string(0, "VPORT");
  string(2, "*ACTIVE");
  integer(70, 0);
  fixed(10, 0.0), fixed(20, 0.0);
  fixed(11, 1.0), fixed(21, 1.0);
  fixed(12, 49.566234), fixed(22, 32.725327);
  fixed(13, 0.0), fixed(23, 0.0);
  fixed(14, 1.0), fixed(24, 1.0);
  fixed(15, 0.0), fixed(25, 0.0);
  integer(16, 0), integer(26, 0);
  fixed(36, 1.0);
  fixed(17, 0.0), fixed(27, 0.0), fixed(37, 0.0);
  fixed(40, 48.523541), fixed(41, 1.647423), fixed(42, 50.0), fixed(43, 0.0), fixed(44, 0.0);
  fixed(50, 0.0), fixed(51, 0.0);
  integer(71, 0), integer(72, 100), integer(73, 1);
  for (int c = 74; c <= 78; ++c) integer(c, 0);
  string(0, "ENDTAB");

  string(0, "TABLE");
  string(2, "LAYER");
  integer(70, static_cast<long long>(Layers.size()));
  for (const auto& l : Layers) {
    string(0, "LAYER");
    text(2, l->layer_name);
    integer(70, 64);
    // A hidden layer is written switched off: its colour negative.
    const int colour = l->layer_colinx >= 1 && l->layer_colinx <= 255 ? l->layer_colinx : 7;
    integer(62, l->layer_off ? -colour : colour);
    string(6, "CONTINUOUS");
  }
  string(0, "ENDTAB");

  string(0, "TABLE");
  string(2, "STYLE");
  integer(70, 2);
  string(0, "STYLE");
  string(2, "STANDARD");
  string(70, "0"), string(40, "0"), string(41, "1.0"), string(50, "0.0"), string(71, "0");
  fixed(42, 8.0);
  string(3, "COMPLEX");
  string(4, "");
  string(0, "STYLE");
  string(2, "SIMSUN");
  string(70, "0"), string(40, "0"), string(41, "1"), string(50, "0.0"), string(71, "0"), string(42, "0");
  string(3, "SIMSUN.TTF");
  string(4, "");
  string(0, "ENDTAB");
  string(0, "ENDSEC");
}

void DXF_Writer::write_entity(const DXF_Entity& E, const std::string& Layer) {
  string(0, E.EntityName());
  string(8, Layer);
  integer(62, E.colinx);
  if (E.has_axis) {
    real(210, E.OCS_axis.x);
    real(220, E.OCS_axis.y);
    real(230, E.OCS_axis.z);
  }
  E.WriteGroups(*this);
}

void DXF_Writer::write_file(const std::vector<std::unique_ptr<DXF_Layer>>& Layers) {
  Point3D lo{1e10, 1e10, 1e10}, hi{-1e10, -1e10, -1e10};
  bool any = false;
  for (const auto& l : Layers)
    for (const auto& list : l->entity_lists)
      for (const auto& e : list) {
        e->Extents(lo, hi);
        any = true;
      }
  // An empty drawing would otherwise claim inverted extents.
  if (!any) lo = hi = Point3D{};
  write_header(lo, hi);
  string(0, "SECTION");
  string(2, "CLASSES");
  string(0, "ENDSEC");
  write_tables(Layers);
  string(0, "SECTION");
  string(2, "BLOCKS");
  string(0, "ENDSEC");
  string(0, "SECTION");
  string(2, "ENTITIES");
  for (const auto& l : Layers) {
    FLayer = ToFileText(l->layer_name);
    for (const auto& list : l->entity_lists)
      for (const auto& e : list) write_entity(*e, FLayer);
  }
  string(0, "ENDSEC");
  string(0, "EOF");
}

void DXF_Object::save_to_file(const std::string& FileName) const {
  std::string out;
  DXF_Writer(out).write_file(layers);
  SaveFileAtomically(FileName, [&](TStream& S) { S.Write(out.data(), out.size()); });
}
