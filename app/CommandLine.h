#pragma once
// The batch command line: "plandeck info FILE.gck", "plandeck convert IN OUT"
// and "plandeck --help". Runs without a window.

#include <iosfwd>

// The exit code of a batch command, or -1 when the arguments are not one
// (no arguments, or a single drawing to open): the editor starts then.
// Exit codes: 0 done, 1 the drawing could not be read or written, 2 the
// command was not understood or asks for an output type we cannot make.
int RunCommandLine(int argc, char** argv);
// The same with the output streams given (tests capture them).
int RunCommandLine(int argc, char** argv, std::ostream& Out, std::ostream& Err);

// Registers every class a drawing file can name and installs the document
// tool list; both the command line and the editor's start-up call it.
void RegisterPlandeckClasses();
