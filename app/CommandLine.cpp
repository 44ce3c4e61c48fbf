#include "app/CommandLine.h"

#include "app/PrintOutput.h"
#include "docview/DrawView.h"
#include "docview/FiguresDoc.h"
#include "docview/ImageLibrary.h"
#include "figures/CodeVersion.h"
#include "figures/FigureSet.h"
#include "foundation/Streams.h"
#include "foundation/ValueStream.h"
#include "foundation/ZLibContainer.h"
#include "interchange/DxfMapping.h"
#include "tools/ToolList.h"

#include <QApplication>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

void RegisterPlandeckClasses() {
  RegisterImageLibraryClasses();  // streaming, figure, environment, document and library classes
  RegisterTools();  // the tools' figure operations and the document tool list
}

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// Pictures are made at the page's own scale, shrunk so neither side passes this.
constexpr double kMaxPictureSide = 4000;

const char* const kUsage =
    "Usage:\n"
    "  plandeck [FILE.gck]             start the editor, opening FILE when given\n"
    "  plandeck info FILE.gck|.dxf     print the drawing as JSON: document values,\n"
    "                                  layers (name, flag, figure count) and every\n"
    "                                  figure with its class and saved values\n"
    "  plandeck convert IN.gck OUT     write the drawing as OUT; the type follows\n"
    "                                  OUT's extension: .gck (drawing), .dxf, .bmp, .jpg,\n"
    "                                  .jpeg, .png, .svg (page picture), .wmf, .emf\n"
    "                                  (metafile), .pdf (printed at the stored layout)\n"
    "  plandeck --help | -h            show this text\n"
    "\n"
    "Exit status: 0 done, 1 the drawing could not be read or written,\n"
    "2 the command was not understood or the output type is not supported.\n"
    "IN may be a .dxf file too. OUT is only replaced once it has been written completely.\n";

// ---- JSON text

// Appends Text as a JSON string. Bytes that are not UTF-8 become U+FFFD, so
// the output stays valid whatever a file or a command line holds.
void AppendJsonString(std::string& Out, std::string_view Text) {
  static const char* const kHex = "0123456789abcdef";
  Out += '"';
  std::size_t i = 0;
  while (i < Text.size()) {
    const auto c = static_cast<unsigned char>(Text[i]);
    if (c < 0x80) {
      switch (c) {
        case '"': Out += "\\\""; break;
        case '\\': Out += "\\\\"; break;
        case '\b': Out += "\\b"; break;
        case '\f': Out += "\\f"; break;
        case '\n': Out += "\\n"; break;
        case '\r': Out += "\\r"; break;
        case '\t': Out += "\\t"; break;
        default:
          if (c < 0x20 || c == 0x7F) {
            Out += "\\u00";
            Out += kHex[c >> 4];
            Out += kHex[c & 15];
          } else {
            Out += static_cast<char>(c);
          }
      }
      ++i;
      continue;
    }
    // A well-formed multi-byte sequence is copied as it is.
    std::size_t len = 0;
    std::uint32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) len = 2, cp = c & 0x1F;
    else if (c >= 0xE0 && c <= 0xEF) len = 3, cp = c & 0x0F;
    else if (c >= 0xF0 && c <= 0xF4) len = 4, cp = c & 0x07;
    bool ok = len != 0 && i + len <= Text.size();
    for (std::size_t k = 1; ok && k < len; ++k) {
      const auto d = static_cast<unsigned char>(Text[i + k]);
      ok = (d & 0xC0) == 0x80;
      cp = cp << 6 | (d & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if (ok) ok = !(len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) && !(len == 4 && (cp < 0x10000 || cp > 0x10FFFF));
    if (ok) {
      Out.append(Text.substr(i, len));
      i += len;
    } else {
      Out += "\xEF\xBF\xBD";
      ++i;
    }
  }
  Out += '"';
}

std::string JsonNumber(double Value) {
  if (!std::isfinite(Value)) return "null";
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, Value);
  return std::string(buf, r.ptr);
}

std::string Hex(std::span<const std::uint8_t> Bytes) {
  static const char* const kHex = "0123456789abcdef";
  std::string s;
  s.reserve(Bytes.size() * 2);
  for (std::uint8_t b : Bytes) {
    s += kHex[b >> 4];
    s += kHex[b & 15];
  }
  return s;
}

// A small indenting writer: values, arrays and objects in the order given.
class TJsonWriter {
public:
  void BeginObject() { Open('{'); }
  void EndObject() { Close('}'); }
  void BeginArray() { Open('['); }
  void EndArray() { Close(']'); }
  void Key(std::string_view Name) {
    Separate();
    AppendJsonString(FOut, Name);
    FOut += ": ";
    FAfterKey = true;
  }
  void String(std::string_view Text) {
    Separate();
    AppendJsonString(FOut, Text);
  }
  void Integer(long long Value) {
    Separate();
    FOut += std::to_string(Value);
  }
  void Float(double Value) {
    Separate();
    FOut += JsonNumber(Value);
  }
  void Boolean(bool Value) {
    Separate();
    FOut += Value ? "true" : "false";
  }
  // A one-member object kept on one line: {"byte": 4}, {"binary": "0a0b"}.
  void Marked(std::string_view Kind, std::string_view JsonValue) {
    Separate();
    FOut += '{';
    AppendJsonString(FOut, Kind);
    FOut += ": ";
    FOut += JsonValue;
    FOut += '}';
  }
  void FieldString(std::string_view Name, std::string_view Text) {
    Key(Name);
    String(Text);
  }
  void FieldInteger(std::string_view Name, long long Value) {
    Key(Name);
    Integer(Value);
  }
  void FieldFloat(std::string_view Name, double Value) {
    Key(Name);
    Float(Value);
  }
  void FieldBoolean(std::string_view Name, bool Value) {
    Key(Name);
    Boolean(Value);
  }
  const std::string& Text() const { return FOut; }

  // A place to come back to when what follows turns out unusable.
  struct TMark {
    std::size_t Length;
    std::vector<bool> First;
    bool AfterKey;
  };
  TMark Mark() const { return {FOut.size(), FFirst, FAfterKey}; }
  void Restore(const TMark& M) {
    FOut.resize(M.Length);
    FFirst = M.First;
    FAfterKey = M.AfterKey;
  }

private:
  void Separate() {
    if (FAfterKey) {
      FAfterKey = false;
      return;
    }
    if (FFirst.empty()) return;
    if (!FFirst.back()) FOut += ',';
    FFirst.back() = false;
    FOut += '\n';
    FOut.append(2 * FFirst.size(), ' ');
  }
  void Open(char C) {
    Separate();
    FOut += C;
    FFirst.push_back(true);
  }
  void Close(char C) {
    const bool empty = FFirst.back();
    FFirst.pop_back();
    if (!empty) {
      FOut += '\n';
      FOut.append(2 * FFirst.size(), ' ');
    }
    FOut += C;
  }

  std::string FOut;
  std::vector<bool> FFirst;
  bool FAfterKey = false;
};

// ---- saved values, decoded without knowing the class

std::vector<std::uint8_t> SavedValues(TMyPersistent& Obj) {
  std::vector<std::uint8_t> bytes;
  TWriter writer(bytes);
  Obj.WriteData(writer);
  return bytes;
}

// Decodes the "P" values an object writes into JSON. The tags make most of
// the list self-describing, but classes also write untagged bytes (pen and
// brush styles, font styles) that look like tags. Which kind a position is,
// the class's own reader tells: a fresh object reads the values with an
// invalid tag byte planted there; a reader expecting a tagged value fails,
// one reading a boolean writes it back as false, one reading a raw byte
// keeps it. Figures a set owns, and a figure's fill block, are recognised by
// their own bytes and decoded as nested objects.
class TValueDecoder {
public:
  explicit TValueDecoder(TMyPersistent& Obj) : FObj(Obj), FBytes(SavedValues(Obj)) {
    if (auto* figure = dynamic_cast<TCustomFigure*>(&Obj); figure && figure->FFillItem)
      FEmbedded.push_back(Embedded(*figure->FFillItem, false));
    if (auto* set = dynamic_cast<TCustomFigureSet*>(&Obj))
      for (const TLayer& layer : set->FLayers)
        for (int i = 0; i < layer.List->Count(); ++i) {
          FEmbedded.push_back(Embedded(*layer.List->Items(i), true));
        }
  }

  // Writes {"class": ..., "values": [...]}; values that cannot be taken apart
  // are given as their bytes in hexadecimal under "undecoded".
  void Write(TJsonWriter& Json) {
    Json.BeginObject();
    Json.Key("class");
    Json.String(FObj.ClassName());
    const TJsonWriter::TMark mark = Json.Mark();
    bool decoded = false;
    try {
      Json.Key("values");
      decoded = DecodeAll(Json);
    } catch (const std::exception&) {
      decoded = false;
    }
    if (!decoded) {
      Json.Restore(mark);
      Json.Key("undecoded");
      Json.String(Hex(FBytes));
    }
    Json.EndObject();
  }

private:
  struct TEmbedded {
    TMyPersistent* Obj;
    std::vector<std::uint8_t> Name;  // the class name as a string value; empty for a fill block
    std::vector<std::uint8_t> Own;   // its own values
  };
  static TEmbedded Embedded(TMyPersistent& Obj, bool WithName) {
    TEmbedded e{&Obj, {}, SavedValues(Obj)};
    if (WithName) TWriter(e.Name).WriteString(Obj.ClassName());
    return e;
  }
  enum class TSlot { Tagged, Boolean, Raw };

  bool DecodeAll(TJsonWriter& Json) {
    std::size_t pos = 0;
    int depth = 0;
    Json.BeginArray();
    while (pos < FBytes.size()) {
      if (MatchEmbedded(pos, Json)) continue;
      switch (Probe(pos)) {
        case TSlot::Raw:
          Json.Marked("byte", std::to_string(FBytes[pos]));
          ++pos;
          continue;
        case TSlot::Boolean:
          Json.Boolean(FBytes[pos] == vaTrue);
          ++pos;
          continue;
        case TSlot::Tagged: break;
      }
      const std::uint8_t tag = FBytes[pos];
      if (tag == vaList) {
        if (depth >= TReader::kMaxNesting) return false;
        Json.BeginArray();
        ++depth;
        ++pos;
        continue;
      }
      if (tag == vaNull) {
        if (depth == 0) return false;
        Json.EndArray();
        --depth;
        ++pos;
        continue;
      }
      TReader reader(std::span<const std::uint8_t>(FBytes).subspan(pos));
      switch (tag) {
        case vaInt8:
        case vaInt16:
        case vaInt32: Json.Integer(reader.ReadInteger()); break;
        case vaExtended: Json.Float(reader.ReadFloat()); break;
        case vaString:
        case vaLString: Json.String(reader.ReadString()); break;
        case vaFalse:
        case vaTrue: Json.Boolean(reader.ReadBoolean()); break;
        case vaBinary: {
          std::string hex;
          AppendJsonString(hex, Hex(reader.ReadBinary()));
          Json.Marked("binary", hex);
          break;
        }
        default: return false;
      }
      pos += reader.Position();
    }
    if (depth != 0) return false;
    Json.EndArray();
    return true;
  }

  // A fill block or an owned figure starting at Pos, recognised by its bytes.
  bool MatchEmbedded(std::size_t& Pos, TJsonWriter& Json) {
    if (FNextEmbedded >= FEmbedded.size()) return false;
    const TEmbedded& e = FEmbedded[FNextEmbedded];
    const std::vector<std::uint8_t>& own = e.Own;
    // Sets that name the class once write their items without it.
    for (std::size_t prefix : {e.Name.size(), std::size_t(0)}) {
      if (Pos + prefix + own.size() > FBytes.size()) continue;
      if (!std::equal(e.Name.begin(), e.Name.begin() + static_cast<std::ptrdiff_t>(prefix), FBytes.begin() + static_cast<std::ptrdiff_t>(Pos)))
        continue;
      if (!std::equal(own.begin(), own.end(), FBytes.begin() + static_cast<std::ptrdiff_t>(Pos + prefix))) continue;
      TValueDecoder(*e.Obj).Write(Json);
      Pos += prefix + own.size();
      ++FNextEmbedded;
      return true;
    }
    return false;
  }

  TSlot Probe(std::size_t Pos) {
    std::vector<std::uint8_t> planted = FBytes;
    planted[Pos] = 0xFF;  // no tag has this value
    std::unique_ptr<TPersistent> fresh = FObj.ClassType().Create(nullptr);
    auto* obj = dynamic_cast<TMyPersistent*>(fresh.get());
    if (!obj) throw std::runtime_error("not a saved object");
    try {
      TReader reader(planted);
      obj->ReadData(reader);
    } catch (const std::exception&) {
      return TSlot::Tagged;
    }
    const std::vector<std::uint8_t> again = SavedValues(*obj);
    return Pos < again.size() && again[Pos] == vaFalse ? TSlot::Boolean : TSlot::Raw;
  }

  TMyPersistent& FObj;
  std::vector<std::uint8_t> FBytes;
  std::vector<TEmbedded> FEmbedded;
  std::size_t FNextEmbedded = 0;
};

// ---- info

// The version string stored in a drawing file, read from the front of its
// image (the document keeps only the version it writes). Empty when the
// image does not start as a drawing does.
std::string StoredCodeVersion(const std::string& FileName) {
  try {
    TFileStream file(FileName, TFileStream::TMode::OpenRead);
    const TByteBuffer image = InflateStream(file);
    const std::span<const std::uint8_t> bytes = image.Span();
    if (bytes.size() < 3 || bytes[0] != 0xFF || bytes[1] != 10 || bytes[2] != 0) return {};
    std::size_t pos = 3;
    while (pos < bytes.size() && bytes[pos] != 0) ++pos;
    pos += 1 + 6;
    if (pos > bytes.size()) return {};
    TReader r(bytes.subspan(pos));
    char signature[4];
    r.Read(signature, 4);
    if (std::memcmp(signature, "TPF0", 4) != 0) return {};
    r.ReadStr();  // class name
    r.ReadStr();  // component name
    if (r.ReadStr() != "TxProject.TxSpaces.P" || r.ReadInteger() <= 0) return {};
    r.ReadRawString();  // the documents' class
    r.ReadFloat();
    for (int i = 0; i < 6; ++i) r.ReadInteger();
    r.ReadFloat();
    r.ReadBoolean();
    return r.ReadString();
  } catch (const std::exception&) {
    return {};
  }
}

void WriteFigureBase(TReader& R, TJsonWriter& Json) {
  auto rawByte = [&R] {
    std::uint8_t b = 0;
    R.Read(&b, 1);
    return b;
  };
  Json.FieldString("caption", R.ReadString());
  Json.FieldFloat("scale", R.ReadFloat());
  Json.FieldFloat("angle", R.ReadFloat());
  Json.FieldString("name", R.ReadString());
  Json.FieldInteger("penColor", R.ReadInteger());
  Json.FieldInteger("penMode", rawByte());
  Json.FieldInteger("penStyle", rawByte());
  Json.FieldInteger("penWidth", R.ReadInteger());
  Json.FieldInteger("brushColor", R.ReadInteger());
  Json.FieldInteger("brushStyle", rawByte());
}

// The values a drawing document saves, named, and its layers with their figures.
void WriteDocument(TFiguresDoc& Doc, const std::string& FileVersion, TJsonWriter& Json) {
  TTxFigureSet& root = *Doc.FFigures;
  const std::vector<std::uint8_t> bytes = SavedValues(Doc);
  TReader r(bytes);
  Json.BeginObject();
  Json.FieldString("class", Doc.ClassName());
  Json.FieldFloat("scale", r.ReadFloat());
  Json.FieldInteger("orientation", r.ReadInteger());
  Json.FieldInteger("layout", r.ReadInteger());
  Json.FieldInteger("pageLeftOff", r.ReadInteger());
  Json.FieldInteger("pageUpOff", r.ReadInteger());
  Json.FieldInteger("pageRightOff", r.ReadInteger());
  Json.FieldInteger("pageDownOff", r.ReadInteger());
  Json.FieldFloat("printScale", r.ReadFloat());
  Json.FieldBoolean("printFrame", r.ReadBoolean());
  const std::string written = r.ReadString();
  Json.FieldString("version", FileVersion.empty() ? written : FileVersion);
  Json.FieldInteger("horzPosition", r.ReadInteger());
  Json.FieldInteger("vertPosition", r.ReadInteger());

  Json.Key("drawing");
  Json.BeginObject();
  Json.FieldString("class", root.ClassName());
  WriteFigureBase(r, Json);
  const bool hasFill = r.ReadBoolean();
  Json.Key("fillItem");
  if (hasFill && root.FFillItem) {
    TValueDecoder(*root.FFillItem).Write(Json);
    const std::size_t skip = SavedValues(*root.FFillItem).size();
    std::vector<std::uint8_t> ignored(skip);
    r.Read(ignored.data(), skip);
  } else {
    Json.Boolean(false);
  }
  Json.FieldBoolean("showGrid", r.ReadBoolean());
  Json.FieldFloat("gridWidth", r.ReadFloat());
  Json.FieldFloat("gridHeight", r.ReadFloat());
  Json.FieldInteger("backColor", r.ReadInteger());
  Json.FieldInteger("gridPenColor", r.ReadInteger());
  std::uint8_t gridStyle = 0;
  r.Read(&gridStyle, 1);
  Json.FieldInteger("gridPenStyle", gridStyle);
  Json.FieldFloat("absX", r.ReadFloat());
  Json.FieldFloat("absY", r.ReadFloat());
  Json.FieldFloat("width", r.ReadFloat());
  Json.FieldFloat("height", r.ReadFloat());
  Json.FieldFloat("ydX", r.ReadFloat());
  Json.FieldFloat("ydY", r.ReadFloat());
  // The layer lists come next; they are listed below from the objects, and
  // the page alignment that follows them is taken from the root.
  Json.FieldInteger("horzPageAlign", root.FHorzPageAlign);
  Json.FieldInteger("vertPageAlign", root.FVertPageAlign);
  Json.EndObject();

  Json.Key("layers");
  Json.BeginArray();
  for (const TLayer& layer : root.FLayers) {
    Json.BeginObject();
    Json.FieldString("name", LayerName(layer.Entry));
    int flag = 0;
    Json.Key("flag");
    if (TryLayerFlag(layer.Entry, flag))
      Json.Integer(flag);
    else
      Json.String(layer.Entry.substr(LayerName(layer.Entry).size() + 1));
    Json.FieldInteger("figureCount", layer.List->Count());
    Json.Key("figures");
    Json.BeginArray();
    for (int i = 0; i < layer.List->Count(); ++i) TValueDecoder(*layer.List->Items(i)).Write(Json);
    Json.EndArray();
    Json.EndObject();
  }
  Json.EndArray();
  Json.EndObject();
}

std::string LowerExtension(const std::string& FileName);

// A drawing file or a DXF file (by its extension) into File. A DXF file read
// only in part is refused, as a damaged drawing file is.
TDrawingReadResult ReadInput(const std::string& FileName, TTxProjectFile& File, TDxfReadResult* Dxf = nullptr) {
  if (LowerExtension(FileName) != ".dxf") return ReadDrawingFile(FileName, File);
  TDrawingReadResult out;
  std::error_code ec;
  if (!fs::is_regular_file(FileName, ec)) {
    out.Ok = false;
    out.Error = "no such file";
    return out;
  }
  auto* doc = static_cast<TFiguresDoc*>(File.FTxProject->FTxSpaces->AddObject());
  const TDxfReadResult r = ReadFromDxfFile(*doc->FFigures, FileName);
  out.Ok = r.Complete;
  out.Error = r.Error;
  if (Dxf) *Dxf = r;
  return out;
}

int Info(const std::string& FileName, std::ostream& Out, std::ostream& Err) {
  TTxProjectFile file;
  TDxfReadResult dxf;
  const bool isDxf = LowerExtension(FileName) == ".dxf";
  const TDrawingReadResult read = ReadInput(FileName, file, &dxf);
  if (!read.Ok) {
    Err << "plandeck: cannot read " << FileName << ": " << read.Error << '\n';
    return kExitFailed;
  }
  TJsonWriter json;
  try {
    json.BeginObject();
    json.FieldString("file", FileName);
    TTxProject& project = *file.FTxProject;
    json.Key("project");
    json.BeginObject();
    json.FieldString("caption", project.FCaption);
    json.FieldString("description", project.FDescription);
    json.EndObject();
    const std::string version = isDxf ? std::string(CodeVersion) : StoredCodeVersion(FileName);
    json.Key("documents");
    json.BeginArray();
    TTxCollectTxSpace& spaces = *project.FTxSpaces;
    for (int i = 0; i < spaces.Count(); ++i) WriteDocument(*spaces.Docs(i), version, json);
    json.EndArray();
    if (isDxf) {
      // What the DXF file held that made no figure.
      json.Key("dxf");
      json.BeginObject();
      json.FieldString("encoding", dxf.Encoding);
      json.FieldInteger("figures", static_cast<long long>(dxf.Figures));
      json.Key("skipped");
      json.BeginObject();
      for (const auto& [name, n] : dxf.Skipped) json.FieldInteger(name, n);
      json.EndObject();
      json.FieldInteger("block_cycles", dxf.BlockCycles);
      json.FieldInteger("missing_blocks", dxf.MissingBlocks);
      json.EndObject();
    }
    json.EndObject();
  } catch (const std::exception& e) {
    Err << "plandeck: cannot describe " << FileName << ": " << e.what() << '\n';
    return kExitFailed;
  }
  Out << json.Text() << '\n';
  Out.flush();
  return Out ? kExitOk : kExitFailed;
}

// ---- convert

std::string LowerExtension(const std::string& FileName) {
  std::string ext = fs::path(FileName).extension().string();
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return ext;
}

// Picture export needs a widget; batch runs get an offscreen application of
// their own unless the program already made one. Without a display and
// without a chosen platform, Qt is pointed at "offscreen" first.
class TBatchApplication {
public:
  TBatchApplication() {
    if (QCoreApplication::instance()) return;
    const bool displayless = std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr;
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && displayless) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    FApp = std::make_unique<QApplication>(FArgc, FArgv);
  }
  // A core application without widgets cannot host the view.
  bool Usable() const { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

private:
  int FArgc = 1;
  char FName[9] = "plandeck";
  char* FArgv[2] = {FName, nullptr};
  std::unique_ptr<QApplication> FApp;
};

enum class TPictureKind { Bmp, Jpeg, Wmf, Emf, Png, Svg, Pdf };

// Draws the page into Temp, whose name already ends as the exporter wants it.
void ExportPicture(TFiguresDoc& Doc, TPictureKind Kind, const std::string& Temp) {
  TTxFigureSet& root = *Doc.FFigures;
  TDrawView view;
  view.SetDocument(&Doc);
  root.FViewState = vsDraw;
  const double side = std::max(root.GetWidth(), root.GetHeight());
  root.SetScale(side > kMaxPictureSide ? kMaxPictureSide / side : 1.0);
  switch (Kind) {
    case TPictureKind::Bmp: view.SaveAsBMP(Temp); break;
    case TPictureKind::Jpeg: view.SaveAsJPEG(Temp); break;
    case TPictureKind::Wmf: view.SaveAsWMF(Temp, 1); break;
    case TPictureKind::Emf: view.SaveAsWMF(Temp, 2); break;
    case TPictureKind::Png: SavePageAsPNG(view, Temp); break;
    case TPictureKind::Svg: SavePageAsSVG(view, Temp); break;
    case TPictureKind::Pdf: break;
  }
  view.SetDocument(nullptr);
}

// A name beside Target for the picture being made, ending in Ext.
std::string TemporaryBeside(const std::string& Target, const char* Ext) {
  const fs::path target(Target);
  std::string name = ".plandeck-";
  name += std::to_string(::getpid());
  name += '-';
  name += target.filename().string();
  name += Ext;
  return (target.parent_path() / name).string();
}

int Convert(const std::string& In, const std::string& OutName, std::ostream& Err) {
  const std::string ext = LowerExtension(OutName);
  std::optional<TPictureKind> picture;
  if (ext == ".bmp") picture = TPictureKind::Bmp;
  else if (ext == ".jpg" || ext == ".jpeg") picture = TPictureKind::Jpeg;
  else if (ext == ".wmf") picture = TPictureKind::Wmf;
  else if (ext == ".emf") picture = TPictureKind::Emf;
  else if (ext == ".png") picture = TPictureKind::Png;
  else if (ext == ".svg") picture = TPictureKind::Svg;
  else if (ext == ".pdf") picture = TPictureKind::Pdf;
  else if (ext != ".gck" && ext != ".dxf") {
    Err << "plandeck: cannot tell what to write from the name " << OutName
        << ": use .gck, .dxf, .bmp, .jpg, .jpeg, .png, .svg, .wmf, .emf or .pdf\n";
    return kExitUsage;
  }

  TTxProjectFile file;
  const TDrawingReadResult read = ReadInput(In, file);
  if (!read.Ok) {
    Err << "plandeck: cannot read " << In << ": " << read.Error << '\n';
    return kExitFailed;
  }

  if (!picture) {
    // Texts are measured for DXF as for painting: fonts need the application.
    std::optional<TBatchApplication> fonts;
    if (ext == ".dxf") fonts.emplace();
    try {
      // Both replace OutName only once it is complete.
      if (ext == ".dxf") SaveToDxfFile(*file.FTxProject->FTxSpaces->Docs(0)->FFigures, OutName);
      else WriteDrawingFile(OutName, file);
    } catch (const std::exception& e) {
      Err << "plandeck: cannot write " << OutName << ": " << e.what() << '\n';
      return kExitFailed;
    }
    return kExitOk;
  }

  TBatchApplication app;
  if (!app.Usable()) {
    Err << "plandeck: cannot write " << OutName << ": pictures need a widget application\n";
    return kExitFailed;
  }
  // The exporters write straight into the file they are given and add their
  // own extension to other names; they get a temporary file in the target's
  // folder, which replaces the target only once it is complete.
  static const char* const kExt[] = {".BMP", ".JPG", ".WMF", ".EMF", ".PNG", ".SVG", ".PDF"};
  const std::string temp = TemporaryBeside(OutName, kExt[static_cast<int>(*picture)]);
  try {
    TFiguresDoc& doc = *file.FTxProject->FTxSpaces->Docs(0);
    std::string error;
    if (*picture != TPictureKind::Pdf) ExportPicture(doc, *picture, temp);
    else if (PrintDocumentToPdf(doc, temp, error) == 0) throw std::runtime_error(error);
    std::error_code ec;
    if (!fs::is_regular_file(temp, ec) || fs::file_size(temp, ec) == 0 || ec)
      throw std::runtime_error("the picture was not written");
    fs::rename(temp, OutName);
  } catch (const std::exception& e) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    Err << "plandeck: cannot write " << OutName << ": " << e.what() << '\n';
    return kExitFailed;
  }
  return kExitOk;
}

bool IsHelp(std::string_view Arg) { return Arg == "--help" || Arg == "-h"; }
bool IsCommand(std::string_view Arg) { return Arg == "info" || Arg == "convert"; }

}  // namespace

int RunCommandLine(int argc, char** argv, std::ostream& Out, std::ostream& Err) {
  if (argc < 2) return -1;
  const std::string command = argv[1];
  if (argc == 2 && !IsHelp(command) && !IsCommand(command)) return -1;  // a drawing to open
  if (IsHelp(command)) {
    Out << kUsage;
    return kExitOk;
  }
  RegisterPlandeckClasses();
  if (command == "info") {
    if (argc != 3) {
      Err << "plandeck: info takes one drawing file\n\n" << kUsage;
      return kExitUsage;
    }
    return Info(argv[2], Out, Err);
  }
  if (command == "convert") {
    if (argc != 4) {
      Err << "plandeck: convert takes an input drawing and an output file\n\n" << kUsage;
      return kExitUsage;
    }
    return Convert(argv[2], argv[3], Err);
  }
  Err << "plandeck: unknown command " << command << "\n\n" << kUsage;
  return kExitUsage;
}

int RunCommandLine(int argc, char** argv) { return RunCommandLine(argc, argv, std::cout, std::cerr); }
