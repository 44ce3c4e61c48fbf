#pragma once
// The foundation shows no windows: user-facing errors go through a hook that
// the application wires to a message box. Without a hook they go to stderr.

#include <functional>
#include <string>

using TErrorMessageHook = std::function<void(const std::string& text)>;

// Installs `hook` and returns the previous one, so callers can restore it.
TErrorMessageHook SetErrorMessageHook(TErrorMessageHook hook);
void ShowErrorMessage(const std::string& text);
