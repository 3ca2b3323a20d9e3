#include "dict/dictionary_set.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "dict_files.h"
#include "platform/text_codec.h"

namespace sonacli {
namespace {

using testing::LoadFiles;
using testing::ScopedTempDir;

const std::string kBom = "\xEF\xBB\xBF";

TEST(ReduceSpaces, ReducesRunsOnlyInTextsWithWords) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"ab  cd   e", u"ab cd e"}, {u"a  b   c", u"a  b   c"},  // no two adjacent letters
      {u"  ab  ", u" ab "},        {u"a b", u"a b"},           {u"ab\t\t c", u"ab\t\t c"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ReduceSpaces(text), expected);
}

TEST(TDictionarySet, LeavesTextAloneWhenNothingIsLoaded) {
  ScopedTempDir dir;
  TDictionarySet set;
  LoadFiles(set, dir, {{"empty.dic", "# only a comment\n"}, {"notes.txt", "cat=dog\n"}});
  EXPECT_TRUE(set.Empty());
  EXPECT_EQ(set.Apply(u"a  cat"), u"a  cat");
}

TEST(TDictionarySet, AppliesSpacesThenBxdThenRexThenDic) {
  ScopedTempDir dir;
  TDictionarySet set;
  // Listed against their order of application: each stage sees the result of the one before.
  LoadFiles(set, dir,
            {{"d.dic", "wolf=fox\n"},
             {"r.rex", "dog x=wolf x\n"},
             {"b.bxd", "h\ndelimiter=|\nh\nid|0|1|0|0|0|0|cat|dog\n"}});
  EXPECT_EQ(set.Apply(u"Cat  x"), u"fox x");
  EXPECT_EQ(set.Apply(u""), u"");
}

TEST(TDictionarySet, SkipsFailingRulesAndGoesOn) {
  ScopedTempDir dir;
  TDictionarySet set;
  LoadFiles(set, dir, {{"r.rex", "(=x\nfoo=\\o{9}\n(a+)+$=y\n[z=w\nbar=baz\n"}});
  ASSERT_EQ(set.RexRules.size(), 5u);
  const std::u16string runaway = std::u16string(3000, u'a') + u"!";
  EXPECT_EQ(set.Apply(u"foo bar " + runaway), u"foo baz " + runaway);
}

TEST(TDictionarySet, LoadsFilesByExtensionInOrder) {
  ScopedTempDir dir;
  TDictionarySet set;
  const std::string upper = testing::WriteFile(dir.File("UPPER.DIC"), kBom + "cat=dog\n");
  const std::string other = testing::WriteFile(dir.File("other.txt"), kBom + "dog=cow\n");
  set.Load({ToUtf16(upper), u"", ToUtf16(dir.File("missing.dic")), ToUtf16(other), ToUtf16(upper)}, 1251);
  ASSERT_EQ(set.DicEntries.size(), 2u);  // a name given twice loads twice
  EXPECT_EQ(set.DicEntries[0].Order, 0);
  EXPECT_EQ(set.DicEntries[1].Order, 1);
  EXPECT_EQ(set.Apply(u"cat"), u"dog");
}

TEST(TDictionarySet, ReadsEveryEncoding) {
  ScopedTempDir dir;
  auto utf16 = [](std::u16string_view text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : text) {
      const char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
      bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
  };
  TDictionarySet set;
  LoadFiles(set, dir,
            {{"ansi.dic", "\xEA\xEE\xF2=\xEF\xB8\xF1\r\n"},  // "кот=пёс" in code page 1251
             {"utf8.dic", kBom + "ёж=еж\r"},
             {"le.dic", utf16(u"мышь=крыса\r\n", false)},
             {"be.rex", utf16(u"(\\d+)%=$1 процентов", true)}});
  EXPECT_EQ(ToUtf8(set.Apply(u"Кот, ёж, мышь: 5%")), "Пёс, еж, крыса: 5 процентов");
}

TEST(TDictionarySet, SkipsBinaryFilesAndOverlongLines) {
  ScopedTempDir dir;
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>(i * 7 % 256));
  const std::string longLine = std::string(1 << 20, 'x') + "=y\n";
  TDictionarySet set;
  LoadFiles(set, dir,
            {{"binary.dic", binary},
             {"binary.rex", binary},
             {"binary.bxd", binary},
             {"long.dic", longLine + "cat=dog\n"},
             {"long.rex", "(" + longLine + "cow=bull\n"}});
  ASSERT_EQ(set.DicEntries.size(), 1u);
  ASSERT_EQ(set.RexRules.size(), 1u);
  EXPECT_TRUE(set.BxdList.Empty());
  EXPECT_EQ(set.Apply(u"cat cow"), u"dog bull");
}

TEST(DictionarySet, LoadsTheNamedFilesAndCollapsesSpaces) {
  ScopedTempDir dir;
  TDictionarySet set;
  set.Load({ToUtf16(testing::WriteFile(dir.File("a.dic"), "cat=dog\n"))}, 1251);
  EXPECT_EQ(set.Apply(u"a  Cat"), u"a Dog");
}

}  // namespace
}  // namespace sonacli
