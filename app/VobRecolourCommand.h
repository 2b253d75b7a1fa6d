// SPDX-License-Identifier: GPL-3.0-or-later
// The VOB tab's Recolour command: the dialog, the confirmation naming the files, and the run.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/DiscDialogs.h"
#include "files/Filevob.h"

class QWidget;

enum class RecolourOutcome { kNone, kInPlace, kCopies };

// Asks for the stream, the target and the entry table (offering the streams with subtitles),
// asks to confirm with the files named, then recolours them (files/VobRecolour) under the
// progress window. kNone when a dialog was cancelled or the run failed or was cancelled, which
// leaves every file as it was; each file recoloured gets a log line.
RecolourOutcome RunVobRecolour(QWidget* parent, DiscDialogs& dialogs,
                               const std::vector<std::string>& files,
                               const std::array<VobStreamUsage, kSubpictureStreams>& streams);
