// One widget application for the whole run (views are widgets), with the
// classes the clipboard tests read back registered.

#include "DocViewTestSupport.h"

#include "../support/QtTestEnvironment.h"
#include "figures/Blocks.h"

namespace {
[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new TQtTestEnvironment(TQtTestEnvironment::TKind::Widgets, [] {
      RegisterFigureClasses();
      RegisterClass(TTestBox::StaticClass());
    }));
}  // namespace
