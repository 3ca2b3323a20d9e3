#include "input/encoding_detection.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

#include "common/unicode_text.h"
#include "platform/text_codec.h"

namespace sonacli {
namespace {

const std::u16string kRussian = u"Съешь же ещё этих мягких французских булок, да выпей чаю. ";

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

TEST(ChooseContentEncoding, FollowsTheDetectorsCodePageAndSize) {
  const std::string ascii51(51, 'a');
  const std::string utf8Long = Repeat("\xD0\xB6", 30);
  const std::string binary50(50, '\xFF');
  struct Case {
    int codePage;
    std::string bytes;
    TEncoding expected;
  };
  const Case cases[] = {
      {1200, std::string(801, 'a'), TEncoding::Utf16LE},
      {1200, std::string(800, 'a'), TEncoding::Ansi},
      {1201, std::string(2000, 'a'), TEncoding::Ansi},
      {65001, "x", TEncoding::Utf8},
      {-1, binary50, TEncoding::Utf8},
      {-1, binary50 + "\xFF", TEncoding::Ansi},
      {-1, ascii51, TEncoding::Ansi},
      {-1, utf8Long, TEncoding::Utf8},
      {1251, utf8Long, TEncoding::Ansi},
      {20866, "x", TEncoding::Ansi},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseContentEncoding(c.codePage, c.bytes), c.expected) << c.codePage << " " << c.bytes.size();
  }
}

TEST(CharsetCodePage, MapsDetectorNamesToWindowsNumbers) {
  EXPECT_EQ(CharsetCodePage("WINDOWS-1251"), 1251);
  EXPECT_EQ(CharsetCodePage("KOI8-R"), 20866);
  EXPECT_EQ(CharsetCodePage("IBM866"), 866);
  EXPECT_EQ(CharsetCodePage("UTF-8"), 65001);
  EXPECT_EQ(CharsetCodePage("utf-16le"), 1200);
  EXPECT_EQ(CharsetCodePage("ISO-8859-5"), 28595);
  EXPECT_EQ(CharsetCodePage(""), -1);
  EXPECT_EQ(CharsetCodePage("KLINGON-1"), -1);
}

TEST(DetectEncoding, ByteOrderMarkSkipsTheDetector) {
  TDetectedEncoding utf8 = DetectEncoding("\xEF\xBB\xBFtext");
  EXPECT_EQ(utf8.ByteOrderMark, TEncoding::Utf8);
  EXPECT_EQ(utf8.CodePage, 0);
  EXPECT_EQ(DetectEncoding("\xFF\xFEt\0"s).ByteOrderMark, TEncoding::Utf16LE);
  EXPECT_EQ(DetectEncoding("\xFE\xFF\0t"s).ByteOrderMark, TEncoding::Utf16BE);
}

TEST(DetectEncoding, TellsUtf8Cp1251AndUtf16ApartByContent) {
  const std::u16string text = kRussian + kRussian + kRussian;
  TDetectedEncoding utf8 = DetectEncoding(ToUtf8(text));
  EXPECT_EQ(utf8.ByteOrderMark, TEncoding::Ansi);
  EXPECT_EQ(utf8.Content, TEncoding::Utf8);

  TDetectedEncoding cp1251 = DetectEncoding(EncodeCodePage(text, 1251));
  EXPECT_EQ(cp1251.Content, TEncoding::Ansi);
  EXPECT_EQ(cp1251.CodePage, 1251);

  TDetectedEncoding koi8 = DetectEncoding(EncodeCodePage(text, 20866));
  EXPECT_EQ(koi8.Content, TEncoding::Ansi);
  EXPECT_EQ(koi8.CodePage, 20866);

  const std::u16string longText = text + text + text;
  TDetectedEncoding utf16 = DetectEncoding(EncodeCodePage(longText, 1200));
  EXPECT_EQ(utf16.CodePage, 1200);
  EXPECT_EQ(utf16.Content, TEncoding::Utf16LE);
  TDetectedEncoding shortUtf16 = DetectEncoding(EncodeCodePage(kRussian, 1200));
  EXPECT_EQ(shortUtf16.CodePage, 1200);
  EXPECT_EQ(shortUtf16.Content, TEncoding::Ansi);  // 800 bytes or less
  TDetectedEncoding utf16be = DetectEncoding(EncodeCodePage(longText, 1201));
  EXPECT_EQ(utf16be.CodePage, 1201);
  EXPECT_EQ(utf16be.Content, TEncoding::Ansi);
}

}  // namespace
}  // namespace sonacli
