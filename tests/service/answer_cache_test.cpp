#include "service/answer_cache.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <set>
#include <thread>
#include <vector>

#include "common/unicode_text.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

using testing::ReadFile;
using testing::ScopedTempDir;
using testing::WriteFile;

TEST(AnswerKey, EveryFieldShapesTheKeyAndNoTwoSerialiseAlike) {
  const std::string base = AnswerKey("v1", "https://host/speech", "text=Hi&voice=alena");
  EXPECT_EQ(base.size(), 64u);
  EXPECT_EQ(base, AnswerKey("v1", "https://host/speech", "text=Hi&voice=alena"));
  const std::string others[] = {
      AnswerKey("v3", "https://host/speech", "text=Hi&voice=alena"),
      AnswerKey("v1", "https://other/speech", "text=Hi&voice=alena"),
      AnswerKey("v1", "https://host/speech", "text=Hi&voice=jane"),
      // The same bytes split differently between the fields.
      AnswerKey("v1h", "ttps://host/speech", "text=Hi&voice=alena"),
      AnswerKey("v1", "https://host/speechtext=Hi", "&voice=alena"),
  };
  std::set<std::string> keys = {base};
  for (const std::string& key : others) keys.insert(key);
  EXPECT_EQ(keys.size(), std::size(others) + 1);
}

TEST(TAnswerCache, CreatesAPrivateFolderAndKeepsEntries) {
  ScopedTempDir dir;
  const std::string folder = dir.File("deep/cache");
  std::u16string warning;
  TAnswerCache cache(ToUtf16(folder), warning);
  ASSERT_TRUE(cache.Usable());
  EXPECT_EQ(warning, u"");
  struct stat status {};
  ASSERT_EQ(stat(folder.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0700u);

  const std::string key = AnswerKey("v1", "u", "text");
  EXPECT_FALSE(cache.Contains(key));
  EXPECT_FALSE(cache.Load(key).has_value());
  const std::string bytes("Ogg\0bytes", 9);
  ASSERT_TRUE(cache.Store(key, bytes));
  EXPECT_TRUE(cache.Contains(key));
  EXPECT_EQ(cache.Load(key), bytes);
  EXPECT_TRUE(cache.Store(key, ""));  // an empty answer is an entry too
  EXPECT_EQ(cache.Load(key), "");
  cache.Discard(key);
  EXPECT_FALSE(cache.Contains(key));
  EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST(TAnswerCache, WritersAtOnceLeaveOneWholeEntry) {
  ScopedTempDir dir;
  std::u16string warning;
  TAnswerCache cache(ToUtf16(dir.File("cache")), warning);
  const std::string key = AnswerKey("v3", "u", "a long text");
  std::vector<std::thread> writers;
  for (char fill = 'a'; fill < 'i'; ++fill) {
    writers.emplace_back([&cache, &key, fill] {
      for (int i = 0; i < 20; ++i) cache.Store(key, std::string(200000, fill));
    });
  }
  for (int i = 0; i < 200; ++i) {
    if (std::optional<std::string> entry = cache.Load(key)) {
      ASSERT_EQ(entry->size(), 200000u);
      ASSERT_EQ(entry->find_first_not_of(entry->front()), std::string::npos) << "a torn entry";
    }
  }
  for (std::thread& writer : writers) writer.join();
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.File("cache"))) {
    EXPECT_NE(entry.path().filename().string().front(), '.') << "a temporary file was left";
    ++files;
  }
  EXPECT_EQ(files, 1u);
}

TEST(TAnswerCache, AFolderThatCannotBeUsedIsReported) {
  ScopedTempDir dir;
  const std::string file = WriteFile(dir.File("plain-file"), "x");
  for (const std::string& folder : {file, file + "/below", std::string()}) {
    std::u16string warning;
    TAnswerCache cache(ToUtf16(folder), warning);
    EXPECT_FALSE(cache.Usable()) << folder;
    EXPECT_EQ(warning, u"Cache folder cannot be used, the run goes on without it: " + ToUtf16(folder));
    EXPECT_FALSE(cache.Store("key", "bytes"));
    EXPECT_FALSE(cache.Contains("key"));
  }
  EXPECT_EQ(ReadFile(file), "x");
}

}  // namespace
}  // namespace sonacli
