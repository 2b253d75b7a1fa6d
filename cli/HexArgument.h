// Palette hex texts given on the command line (declared with the other values).
#pragma once

#include "cli/CliNumbers.h"
