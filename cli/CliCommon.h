// SPDX-License-Identifier: GPL-3.0-or-later
// Shared pieces of velmoran-cli, one header for them all: the option rule (CliOptions), the log
// on standard error (CliLog), numbers and entry maps (CliNumbers), JSON (CliJson), paths
// (CliPaths), "-o -" and --dry-run (CliOutput) and the command table with its usage texts
// (CliUsage).
#pragma once

#include "cli/CliJson.h"
#include "cli/CliLog.h"
#include "cli/CliNumbers.h"
#include "cli/CliOptions.h"
#include "cli/CliOutput.h"
#include "cli/CliPaths.h"
#include "cli/CliUsage.h"
