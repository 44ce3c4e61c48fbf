// One widget application for the whole run: fonts, printers and message
// boxes need it. Runs offscreen (the test driver sets QT_QPA_PLATFORM).

#include "../support/QtTestEnvironment.h"

namespace {
[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new TQtTestEnvironment(TQtTestEnvironment::TKind::Widgets));
}  // namespace
