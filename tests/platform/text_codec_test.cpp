#include "platform/text_codec.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "common/unicode_text.h"
#include "platform/text_file.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

TEST(TextCodec, DecodesAndEncodesWindowsCodePages) {
  struct Case {
    int codePage;
    std::string bytes;
    std::u16string text;
  };
  const Case cases[] = {
      {1251, "\xcf\xf0\xe8\xe2\xe5\xf2", u"Привет"},
      {866, "\x8f\xe0\xa8\xa2\xa5\xe2", u"Привет"},
      {20866, "\xf0\xd2\xc9\xd7\xc5\xd4", u"Привет"},
      {1252, "caf\xe9", u"café"},
      {1250, "\xb9", u"ą"},
      {65001, "\xd0\x96", u"Ж"},
      {1200, std::string("A\0\x16\x04", 4), u"AЖ"},
      {1201, std::string("\0A\x04\x16", 4), u"AЖ"},
  };
  for (const Case& c : cases) {
    auto decoded = DecodeCodePage(c.bytes, c.codePage);
    ASSERT_TRUE(decoded) << c.codePage;
    EXPECT_EQ(*decoded, c.text) << c.codePage;
    EXPECT_EQ(EncodeCodePage(c.text, c.codePage), c.bytes) << c.codePage;
  }
  EXPECT_FALSE(DecodeCodePage("x", 99999));
  EXPECT_EQ(EncodeCodePage(u"Ж中", 1252), "??");
}

TEST(TextCodec, ByteOrderMarkSelectsTheEncoding) {
  EXPECT_EQ(DecodeByByteOrderMark("\xEF\xBB\xBFЖ", 1252), u"Ж");
  EXPECT_EQ(DecodeByByteOrderMark(std::string("\xFF\xFE\x16\x04", 4), 1252), u"Ж");
  EXPECT_EQ(DecodeByByteOrderMark(std::string("\xFE\xFF\x04\x16", 4), 1252), u"Ж");
  EXPECT_EQ(DecodeByByteOrderMark("\xc6", 1251), u"Ж");
}

TEST(TextCodec, AnsiCodePageFollowsTheLanguage) {
  EXPECT_EQ(AnsiCodePageForLanguage("ru", "RU"), 1251);
  EXPECT_EQ(AnsiCodePageForLanguage("pl", "PL"), 1250);
  EXPECT_EQ(AnsiCodePageForLanguage("zh", "TW"), 950);
  EXPECT_EQ(AnsiCodePageForLanguage("zh", "CN"), 936);
  EXPECT_EQ(AnsiCodePageForLanguage("", ""), 1252);
}

TEST(IsWellFormedUtf8, AcceptsOnlyStrictSequencesAndNeedsNonAscii) {
  struct Case {
    std::string bytes;
    bool expected;
  };
  const Case cases[] = {
      {"", false},
      {"plain ascii", false},
      {"caf\xC3\xA9", true},
      {"\xE2\x82\xAC and more", true},
      {"\xE0\xA0\x80", true},
      {"\xED\xA0\x80", true},  // E1..EF take any two continuation bytes
      {"\xF0\x90\x80\x80", true},
      {"\xF4\x8F\xBF\xBF", true},
      {"\xC3", false},         // cut short
      {"ok \xE2\x82", false},  // cut short at the end
      {"\xC0\x80", false},     // overlong lead
      {"\xC1\xBF", false},
      {"\xE0\x9F\xBF", false},      // overlong three-byte form
      {"\xF0\x8F\xBF\xBF", false},  // overlong four-byte form
      {"\xF4\x90\x80\x80", false},  // above U+10FFFF
      {"\xF5\x80\x80\x80", false},
      {"\x80", false},
      {"\xC3\xA9 then \xFF", false},
      {"\xC3\x28", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsWellFormedUtf8(c.bytes), c.expected) << c.bytes;
}

TEST(TextFile, ReadsLinesInTheAnsiCodePageWithoutMark) {
  testing::ScopedTempDir dir;
  std::u16string name = ToUtf16(testing::WriteFile(dir.File("a.txt"), "\xcf\xf0\xe8\r\n\r\nb\rc\n"));
  std::vector<std::u16string> lines;
  ASSERT_TRUE(ReadTextLines(name, lines, 1251));
  EXPECT_EQ(lines, (std::vector<std::u16string>{u"При", u"", u"b", u"c"}));
  // Well-formed UTF-8 without a mark is taken as UTF-8.
  ASSERT_TRUE(ReadTextLines(ToUtf16(testing::WriteFile(dir.File("u.txt"), "Привет\n")), lines, 1251));
  EXPECT_EQ(lines, (std::vector<std::u16string>{u"Привет"}));
  EXPECT_FALSE(ReadTextLines(ToUtf16(dir.File("missing.txt")), lines, 1251));
  EXPECT_FALSE(ReadTextLines(ToUtf16(dir.Path().string()), lines, 1251));
}

}  // namespace
}  // namespace sonacli
