// SPDX-License-Identifier: GPL-3.0-or-later
// The command groups of velmoran-cli; each takes the words after its group name.
#pragma once

#include "cli/CliCommon.h"

int RunSupCommand(const Args& args);
int RunIfoCommand(const Args& args);
int RunVobCommand(const Args& args);
int RunColourCommand(const Args& args);
// sup pictures and vob pictures (PicturesCommand.cpp), and the subtitle list of sup show --json.
int RunSupPictures(const Args& args);
int RunVobPictures(const Args& args);
class CFileSUP;
Json SupSubtitlesJson(const CFileSUP& sup);
// sup to-vobsub and the vobsub group (VobSubCommand.cpp).
int RunSupToVobSub(const Args& args);
int RunVobSubCommand(const Args& args);
