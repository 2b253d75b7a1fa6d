// velmoran-cli colour: not built yet.
#include "cli/Commands.h"

int RunColourCommand(const Args&) { throw UsageError("'colour' is not available in this build"); }
