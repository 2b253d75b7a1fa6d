// velmoran-cli vob: not built yet.
#include "cli/Commands.h"

int RunVobCommand(const Args&) { throw UsageError("'vob' is not available in this build"); }
