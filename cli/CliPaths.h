// SPDX-License-Identifier: GPL-3.0-or-later
// velmoran-cli's paths: folders given as operands are read through the disc layout.
#pragma once

#include "files/DiscLayout.h"
