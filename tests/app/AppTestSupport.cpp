#include "AppTestSupport.h"

#include "../support/QtTestEnvironment.h"

namespace {
[[maybe_unused]] ::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(
    new TQtTestEnvironment(TQtTestEnvironment::TKind::Widgets, [] { RegisterFigureClasses(); }));
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
