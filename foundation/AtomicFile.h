#pragma once
// Saving never truncates the user's file first: the new content goes to a
// temporary file in the same folder, is flushed to the disk, and only then
// replaces the target in one rename. On any failure the old file is untouched
// and the temporary file is removed. A temporary file left by a save that
// was killed goes with the next save of the same file that succeeds.

#include <functional>
#include <string>

class TStream;

void SaveFileAtomically(const std::string& FileName, const std::function<void(TStream&)>& Produce);
