#include "driver/temp_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <regex>

#include "common/unicode_text.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

namespace fs = std::filesystem;

// Points TMPDIR at a folder of the test while it lives.
class ScopedTmpDir {
 public:
  explicit ScopedTmpDir(const fs::path& folder) {
    const char* old = std::getenv("TMPDIR");
    if (old) old_ = old;
    hadOld_ = old != nullptr;
    setenv("TMPDIR", folder.c_str(), 1);
  }
  ~ScopedTmpDir() {
    if (hadOld_) {
      setenv("TMPDIR", old_.c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
  }

 private:
  std::string old_;
  bool hadOld_ = false;
};

TEST(TempFolder, NewFolderEachTimeNamedSonarelAndEightDigits) {
  testing::ScopedTempDir dir;
  ScopedTmpDir tmp(dir.Path());
  const std::string first = ToUtf8(MakeTempFolder());
  const std::string second = ToUtf8(MakeTempFolder());
  const std::regex form(
      std::regex_replace(dir.Path().string(), std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)") +
      R"(/sonarel[0-9]{8}/)");
  EXPECT_TRUE(std::regex_match(first, form)) << first;
  EXPECT_TRUE(std::regex_match(second, form)) << second;
  EXPECT_NE(first, second);
  EXPECT_TRUE(fs::is_directory(first));
  EXPECT_TRUE(fs::is_directory(second));
  struct stat info {};
  ASSERT_EQ(stat(first.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(TempFolder, RemoveFolderTakesReadOnlyContentsToo) {
  testing::ScopedTempDir dir;
  ScopedTmpDir tmp(dir.Path());
  const std::u16string folder = MakeTempFolder();
  const fs::path path = ToUtf8(folder);
  fs::create_directory(path / "inner");
  testing::WriteFile((path / "inner" / "locked.wav").string(), "RIFF");
  testing::WriteFile((path / "sonarel_out.wav").string(), "RIFF");
  fs::permissions(path / "inner" / "locked.wav", fs::perms::owner_read);
  fs::permissions(path / "inner", fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_TRUE(RemoveFolder(folder));
  EXPECT_FALSE(fs::exists(path));
  EXPECT_TRUE(RemoveFolder(u""));
}

}  // namespace
}  // namespace sonacli
