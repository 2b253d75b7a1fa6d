// SPDX-License-Identifier: GPL-3.0-or-later
// The VOB tab's Recolour command.
#include "app/VobRecolourCommand.h"

#include "core/Log.h"
#include "files/VobRecolour.h"

namespace {

QString Question(const RecolourRequest& request, const std::vector<std::string>& files) {
  QString text = request.stream < 0
                     ? QString("Recolour the subtitles of every stream")
                     : QString("Recolour the subtitles of stream %1").arg(request.stream);
  text += request.folder.empty()
              ? QString(" in place, in these files?\n")
              : QString(" into copies in [%1] of these files?\n")
                    .arg(QString::fromStdString(request.folder));
  for (const std::string& file : files) text += "\n" + QString::fromStdString(file);
  return text;
}

}  // namespace

RecolourOutcome RunVobRecolour(QWidget* parent, DiscDialogs& dialogs,
                               const std::vector<std::string>& files,
                               const std::array<VobStreamUsage, kSubpictureStreams>& streams) {
  if (files.empty()) return RecolourOutcome::kNone;
  RecolourRequest request;
  for (int s = 0; s < kSubpictureStreams; ++s) {
    if (streams[static_cast<std::size_t>(s)].subtitles > 0) request.streams.push_back(s);
  }
  if (request.streams.size() == 1) request.stream = request.streams.front();
  if (!dialogs.RunRecolourDialog(parent, request)) return RecolourOutcome::kNone;
  if (!dialogs.Confirm(parent, "Recolour VOB subtitles", Question(request, files))) {
    return RecolourOutcome::kNone;
  }
  std::vector<VobFilePlan> plans;
  if (!RecolourVobFiles(request.map, request.stream, files, request.folder, plans)) {
    LogMessage(kLogError, "ERROR - VOB files not recoloured, every file left as it was");
    return RecolourOutcome::kNone;
  }
  const std::vector<std::string> written =
      request.folder.empty() ? files : RecolourTargets(files, request.folder);
  for (std::size_t i = 0; i < plans.size() && i < written.size(); ++i) {
    LogMessage(kLogInfo, "Recoloured %d subtitles in [%s]", plans[i].remapped, written[i].c_str());
  }
  return request.folder.empty() ? RecolourOutcome::kInPlace : RecolourOutcome::kCopies;
}
