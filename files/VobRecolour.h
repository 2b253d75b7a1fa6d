// SPDX-License-Identifier: GPL-3.0-or-later
// The VOB tab's recolour: the entry remap of scanned VOB files, in place or into copies.
#pragma once

#include <string>
#include <vector>

#include "core/EntryRemap.h"
#include "files/VobRemap.h"

// Where each file's copy goes: its own name inside `folder`.
std::vector<std::string> RecolourTargets(const std::vector<std::string>& paths,
                                         const std::string& folder);

// Recolours the units of subpicture stream `stream` (0-31; -1 every stream) of `paths`, with
// VobRemap. With `folder` empty the files are changed where they stand (VobRemap::Plan, then
// WriteInPlace). Otherwise the files are copied into a new folder inside `folder`, recoloured
// there in place, and only when every copy is done moved to `folder` under its own name,
// replacing a file of that name; `folder` must not be where a file given lies. Either way a
// failed or cancelled run leaves every file given, and every file in `folder`, as it was, and
// leaves no copy behind (a move that fails at the very end is logged, the copies moved before it
// stay). `plans` receives what was changed, file by file (the given names).
bool RecolourVobFiles(const EntryMap& map, int stream, const std::vector<std::string>& paths,
                      const std::string& folder, std::vector<VobFilePlan>& plans);
