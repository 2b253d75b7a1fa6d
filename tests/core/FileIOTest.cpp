// Whole-file reads and saves that never damage the target.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "core/FileIO.h"
#include "tests/support/TempDir.h"

namespace {

class FileIOTest : public ::testing::Test {
 protected:
  void TearDown() override { SetFileFaultHook(nullptr); }
  TempDir dir;
};

TEST_F(FileIOTest, ReadsWholeFileAndReportsEachFailure) {
  WriteFileBytes(dir.File("a"), {1, 2, 3});
  std::vector<std::uint8_t> bytes = {9};
  EXPECT_EQ(ReadWholeFile(dir.File("a"), bytes, 100), ReadResult::kOk);
  EXPECT_EQ(bytes, (Bytes{1, 2, 3}));
  EXPECT_EQ(ReadWholeFile(dir.File("missing"), bytes, 100), ReadResult::kOpenFailed);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(ReadWholeFile(dir.File("a"), bytes, 2), ReadResult::kTooLarge);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(ReadWholeFile(dir.Path(), bytes, 100), ReadResult::kOpenFailed) << "a folder";
  WriteFileBytes(dir.File("empty"), {});
  EXPECT_EQ(ReadWholeFile(dir.File("empty"), bytes, 100), ReadResult::kOk);
  EXPECT_TRUE(bytes.empty());
}

TEST_F(FileIOTest, SaveReplacesTheTargetAndLeavesNoTemporaryFile) {
  WriteFileBytes(dir.File("t"), {7, 7});
  ::chmod(dir.File("t").c_str(), 0640);
  const Bytes data = {1, 2, 3, 4};
  EXPECT_EQ(SaveFileAtomically(dir.File("t"), data), SaveResult::kOk);
  EXPECT_EQ(ReadFileBytes(dir.File("t")), data);
  EXPECT_EQ(ListFolder(dir.Path()), std::vector<std::string>{"t"});
  struct stat info {};
  ASSERT_EQ(::stat(dir.File("t").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u) << "permissions of the replaced file are kept";

  EXPECT_EQ(SaveFileAtomically(dir.File("new"), Bytes{}), SaveResult::kOk);
  EXPECT_TRUE(ReadFileBytes(dir.File("new")).empty());
}

TEST_F(FileIOTest, EveryFailingStepLeavesTheTargetAsItWas) {
  const Bytes before = {5, 6, 7};
  const struct {
    FileStep step;
    SaveResult result;
  } cases[] = {{FileStep::kCreate, SaveResult::kCreateFailed},
               {FileStep::kWrite, SaveResult::kWriteFailed},
               {FileStep::kFlush, SaveResult::kWriteFailed},
               {FileStep::kRename, SaveResult::kWriteFailed}};
  for (const auto& c : cases) {
    WriteFileBytes(dir.File("t"), before);
    SetFileFaultHook([&](FileStep step) { return step == c.step; });
    EXPECT_EQ(SaveFileAtomically(dir.File("t"), Bytes(100000, 1)), c.result);
    EXPECT_EQ(ReadFileBytes(dir.File("t")), before);
    EXPECT_EQ(ListFolder(dir.Path()), std::vector<std::string>{"t"}) << "temporary file removed";
  }
}

TEST_F(FileIOTest, AnAbandonedSaveLeavesTargetAndFolderAsTheyWere) {
  WriteFileBytes(dir.File("t"), {1, 2});
  {
    AtomicFile file(dir.File("t"));
    ASSERT_TRUE(file.Create());
    ASSERT_TRUE(file.Write(Bytes{9, 9, 9}));
  }
  EXPECT_EQ(ReadFileBytes(dir.File("t")), (Bytes{1, 2}));
  EXPECT_EQ(ListFolder(dir.Path()), std::vector<std::string>{"t"});
}

TEST_F(FileIOTest, SaveIntoAMissingFolderOrOverAFolderFailsAtCreation) {
  EXPECT_EQ(SaveFileAtomically(dir.File("no/such/file"), Bytes{1}), SaveResult::kCreateFailed);
  ::mkdir(dir.File("sub").c_str(), 0755);
  EXPECT_EQ(SaveFileAtomically(dir.File("sub"), Bytes{1}), SaveResult::kCreateFailed);
}

TEST_F(FileIOTest, SaveThroughASymbolicLinkReplacesTheFileItNames) {
  WriteFileBytes(dir.File("real"), {1});
  ASSERT_EQ(::symlink(dir.File("real").c_str(), dir.File("link").c_str()), 0);
  EXPECT_EQ(SaveFileAtomically(dir.File("link"), Bytes{2, 2}), SaveResult::kOk);
  EXPECT_EQ(ReadFileBytes(dir.File("real")), (Bytes{2, 2}));
  struct stat info {};
  ASSERT_EQ(::lstat(dir.File("link").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
}

}  // namespace
