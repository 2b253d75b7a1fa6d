// velmoran-cli ifo: not built yet.
#include "cli/Commands.h"

int RunIfoCommand(const Args&) { throw UsageError("'ifo' is not available in this build"); }
