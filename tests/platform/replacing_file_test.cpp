#include "platform/replacing_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

#include "common/unicode_text.h"
#include "platform/file_system.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

using testing::ReadFile;
using testing::ScopedTempDir;
using testing::WriteFile;

std::set<std::string> Entries(const ScopedTempDir& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

mode_t ModeOf(const std::string& name) {
  struct stat status {};
  ::stat(name.c_str(), &status);
  return status.st_mode & 0777;
}

mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

TEST(ReplacingFile, NewContentArrivesWholeUnderTheTargetsName) {
  ScopedTempDir dir;
  const std::string target = WriteFile(dir.File("out.lrc"), "old");
  auto file = TReplacingFile::Create(target);
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(std::regex_match(file->TemporaryName(), std::regex(".*/\\.out\\.lrc\\.[A-Za-z0-9]{6}\\.tmp")))
      << file->TemporaryName();
  ASSERT_TRUE(file->Write("new "));
  ASSERT_TRUE(file->Write("content"));
  EXPECT_EQ(ReadFile(target), "old");  // until the commit
  ASSERT_TRUE(file->Commit());
  file.reset();
  EXPECT_EQ(ReadFile(target), "new content");
  EXPECT_EQ(Entries(dir), std::set<std::string>{"out.lrc"});
  EXPECT_EQ(ModeOf(target), 0666 & ~CurrentUmask());

  // A private file under a name of its own, as the answer cache keeps its entries.
  const std::string entry = dir.File("key.ogg");
  ASSERT_TRUE(ReplaceFileContent(entry, "answer", 0600, dir.File(".key.XXXXXX")));
  EXPECT_EQ(ReadFile(entry), "answer");
  EXPECT_EQ(ModeOf(entry), 0600u);
  EXPECT_EQ(Entries(dir), (std::set<std::string>{"key.ogg", "out.lrc"}));
}

TEST(ReplacingFile, FailureLeavesTheOldFileAndNoTemporary) {
  ScopedTempDir dir;
  const std::string target = WriteFile(dir.File("out.srt"), "old");
  {
    testing::ScopedFileSizeLimit limit(10);  // a full disk
    EXPECT_FALSE(ReplaceFileContent(target, std::string(100, 'x')));
  }
  {
    // Given up before the commit.
    const auto file = TReplacingFile::Create(target);
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(file->Write("half"));
  }
  EXPECT_EQ(ReadFile(target), "old");
  EXPECT_EQ(Entries(dir), std::set<std::string>{"out.srt"});
  EXPECT_EQ(TReplacingFile::Create(dir.File("missing/out.srt")), nullptr);
  EXPECT_EQ(TReplacingFile::Create(target, 0666, dir.File("no-random-part")), nullptr);
}

TEST(ReplacingFile, LinkOrFifoAtTheTargetIsReplacedNotFollowed) {
  ScopedTempDir dir;
  const std::string elsewhere = WriteFile(dir.File("elsewhere"), "keep");
  std::filesystem::create_symlink(elsewhere, dir.File("link"));
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
  for (const std::string name : {"link", "fifo"}) {
    ASSERT_TRUE(ReplaceFileContent(dir.File(name), "new")) << name;
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(dir.File(name)))) << name;
    EXPECT_EQ(ReadFile(dir.File(name)), "new");
  }
  EXPECT_EQ(ReadFile(elsewhere), "keep");
}

TEST(ReplacingFile, MoveReplacesTheTarget) {
  ScopedTempDir dir;
  std::u16string from = ToUtf16(WriteFile(dir.File("a"), "new"));
  std::u16string to = ToUtf16(WriteFile(dir.File("b"), "old"));
  ASSERT_TRUE(MoveFileReplacing(from, to));
  EXPECT_FALSE(FileExists(from));
  EXPECT_EQ(ReadFile(NativePath(to)), "new");
  EXPECT_FALSE(MoveFileReplacing(from, to));
  EXPECT_EQ(ReadFile(NativePath(to)), "new");
}

TEST(ReplacingFile, MoveAcrossFileSystemsLeavesNoCopyBehind) {
  // /dev/shm is a tmpfs of its own on most systems.
  ScopedTempDir dir;
  struct stat shm {
  }, temp{};
  if (::stat("/dev/shm", &shm) != 0 || ::stat(dir.Path().c_str(), &temp) != 0 || shm.st_dev == temp.st_dev) {
    GTEST_SKIP() << "no second file system";
  }
  const std::string source = "/dev/shm/sonacli-move-" + std::to_string(::getpid());
  WriteFile(source, "moved");
  const std::u16string to = ToUtf16(WriteFile(dir.File("b.wav"), "old"));
  ASSERT_TRUE(MoveFileReplacing(ToUtf16(source), to));
  EXPECT_FALSE(std::filesystem::exists(source));
  EXPECT_EQ(ReadFile(NativePath(to)), "moved");
  EXPECT_EQ(Entries(dir), std::set<std::string>{"b.wav"});
}

}  // namespace
}  // namespace sonacli
