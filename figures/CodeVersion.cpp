#include "figures/CodeVersion.h"

const char* const CodeVersion = "3.1";
double OldCodeVersion = CurrentCodeVersion;
