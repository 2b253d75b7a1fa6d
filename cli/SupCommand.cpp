// velmoran-cli sup: not built yet.
#include "cli/Commands.h"

int RunSupCommand(const Args&) { throw UsageError("'sup' is not available in this build"); }
