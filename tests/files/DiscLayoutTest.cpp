// A disc's layout: file kinds, parts, twins and folders, on disc roots, in any letter case and
// with paths as each system writes them.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "core/Log.h"
#include "files/DiscLayout.h"
#include "tests/support/Recorders.h"
#include "tests/support/TempDir.h"

namespace {

TEST(DiscLayout, FileKindsTitleSetsAndPartsFromNamesInAnyCase) {
  const std::vector<std::tuple<std::string, DiscFileKind, int, int>> cases = {
      {"/d/VTS_01_1.VOB", DiscFileKind::kTitleVob, 1, 1},
      {"vts_12_9.vob", DiscFileKind::kTitleVob, 12, 9},
      {"/d/VTS_01_0.VOB", DiscFileKind::kMenuVob, 1, 0},
      {"/d/Video_TS.vob", DiscFileKind::kMenuVob, 0, 0},
      {"/d/VTS_03_0.IFO", DiscFileKind::kIfo, 3, 0},
      {"/d/video_ts.bup", DiscFileKind::kBackup, 0, 0},
      {"/d/VTS_03_1.IFO", DiscFileKind::kOther, 0, 0},
      {"/d/VTS_00_1.VOB", DiscFileKind::kOther, 0, 0},
      {"/d/VTS_0A_1.VOB", DiscFileKind::kOther, 0, 0},
      {"/d/VTS_01_1.VOB.bak", DiscFileKind::kOther, 0, 0},
  };
  for (const auto& [path, kind, titleSet, part] : cases) {
    const DiscFile file = ClassifyDiscFile(path);
    EXPECT_EQ(file.kind, kind) << path;
    EXPECT_EQ(file.titleSet, titleSet) << path;
    EXPECT_EQ(file.part, part) << path;
  }
}

TEST(IsNextVobPart, SameTitleSetNextPartSameFolderAnyCase) {
  const std::vector<std::tuple<std::string, std::string, bool>> cases = {
      {"/d/VTS_01_1.VOB", "/d/VTS_01_2.VOB", true},
      {"/d/vts_01_1.vob", "/d/VTS_01_2.Vob", true},
      {"VTS_07_8.VOB", "VTS_07_9.VOB", true},
      {"/d/VTS_01_0.VOB", "/d/VTS_01_1.VOB", false},  // the menus do not continue into titles
      {"/d/VTS_01_1.VOB", "/d/VTS_01_3.VOB", false},
      {"/d/VTS_01_2.VOB", "/d/VTS_01_1.VOB", false},
      {"/d/VTS_01_1.VOB", "/d/VTS_02_2.VOB", false},
      {"/d/VTS_01_1.VOB", "/e/VTS_01_2.VOB", false},
      {"/d/VTS_01_1.VOB", "/d/VTS_01_2.VOB.bak", false},
      {"/d/XTS_01_1.VOB", "/d/XTS_01_2.VOB", false},
      {"/d/VTS_0A_1.VOB", "/d/VTS_0A_2.VOB", false},
#ifdef _WIN32
      {"C:\\DVD\\VIDEO_TS\\VTS_01_1.VOB", "C:\\DVD\\VIDEO_TS\\VTS_01_2.VOB", true},
      {"VIDEO_TS\\VTS_01_1.VOB", "VIDEO_TS\\VTS_02_2.VOB", false},
#endif
  };
  for (const auto& [a, b, next] : cases) EXPECT_EQ(IsNextVobPart(a, b), next) << a << " " << b;
}


// A disc's root with its VIDEO_TS folder in lower case, under a folder with non-ASCII letters:
// every listing finds the files, sorted without case, title sets grouped and menus left out;
// the twin is found in any case; parts given out of order are put in order with a warning.
TEST(DiscLayout, FoldersOfADiscRootListTitleSetsPartsAndTwins) {
  TempDir dir;
  const std::string root = dir.File("Диск Ä");
  const std::string videoTs = root + "/video_ts";
  ASSERT_TRUE(std::filesystem::create_directories(FileSystemPath(videoTs)));
  for (const char* name : {"vts_02_1.vob", "VTS_01_2.VOB", "VTS_01_1.VOB", "VTS_01_0.VOB", "VIDEO_TS.VOB",
                           "vts_01_0.ifo", "VTS_01_0.BUP", "VTS_02_0.IFO", "notes.txt"}) {
    WriteFileBytes(videoTs + "/" + name, {1});
  }
  EXPECT_EQ(DiscFolder(root), videoTs);
  EXPECT_EQ(DiscFolder(videoTs), videoTs);
  const std::vector<std::string> vobs = {videoTs + "/VIDEO_TS.VOB", videoTs + "/VTS_01_0.VOB",
                                         videoTs + "/VTS_01_1.VOB", videoTs + "/VTS_01_2.VOB",
                                         videoTs + "/vts_02_1.vob"};
  EXPECT_EQ(FolderFiles(root, ".VOB"), vobs);
  EXPECT_EQ(FolderFiles(videoTs, ".ifo"), (std::vector<std::string>{videoTs + "/vts_01_0.ifo", videoTs + "/VTS_02_0.IFO"}));
  EXPECT_EQ(TitleVobGroups(root), (std::vector<std::vector<std::string>>{{vobs[2], vobs[3]}, {vobs[4]}}));
  EXPECT_TRUE(FolderFiles(dir.File("none"), ".vob").empty());

  EXPECT_EQ(BackupTwinPath(videoTs + "/vts_01_0.ifo"), videoTs + "/VTS_01_0.BUP");
  EXPECT_EQ(BackupTwinPath(videoTs + "/VTS_02_0.IFO"), "");
  EXPECT_EQ(BackupTwinPath(videoTs + "/notes.txt"), "");

  LogRecorder log(kLogWarning);
  ScopedLogTarget scoped(&log);
  EXPECT_EQ(OrderVobParts({vobs[3], vobs[0], vobs[2]}), (std::vector<std::string>{vobs[2], vobs[0], vobs[3]}));
  EXPECT_EQ(log.LineList(), std::vector<std::string>{"WARNING - VOB parts given out of order are taken in part order [" + vobs[2] + "]"});
  log.Clear();
  EXPECT_EQ(OrderVobParts(vobs), vobs);
  EXPECT_TRUE(log.LineList().empty());
}

}  // namespace
