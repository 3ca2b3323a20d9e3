#include "service/answer_store.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/unicode_text.h"
#include "service/cache_entry.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

using testing::ReadFile;
using testing::ScopedTempDir;
using testing::WriteFile;

// Any bytes go in and come out as they were; what they are is none of the store's business. An
// entry is found without being read, and read (and checked) when it is used: a damaged one is
// discarded then, counted once, and no longer found until it is written anew.
TEST(TAnswerStore, KeepsBytesUnderKeysAndReadsAnEntryOnlyWhenItIsUsed) {
  ScopedTempDir dir;
  std::u16string warning;
  TAnswerStore store(ToUtf16(dir.File("store")), warning);
  ASSERT_TRUE(store.Usable());
  EXPECT_EQ(warning, u"");
  const std::string key(64, 'c');
  const std::string path = dir.File("store/" + key + ".answer");
  const std::string bytes("\0no audio at all\xff\n\n", 19);

  EXPECT_FALSE(store.Holds(key));
  EXPECT_FALSE(store.Read(key).has_value());
  store.Write(key, "");  // nothing to keep
  EXPECT_FALSE(store.Holds(key));
  store.Write(key, bytes);
  EXPECT_TRUE(store.Holds(key));
  EXPECT_EQ(store.Read(key), bytes);
  // The entries keep their form, so that the folders of earlier runs stay readable.
  EXPECT_EQ(ReadFile(path), CacheEntry(key, bytes));

  WriteFile(path, CacheEntry(key, bytes).substr(0, 60));
  EXPECT_TRUE(store.Holds(key)) << "found without being read";
  EXPECT_FALSE(store.Read(key).has_value());
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_FALSE(store.Holds(key));
  // Discarded by whoever could not use its bytes, the same entry is still counted once.
  store.Discard(key);
  EXPECT_EQ(store.EndOfRunWarnings(), std::vector<std::u16string>{u"Damaged cache entries were not used: 1"});

  store.Write(key, bytes);
  EXPECT_TRUE(store.Holds(key));
  EXPECT_EQ(store.Read(key), bytes);
}

}  // namespace
}  // namespace sonacli
