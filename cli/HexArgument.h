// SPDX-License-Identifier: GPL-3.0-or-later
// Palette hex texts given on the command line (declared with the other values).
#pragma once

#include "cli/CliNumbers.h"
