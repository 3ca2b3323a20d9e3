#include "dict/bxd_list.h"

#include <gtest/gtest.h>

#include "dict_files.h"

namespace sonacli {
namespace {

using testing::ApplyOneFile;

// A ".bxd" file with "|" as delimiter and these rule lines.
std::string BxdFile(const std::string& rules) {
  return "rules\r\ndelimiter=|\r\nheader\r\n" + rules;
}

TEST(ApplyBxd, AppliesPlainAndRegularExpressionRulesInOrder) {
  struct Case {
    std::string rules;
    std::u16string input, expected;
  };
  const Case cases[] = {
      {"id|0|1|0|0|0|0|colour|color|", u"Colour colours watercolour", u"Color colours watercolour"},
      {"id|0|1|0|0|1|0|colour|color|", u"colours watercolour", u"colors watercolour"},
      {"id|0|1|0|0|2|0|colour|color|", u"colours watercolour", u"colours watercolor"},
      {"id|0|1|0|0|3|0|colour|color|", u"colours watercolour", u"colors watercolor"},
      {"id|0|1|0|0|0|2|colour|color|", u"Colour", u"<phoneme alphabet=\"ipa\" ph=\"color\"/>"},
      {"id|0|1|0|0|0|1|colour|color|", u"Colour", u"<pron sym=\"color\"/>"},
      {"id|0|0|0|0|0|0|colour|color|", u"colour", u"colour"},
      {"id|0||0|0|0|0|colour|color|", u"colour", u"color"},
      {"id|0|1|1|0|0|0|Colour|Color|", u"Colour colour", u"Color colour"},
      {"id|0|1|0|0|0|0|colour|color|note|x|y|z", u"colour", u"color"},
      {"id|0|1|0|0|0|0||x|", u"colour", u"colour"},
      {"a line without any delimiter", u"colour", u"colour"},
      {"id|0|1|0|1|0|0|(\\d+) ?kg|$1 kilograms|", u"5kg 10 KG", u"5 kilograms 10 kilograms"},
      {"id|0|1|1|1|0|0|(\\d+) ?kg|$1 kilograms|", u"5kg 10 KG", u"5 kilograms 10 KG"},
      {"id|0|1|0|1|0|0|(\\w+)ing|\\U$1\\E-ing|", u"singing", u"SING-ing"},
      {"id|0|1|0|1|0|2|(\\d+)|$1|", u"7", u"<phoneme alphabet=\"ipa\" ph=\"7\"/>"},
      // Order: each rule sees the text as the rules before it left it, the copy remade after a
      // regular-expression rule.
      {"id|0|1|0|0|0|0|a|b|\r\nid|0|1|0|1|0|0|b|c|", u"a", u"c"},
      {"id|0|1|0|1|0|0|x|Y|\r\nid|0|1|0|0|0|0|y|z|", u"x", u"Z"},
      // A failing rule changes nothing and the next one applies.
      {"id|0|1|0|1|0|0|(|x|\r\nid|0|1|0|1|0|0|a|\\o{9}|\r\nid|0|1|0|0|0|0|a|b|", u"a", u"b"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ToUtf8(ApplyOneFile("a.bxd", BxdFile(c.rules), c.input)), ToUtf8(c.expected)) << c.rules;
  }
}

TEST(LoadBxdFile, CarriesTheDelimiterFromFileToFile) {
  testing::ScopedTempDir dir;
  TBXDList list;
  const std::string first = "h\r\nDELIMITER=;\r\nh\r\nid;0;1;0;0;0;0;cat;dog\r\n\r\nid;0;1;0;0;0;0;cow;bull";
  const std::string second = "h\nno delimiter here\nh\nid;0;1;0;0;0;0;hen;duck\n";
  const std::string shortFile = "h\ndelimiter=|\nid|0|1|0|0|0|0|cat|lion\n";  // three lines: no rules
  const std::string wrongHeader = "h\ndelimiter=||\nh\nid|0|1|0|0|0|0|dog|wolf\n";
  for (const auto& [name, content] :
       {std::pair{"1.bxd", first}, {"2.bxd", second}, {"3.bxd", shortFile}, {"4.bxd", wrongHeader}}) {
    LoadBxdFile(list, ToUtf16(testing::WriteFile(dir.File(name), content)), 1251);
  }
  LoadBxdFile(list, ToUtf16(dir.File("missing.bxd")), 1251);
  EXPECT_EQ(list.Delimiter, u';');
  ASSERT_EQ(list.Rules().size(), 4u);
  EXPECT_EQ(list.Rules()[2].FindText, u"hen");
  EXPECT_EQ(list.Rules()[3].Id, "id|0|1|0|0|0|0|dog|wolf");
  EXPECT_EQ(ToUtf8(ApplyBxd(list, u"cat cow hen dog")), "dog bull duck dog");
}

TEST(LoadBxdFile, ReadsUtf16Files) {
  testing::ScopedTempDir dir;
  const std::u16string text = u"h\r\ndelimiter=|\r\nh\r\nid|0|1|0|0|0|0|ёж|ёжик";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  TBXDList list;
  LoadBxdFile(list, ToUtf16(testing::WriteFile(dir.File("le.bxd"), bytes)), 1251);
  EXPECT_EQ(ToUtf8(ApplyBxd(list, u"Ёж")), "Ёжик");
}

}  // namespace
}  // namespace sonacli
