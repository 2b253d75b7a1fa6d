// SPDX-License-Identifier: GPL-3.0-or-later
// A disc's layout on a disc's root: folders listed in any letter case and script, title sets
// grouped, menus apart.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/DiscLayout.h"
#include "tests/support/TempDir.h"

namespace {

TEST(DiscLayout, ADiscRootListsTitleSetsAndPartsInAnyCase) {
  TempDir dir;
  const std::string root = dir.File("Диск Ä");
  const std::string ts = root + "/video_ts";
  ASSERT_TRUE(std::filesystem::create_directories(FileSystemPath(ts)));
  for (const char* name : {"vts_02_1.vob", "VTS_01_2.VOB", "VTS_01_1.VOB", "VTS_01_0.VOB", "VIDEO_TS.VOB",
                           "vts_01_0.ifo", "VTS_02_0.IFO", "notes.txt"}) {
    WriteFileBytes(ts + "/" + name, {1});
  }
  const std::vector<std::string> vobs = {ts + "/VIDEO_TS.VOB", ts + "/VTS_01_0.VOB", ts + "/VTS_01_1.VOB",
                                         ts + "/VTS_01_2.VOB", ts + "/vts_02_1.vob"};
  EXPECT_EQ(FolderFiles(root, ".VOB"), vobs);
  EXPECT_EQ(TitleVobGroups(root), (std::vector<std::vector<std::string>>{{vobs[2], vobs[3]}, {vobs[4]}}));
}

}  // namespace
