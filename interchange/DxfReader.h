#pragma once
// DXF_Reader: reads a DXF text file into layers of entities and block
// definitions. Every failure names the line it was found at; nothing is
// allocated from a count the file states before the data bears it out.

#include "foundation/StreamError.h"
#include "interchange/DxfEntities.h"
#include "interchange/DxfText.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Polylines and meshes longer than this stop the read.
inline constexpr int DxfMaxVertices = 8192;

class DXF_Read_Error : public EStreamError {
public:
  DXF_Read_Error(const std::string& What, int Line);
  int Line() const { return FLine; }
  // The message without the line.
  const std::string& Raw() const { return FRaw; }

private:
  std::string FRaw;
  int FLine;
};

class DXF_Reader {
public:
  explicit DXF_Reader(std::string FileName = {});
  ~DXF_Reader();

  // Reads the file; false with error() set when it could not be read
  // completely (what was read before stays in the layers).
  bool read_file();
  bool read_text(std::string_view Text);

  const std::string& error() const { return FError; }
  int error_line() const { return FErrorLine; }
  // The layer of that name (DXF names ignore letter case), made when new.
  DXF_Layer& layer(const std::string& Name);
  DXF_Layer* find_layer(const std::string& Name) const;
  const Block_* block(const std::string& Name) const;
  // How the texts were decoded: "GBK", "UTF-8" or the code page's name.
  std::string encoding() const { return FDecoder.Encoding(); }

  std::string file_name;
  std::vector<std::unique_ptr<DXF_Layer>> layers;
  std::map<std::string, std::unique_ptr<Block_>> blocks;  // by upper-case name
  bool has_extents = false;
  Point3D min_extents, max_extents;
  std::string acadver, codepage;
  // Entities of kinds no figure is made from, by name, with their counts.
  std::map<std::string, int> skipped;
  // Fraction of the file read, now and then.
  std::function<void(double)> progress;

private:
  class TParser;
  std::map<std::string, DXF_Layer*> FLayerIndex;
  DXF_Layer* FLastLayer = nullptr;
  TDxfTextDecoder FDecoder;
  std::string FError;
  int FErrorLine = 0;
};
