#include "platform/file_system.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "common/unicode_text.h"
#include "platform/text_file.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

TEST(FileSystem, NameParts) {
  EXPECT_EQ(FolderPart(u"/a/b.c/d.wav"), u"/a/b.c");
  EXPECT_EQ(FolderPart(u"d.wav"), u"");
  EXPECT_EQ(FileNameOnly(u"/a/b/d.wav"), u"d.wav");
  EXPECT_EQ(ExtensionOf(u"/a/b.c/d"), u"");
  EXPECT_EQ(ExtensionOf(u"x.Srt"), u".Srt");
  EXPECT_EQ(ChangeExtension(u"/a/b.c/d", u".lrc"), u"/a/b.c/d.lrc");
  EXPECT_EQ(ChangeExtension(u"/a/out.wav", u".srt"), u"/a/out.srt");
}

TEST(FileSystem, OnlyFoldersFifosAndDevicesAreOccupiedByNonFiles) {
  testing::ScopedTempDir dir;
  const std::string file = testing::WriteFile(dir.File("file"), "x");
  std::filesystem::create_symlink(dir.Path(), dir.File("link-to-folder"));
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
  EXPECT_FALSE(IsOccupiedByNonFile(u""));
  EXPECT_FALSE(IsOccupiedByNonFile(ToUtf16(dir.File("none"))));
  EXPECT_FALSE(IsOccupiedByNonFile(ToUtf16(file)));
  EXPECT_FALSE(IsOccupiedByNonFile(ToUtf16(dir.File("link-to-folder"))));
  EXPECT_TRUE(IsOccupiedByNonFile(ToUtf16(dir.Path().string())));
  EXPECT_TRUE(IsOccupiedByNonFile(ToUtf16(dir.File("fifo"))));
  EXPECT_TRUE(IsOccupiedByNonFile(u"/dev/null"));
}

// A folder for new files is made with the folders above it; whether files can be made there is
// found by making one, which leaves nothing behind. A read-only file system or a file in the way
// cannot take any.
TEST(FileSystem, FoldersAreMadeAndCheckedForNewFiles) {
  testing::ScopedTempDir dir;
  const std::u16string deep = ToUtf16(dir.File("a/b/c"));
  EXPECT_TRUE(MakeFolders(deep));
  EXPECT_TRUE(MakeFolders(deep));  // already there
  EXPECT_TRUE(CanCreateFilesIn(deep));
  EXPECT_TRUE(std::filesystem::is_empty(NativePath(deep)));
  const std::u16string file = ToUtf16(dir.File("plain"));
  ASSERT_TRUE(WriteFileBytes(file, "x"));
  EXPECT_FALSE(MakeFolders(file + u"/sub"));
  EXPECT_FALSE(CanCreateFilesIn(file));
  EXPECT_FALSE(CanCreateFilesIn(ToUtf16(dir.File("missing"))));
  if (std::filesystem::is_directory("/proc/self")) {
    EXPECT_FALSE(CanCreateFilesIn(u"/proc/self"));
  }
}

TEST(FileSystem, RemoveTreeIgnoresPermissions) {
  testing::ScopedTempDir dir;
  std::filesystem::path tree = dir.Path() / "tree";
  std::filesystem::create_directories(tree / "inner");
  testing::WriteFile((tree / "inner" / "f").string(), "x");
  std::filesystem::permissions(tree / "inner",
                               std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  EXPECT_TRUE(RemoveTree(ToUtf16(tree.string())));
  EXPECT_FALSE(std::filesystem::exists(tree));
  EXPECT_TRUE(DeleteFileIfExists(ToUtf16(dir.File("none"))));
}

}  // namespace
}  // namespace sonacli
