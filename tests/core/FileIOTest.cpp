// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file reads and saves that never damage the target.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifndef _WIN32
#include <sys/xattr.h>
#endif

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>

#include "core/FileIO.h"
#include "core/Platform.h"
#include "tests/support/PosixOnly.h"
#include "tests/support/TempDir.h"

namespace {

class FileIOTest : public ::testing::Test {
 protected:
  void TearDown() override { SetFileFaultHook(nullptr); }
  TempDir dir;
};

TEST_F(FileIOTest, ReadsWholeFileAndReportsEachFailure) {
  SKIP_ON_WINDOWS("reads a pipe through /dev/fd");
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

  // A pipe has no size: it is read to its end, within the same limit.
  for (const std::uint64_t limit : {100, 2}) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::write(ends[1], "abc", 3), 3);
    ::close(ends[1]);
    EXPECT_EQ(ReadWholeFile("/dev/fd/" + std::to_string(ends[0]), bytes, limit),
              limit == 100 ? ReadResult::kOk : ReadResult::kTooLarge);
    EXPECT_EQ(bytes, limit == 100 ? (Bytes{'a', 'b', 'c'}) : Bytes{});
    ::close(ends[0]);
  }
}

// The caller sees each piece as it arrives, the bytes before it as read; after a failed read
// nothing is held.
TEST_F(FileIOTest, ReadsAFileInPiecesShownAsTheyArrive) {
  Bytes file(2 * kReadPieceSize + 100);
  for (std::size_t i = 0; i < file.size(); ++i) file[i] = static_cast<std::uint8_t>(i * 7);
  WriteFileBytes(dir.File("big"), file);
  std::vector<std::size_t> seen;
  std::vector<std::uint8_t> bytes;
  const auto arrived = [&](const std::vector<std::uint8_t>& held, std::size_t count) {
    seen.push_back(count);
    EXPECT_TRUE(count == held.size() && std::equal(held.begin(), held.end(), file.begin()));
  };
  EXPECT_EQ(ReadWholeFile(dir.File("big"), bytes, file.size(), arrived), ReadResult::kOk);
  EXPECT_EQ(bytes, file);
  SetReadFaultOffset(kReadPieceSize + 10);
  EXPECT_EQ(ReadWholeFile(dir.File("big"), bytes, file.size(), arrived), ReadResult::kReadFailed);
  SetReadFaultOffset(-1);
  EXPECT_EQ(seen, (std::vector<std::size_t>{kReadPieceSize, 2 * kReadPieceSize, file.size(),
                                            kReadPieceSize}));
  EXPECT_TRUE(bytes.empty());
}

// Read buffers start on a page, stores of units on a large page, for any size asked for, and
// every byte asked for is theirs.
TEST(AlignedBytesTest, StartOnTheirBoundaryAndHoldEveryByte) {
  for (const std::size_t alignment : {kPageSize, kLargePageSize}) {
    for (const std::size_t size : {std::size_t{1}, 3 * kLargePageSize + 5}) {
      AlignedBytes bytes(size, alignment);
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(bytes.data()) % alignment, 0u) << alignment;
      std::fill_n(bytes.data(), size, std::uint8_t{7});
      EXPECT_EQ(bytes.data()[size - 1], 7);
    }
  }
}

TEST_F(FileIOTest, SaveReplacesTheTargetAndLeavesNoTemporaryFile) {
  SKIP_ON_WINDOWS("checks POSIX permission bits");
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

// What a signal handler does to saves under way (a file and its twin, as an IFO save has them):
// their temporary files go, the targets stay.
TEST_F(FileIOTest, RemovingTemporaryFilesLeavesTheTargets) {
  SKIP_ON_WINDOWS("a file still open can't be removed there");
  WriteFileBytes(dir.File("t"), {1, 2});
  AtomicFile file(dir.File("t")), twin(dir.File("new"));
  ASSERT_TRUE(file.Create() && file.Write(Bytes{9, 9, 9}) && twin.Create());
  RemoveTemporaryFiles();
  EXPECT_EQ(ListFolder(dir.Path()), std::vector<std::string>{"t"});
  EXPECT_EQ(ReadFileBytes(dir.File("t")), (Bytes{1, 2}));
}

TEST_F(FileIOTest, SaveIntoAMissingFolderOrOverAFolderFailsAtCreation) {
  EXPECT_EQ(SaveFileAtomically(dir.File("no/such/file"), Bytes{1}), SaveResult::kCreateFailed);
  ::mkdir(dir.File("sub").c_str(), 0755);
  EXPECT_EQ(SaveFileAtomically(dir.File("sub"), Bytes{1}), SaveResult::kCreateFailed);
}

TEST_F(FileIOTest, SaveThroughASymbolicLinkReplacesTheFileItNames) {
  SKIP_ON_WINDOWS("symbolic links");
  WriteFileBytes(dir.File("real"), {1});
  ASSERT_EQ(::symlink(dir.File("real").c_str(), dir.File("link").c_str()), 0);
  EXPECT_EQ(SaveFileAtomically(dir.File("link"), Bytes{2, 2}), SaveResult::kOk);
  EXPECT_EQ(ReadFileBytes(dir.File("real")), (Bytes{2, 2}));
  struct stat info {};
  ASSERT_EQ(::lstat(dir.File("link").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
}

// The user's rights decide, as for any program that writes the file: what the user may not
// write is never replaced, and what the user may write is saved even where the folder refuses
// a temporary file or the owner could not be kept (then in place).
TEST_F(FileIOTest, SavesFollowTheUsersRights) {
  SKIP_ON_WINDOWS("fork, a second user and folder permissions");
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
  const auto saveAs = [&](const std::string& name) {
    return RunUnprivileged([&] { return static_cast<int>(SaveFileAtomically(dir.File(name), Bytes{9})); });
  };
  const int ok = static_cast<int>(SaveResult::kOk);
  WriteFileBytes(dir.File("readonly"), {1});
  ::chmod(dir.File("readonly").c_str(), 0444);
  EXPECT_EQ(saveAs("readonly"), static_cast<int>(SaveResult::kCreateFailed));
  EXPECT_EQ(ReadFileBytes(dir.File("readonly")), Bytes{1});

  ::mkdir(dir.File("closed").c_str(), 0755);
  WriteFileBytes(dir.File("closed/f"), {1, 2, 3});
  ::chmod(dir.File("closed/f").c_str(), 0666);
  ::chmod(dir.File("closed").c_str(), 0555);
  EXPECT_EQ(saveAs("closed/f"), ok);
  EXPECT_EQ(ReadFileBytes(dir.File("closed/f")), Bytes{9}) << "rewritten in place, cut to size";
  EXPECT_EQ(ListFolder(dir.File("closed")), std::vector<std::string>{"f"});
  ::chmod(dir.File("closed").c_str(), 0755);

  if (::geteuid() != 0) return;  // the rest needs files of two users
  WriteFileBytes(dir.File("roots"), {1});
  ::chmod(dir.File("roots").c_str(), 0666);
  EXPECT_EQ(saveAs("roots"), ok);
  struct stat info {};
  ASSERT_EQ(::stat(dir.File("roots").c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 0u) << "another user's file keeps its owner";
  EXPECT_EQ(ReadFileBytes(dir.File("roots")), Bytes{9});

  // A privileged save replaces another user's file with one that user still owns.
  WriteFileBytes(dir.File("users"), {1});
  ASSERT_EQ(::chown(dir.File("users").c_str(), kUnprivilegedUid, kUnprivilegedUid), 0);
  ::chmod(dir.File("users").c_str(), 0640);
  EXPECT_EQ(SaveFileAtomically(dir.File("users"), Bytes{9}), SaveResult::kOk);
  ASSERT_EQ(::stat(dir.File("users").c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, kUnprivilegedUid);
  EXPECT_EQ(info.st_gid, kUnprivilegedUid);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(FileIOTest, TargetsThatAreNotPlainFilesKeepWhatTheyAre) {
  SKIP_ON_WINDOWS("hard links, /dev/full, /dev/null and FIFOs");
  // Hard links: every name sees the save.
  WriteFileBytes(dir.File("a"), {1, 2, 3, 4});
  ASSERT_EQ(::link(dir.File("a").c_str(), dir.File("b").c_str()), 0);
  EXPECT_EQ(SaveFileAtomically(dir.File("a"), Bytes{7, 8}), SaveResult::kOk);
  EXPECT_EQ(ReadFileBytes(dir.File("b")), (Bytes{7, 8}));

  // Devices and FIFOs take the bytes as they come, and are never replaced by a file.
  EXPECT_EQ(SaveFileAtomically("/dev/full", Bytes{1}), SaveResult::kWriteFailed);
  EXPECT_EQ(SaveFileAtomically("/dev/null", Bytes{1}), SaveResult::kOk);
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);
  ASSERT_EQ(::symlink(dir.File("fifo").c_str(), dir.File("to-fifo").c_str()), 0);
  Bytes received;
  std::thread reader([&] { received = ReadFileBytes(dir.File("fifo")); });
  EXPECT_EQ(SaveFileAtomically(dir.File("to-fifo"), Bytes{5, 6}), SaveResult::kOk);
  reader.join();
  EXPECT_EQ(received, (Bytes{5, 6}));
  struct stat info {};
  ASSERT_EQ(::stat(dir.File("to-fifo").c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  struct stat null {};
  ASSERT_EQ(::stat("/dev/null", &null), 0);
  EXPECT_TRUE(S_ISCHR(null.st_mode));
}

// Every name of a file with several sees the save, on Windows too, where the count of names
// comes from the file's handle.
TEST_F(FileIOTest, AFileWithSeveralNamesIsRewrittenInPlace) {
  WriteFileBytes(dir.File("a"), {1, 2, 3});
  std::error_code error;
  std::filesystem::create_hard_link(FileSystemPath(dir.File("a")), FileSystemPath(dir.File("b")), error);
  if (error) GTEST_SKIP() << "no hard links here: " << error.message();
  EXPECT_EQ(SaveFileAtomically(dir.File("a"), Bytes{7}), SaveResult::kOk);
  EXPECT_EQ(ReadFileBytes(dir.File("b")), Bytes{7});
}

// In place there is no old file to fall back on: a failure is reported, and the file holds the
// new bytes written before it, then the old ones.
TEST_F(FileIOTest, AFailingInPlaceWriteIsReported) {
  SKIP_ON_WINDOWS("in-place writes come from hard links");
  constexpr std::size_t kChunk = std::size_t{1} << 24;  // the largest single write
  const Bytes before(kChunk + 10, 1);
  const Bytes after(kChunk + 5, 2);
  const struct {
    FileStep step;
    int failingCall;
    SaveResult result;
    std::size_t newBytes;
  } cases[] = {{FileStep::kCreate, 1, SaveResult::kCreateFailed, 0},
               {FileStep::kWrite, 1, SaveResult::kWriteFailed, 0},
               {FileStep::kWrite, 2, SaveResult::kWriteFailed, kChunk},
               {FileStep::kFlush, 1, SaveResult::kWriteFailed, after.size()}};
  for (const auto& c : cases) {
    ::unlink(dir.File("other-name").c_str());
    WriteFileBytes(dir.File("t"), before);
    ASSERT_EQ(::link(dir.File("t").c_str(), dir.File("other-name").c_str()), 0);
    int calls = 0;
    SetFileFaultHook([&](FileStep step) { return step == c.step && ++calls == c.failingCall; });
    EXPECT_EQ(SaveFileAtomically(dir.File("t"), after), c.result);
    Bytes expected = before;
    std::fill_n(expected.begin(), c.newBytes, 2);
    EXPECT_TRUE(ReadFileBytes(dir.File("t")) == expected) << "new bytes: " << c.newBytes;
  }
}

#ifndef _WIN32
std::string Attribute(const std::string& path, const char* name) {
  std::string value(256, '\0');
  const ssize_t size = ::getxattr(path.c_str(), name, value.data(), value.size());
  return size < 0 ? "none" : value.substr(0, static_cast<std::size_t>(size));
}

// A file saved as a shell's `>` would keep it: attributes, ACLs, links, names of any length,
// a target that can't be renamed over.
TEST_F(FileIOTest, SavesKeepWhatARedirectionKeeps) {
  const std::string t = dir.File("t");
  const auto inode = [](const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
  };
  WriteFileBytes(t, {1});
  // user::rw- user:65534:rw- group::r-- mask::rw- other::---, as the kernel stores it.
  const std::string acl("\x02\0\0\0" "\x01\0\x06\0\xFF\xFF\xFF\xFF" "\x02\0\x06\0\xFE\xFF\0\0"
                        "\x04\0\x04\0\xFF\xFF\xFF\xFF" "\x10\0\x06\0\xFF\xFF\xFF\xFF" "\x20\0\0\0\xFF\xFF\xFF\xFF", 44);
  if (::setxattr(t.c_str(), "user.note", "kept", 4, 0) != 0 ||
      ::setxattr(t.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0) {
    GTEST_SKIP() << "no user attributes or ACLs on " << dir.Path();
  }
  for (const bool attributesFail : {false, true}) {
    const ino_t before = inode(t);
    SetFileFaultHook([&](FileStep step) { return attributesFail && step == FileStep::kAttributes; });
    EXPECT_EQ(SaveFileAtomically(t, Bytes{2}), SaveResult::kOk);
    EXPECT_EQ(inode(t) == before, attributesFail) << "replaced, or in place when they can't be copied";
    EXPECT_EQ(Attribute(t, "user.note"), "kept");
    EXPECT_EQ(Attribute(t, "system.posix_acl_access"), acl);
    EXPECT_EQ(ReadFileBytes(t), Bytes{2});
  }
  // A new file whose temporary file can't take its permissions is made directly, or not at all.
  SetFileFaultHook([&](FileStep step) { return step == FileStep::kAttributes || step == FileStep::kWrite; });
  EXPECT_EQ(SaveFileAtomically(dir.File("new"), Bytes{3}), SaveResult::kWriteFailed);
  EXPECT_FALSE(FileExists(dir.File("new")));
  SetFileFaultHook([&](FileStep step) { return step == FileStep::kAttributes; });
  EXPECT_EQ(SaveFileAtomically(dir.File("new"), Bytes{3}), SaveResult::kOk);

  // A rename refused with EBUSY (a bind-mounted target): written in place from the whole copy.
  SetFileFaultHook([&](FileStep step) { return step == FileStep::kRename && (errno = EBUSY); });
  const ino_t before = inode(t);
  EXPECT_EQ(SaveFileAtomically(t, Bytes(100, 4)), SaveResult::kOk);
  EXPECT_EQ(inode(t), before);
  EXPECT_EQ(ReadFileBytes(t), Bytes(100, 4));
  SetFileFaultHook(nullptr);

  // A dangling link names the file to make (and stays); a name of 255 bytes leaves room for no
  // suffix.
  ASSERT_EQ(::symlink("made", dir.File("dangling").c_str()), 0);
  EXPECT_EQ(SaveFileAtomically(dir.File("dangling"), Bytes{5}), SaveResult::kOk);
  EXPECT_EQ(ReadFileBytes(dir.File("made")), Bytes{5});
  const std::string longName(249, 'n');
  EXPECT_EQ(SaveFileAtomically(dir.File(longName + "\xC3\xA9\xC3\xA9\xC3\xA9"), Bytes{6}), SaveResult::kOk);
  EXPECT_EQ(ListFolder(dir.Path()),
            (std::vector<std::string>{"dangling", "made", "new", longName + "\xC3\xA9\xC3\xA9\xC3\xA9", "t"}));
}
#endif

}  // namespace
