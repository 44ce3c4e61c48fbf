// One widget application for the whole run, the test figures bound to the
// tools, and the tool list installed as the program does at start-up.

#include "ToolTestSupport.h"

#include "../support/QtTestEnvironment.h"
#include "tools/ToolList.h"

namespace {
[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new TQtTestEnvironment(TQtTestEnvironment::TKind::Widgets, [] {
      RegisterFigureClasses();
      RegisterToolTestClasses();
      RegisterTools();
    }));
}  // namespace
