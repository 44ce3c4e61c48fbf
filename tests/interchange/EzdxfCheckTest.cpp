// Every kind of DXF the program writes, read back by a second reader: ezdxf
// must load it, audit it clean and find the entities that were written.

#include "interchange/DxfMapping.h"

#include "docview/FiguresDoc.h"
#include "figures/FigureSet.h"
#include "interchange/DxfReader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace {

std::map<std::string, int> Counts(const DXF_Object& Obj) {
  std::map<std::string, int> out;
  for (const auto& l : Obj.layers)
    for (std::size_t i = 0; i < l->entity_names.size(); ++i) out[l->entity_names[i]] += int(l->entity_lists[i].size());
  return out;
}

}  // namespace

TEST(EzdxfCheck, EzdxfReadsEveryWrittenFileCleanWithTheSameEntities) {
  if (std::system("/usr/bin/python3 -c 'import ezdxf' >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "python3-ezdxf is not installed (scripts/setup installs it): the second reader is not run";
  const fs::path dir = fs::temp_directory_path() / ("plandeck-ezdxf-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::string json = "{";
  auto add = [&](TTxFigureSet& Root, const std::string& Name) {
    const std::string path = (dir / Name).string();
    const DXF_Object obj = BuildDxfObject(Root);
    obj.save_to_file(path);
    if (json.size() > 1) json += ",";
    json += "\"" + path + "\": {";
    bool first = true;
    for (const auto& [k, n] : Counts(obj)) {
      json += (first ? "" : ",") + std::string("\"") + k + "\": " + std::to_string(n);
      first = false;
    }
    json += "}";
  };
  // The sample site plan: every family it holds, Chinese layer names.
  RegisterDocumentClasses();
  TTxProjectFile site;
  ASSERT_TRUE(ReadDrawingFile(PLANDECK_SAMPLES "/site.gck", site).Ok);
  add(*site.FTxProject->FTxSpaces->Docs(0)->FFigures, "site.dxf");
  // Files of other programs, read and written again.
  for (const char* name : {"POLI-ALL210_12.DXF", "ASCII_R12.dxf", "issue1106.dxf"}) {
    const std::string in = std::string("/work/shared/dxf-public/") + name;
    if (!fs::exists(in)) continue;
    TTxFigureSet root;
    ASSERT_TRUE(ReadFromDxfFile(root, in).Complete) << name;
    add(root, std::string("again-") + name);
  }
  json += "}";
  const std::string expected = (dir / "expected.json").string();
  std::ofstream(expected) << json;
  const std::string cmd = "/usr/bin/python3 " PLANDECK_TESTS "/interchange/ezdxf_check.py " + expected + " 2>&1";
  FILE* p = ::popen(cmd.c_str(), "r");
  std::string out;
  char buf[512];
  while (p && std::fgets(buf, sizeof buf, p)) out += buf;
  const int rc = p ? ::pclose(p) : -1;
  EXPECT_EQ(rc, 0) << out;
  std::error_code ec;
  if (rc == 0) fs::remove_all(dir, ec);
}
