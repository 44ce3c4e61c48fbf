#include "foundation/ErrorReport.h"

#include <cstdio>
#include <utility>

namespace {
TErrorMessageHook& currentHook() {
  static TErrorMessageHook hook;
  return hook;
}
}  // namespace

TErrorMessageHook SetErrorMessageHook(TErrorMessageHook hook) {
  return std::exchange(currentHook(), std::move(hook));
}

void ShowErrorMessage(const std::string& text) {
  if (const auto& hook = currentHook()) {
    hook(text);
  } else {
    std::fprintf(stderr, "%s\n", text.c_str());
  }
}
