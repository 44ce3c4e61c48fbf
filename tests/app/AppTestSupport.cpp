#include "AppTestSupport.h"

#include "../support/QtTestEnvironment.h"
#include "app/MainForm.h"

#include <zlib.h>

#include <fstream>
#include <iterator>

namespace {
[[maybe_unused]] ::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(
    new TQtTestEnvironment(TQtTestEnvironment::TKind::Widgets, [] {
      // As the program starts: its names, Qt's Chinese and its icon.
      InitPlandeckApplication();
      RegisterFigureClasses();
    }));
}  // namespace

void DialogTest::SetUp() {
  oldEnv = SysEnvironment;
  SysEnvironment = &env;
  std::string name;
  doc.FFigures->AddLayer(name);
  view = std::make_unique<TDrawView>();
  view->SetDocument(&doc);
  doc.SetModifiedFlag(false);
}

void DialogTest::TearDown() {
  view->SetDocument(nullptr);
  view.reset();
  SysEnvironment = oldEnv;
}

void WriteDamagedCopy(const std::string& From, const std::string& To,
                      const std::function<void(TContentBytes&)>& Damage) {
  std::ifstream in(From, std::ios::binary);
  const TContentBytes packed(std::istreambuf_iterator<char>(in), {});
  TContentBytes content(1 << 20);
  uLongf size = content.size();
  ASSERT_EQ(uncompress(content.data(), &size, packed.data(), packed.size()), Z_OK);
  content.resize(size);
  Damage(content);
  TContentBytes out(compressBound(content.size()));
  uLongf outSize = out.size();
  ASSERT_EQ(compress2(out.data(), &outSize, content.data(), content.size(), 1), Z_OK);
  std::ofstream(To, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(outSize));
}

std::function<void(TContentBytes&)> CutTail(std::size_t N) {
  return [N](TContentBytes& Content) { Content.resize(Content.size() > N ? Content.size() - N : 0); };
}
