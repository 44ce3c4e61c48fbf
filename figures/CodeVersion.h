#pragma once
// The file-format version: what this program writes, and what the file being
// read holds. Figure readers branch on OldCodeVersion for older layouts.

#include <string_view>

// The version string written into every drawing.
extern const char* const CodeVersion;
// The version as a number, which OldCodeVersion returns to after every read.
inline constexpr double CurrentCodeVersion = 3.1;
// The version of the drawing being read; CurrentCodeVersion otherwise.
extern double OldCodeVersion;

// Holds OldCodeVersion at a file's version for the duration of a read and
// puts it back afterwards, also when the read fails.
class TOldCodeVersionGuard {
public:
  explicit TOldCodeVersionGuard(double FileVersion) { OldCodeVersion = FileVersion; }
  ~TOldCodeVersionGuard() { OldCodeVersion = CurrentCodeVersion; }
  TOldCodeVersionGuard(const TOldCodeVersionGuard&) = delete;
  TOldCodeVersionGuard& operator=(const TOldCodeVersionGuard&) = delete;
};
