#include "input/input_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "common/unicode_text.h"
#include "platform/text_codec.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

using Lines = std::vector<std::u16string>;
using testing::ScopedTempDir;
using testing::WriteFile;

const std::u16string kRussian = u"Съешь же ещё этих мягких французских булок, да выпей чаю.";
// Long enough for the detector to be sure of its answer.
const std::u16string kRussianText = kRussian + u"\r\n" + kRussian + u"\n" + kRussian;
const Lines kRussianLines = {kRussian, kRussian, kRussian};

// Text without byte-order mark that is not UTF-8 is read in code page 1251 here.
Lines ReadFile(const std::string& name, const TDecodeOptions& options = {.AnsiCodePage = 1251},
               Lines lines = {}) {
  std::string bytes;
  EXPECT_TRUE(ReadInputFile(ToUtf16(name), bytes)) << name;
  EXPECT_EQ(AddFileText(bytes, options, lines), TInputContent::Text) << name;
  return lines;
}

TEST(AddFileText, DecodesByByteOrderMarkAndDropsIt) {
  ScopedTempDir dir;
  const std::string utf8 = WriteFile(dir.File("utf8.txt"), "\xEF\xBB\xBF" + ToUtf8(u"Привет\r\nмир"));
  const std::string le = WriteFile(dir.File("le.txt"), "\xFF\xFE" + EncodeCodePage(u"Привет\nмир", 1200));
  const std::string be = WriteFile(dir.File("be.txt"), "\xFE\xFF" + EncodeCodePage(u"Привет\rмир", 1201));
  for (const std::string& name : {utf8, le, be})
    EXPECT_EQ(ReadFile(name), (Lines{u"Привет", u"мир"})) << name;
}

TEST(AddFileText, AppendsToTheLinesAlreadyRead) {
  ScopedTempDir dir;
  const std::string name = WriteFile(dir.File("a.txt"),
                                     "\xEF\xBB\xBF"
                                     "b\nc\n");
  EXPECT_EQ(ReadFile(name, {.AnsiCodePage = 1251}, {u"a"}), (Lines{u"a", u"b", u"c"}));
}

TEST(AddFileText, DetectsEncodingOfFilesWithoutMark) {
  ScopedTempDir dir;
  EXPECT_EQ(ReadFile(WriteFile(dir.File("cp1251.txt"), EncodeCodePage(kRussianText, 1251))), kRussianLines);
  EXPECT_EQ(ReadFile(WriteFile(dir.File("utf8.txt"), ToUtf8(kRussianText))), kRussianLines);
  EXPECT_EQ(ReadFile(WriteFile(dir.File("short.txt"), "\xD0\xB4\xD0\xB0")), (Lines{u"да"}));
  // Well-formed UTF-8 that the detector takes for a code page (cp1250, cp852) is still UTF-8.
  for (std::u16string_view word : {u"Café", u"Straße"})
    EXPECT_EQ(ReadFile(WriteFile(dir.File("word.txt"), ToUtf8(word) + "\n")), Lines{std::u16string(word)});
  // KOI8-R reads wrongly as cp1251; the detector's code page corrects it.
  EXPECT_EQ(ReadFile(WriteFile(dir.File("koi8.txt"), EncodeCodePage(kRussianText, 20866))), kRussianLines);
  const std::u16string longText = kRussianText + u"\r\n" + kRussianText + u"\r\n" + kRussianText;
  Lines longLines = ReadFile(WriteFile(dir.File("utf16.txt"), EncodeCodePage(longText, 1200)));
  EXPECT_EQ(longLines.size(), 9u);
  EXPECT_EQ(longLines.front(), kRussian);
}

TEST(AddFileText, ForcedEncodingWinsOverMarkAndContent) {
  ScopedTempDir dir;
  const TDecodeOptions utf8{.ForceEncoding = true, .ForcedEncoding = TEncoding::Utf8};
  const TDecodeOptions unicode{.ForceEncoding = true, .ForcedEncoding = TEncoding::Utf16LE};
  const TDecodeOptions ansi{.ForceEncoding = true, .ForcedEncoding = TEncoding::Ansi, .AnsiCodePage = 1251};
  const std::string markedUtf16 = WriteFile(dir.File("le.txt"), "\xFF\xFE" + EncodeCodePage(u"да", 1200));
  EXPECT_EQ(ReadFile(markedUtf16, utf8), (Lines{u"\uFFFD\uFFFD4\u0004"
                                                u"0\u0004"}));
  EXPECT_EQ(ReadFile(markedUtf16, unicode), (Lines{u"да"}));
  const std::string shortUtf16 = WriteFile(dir.File("short16.txt"), EncodeCodePage(u"да\r\nнет", 1200));
  EXPECT_EQ(ReadFile(shortUtf16, unicode), (Lines{u"да", u"нет"}));
  const std::string markedUtf8 = WriteFile(dir.File("utf8.txt"), "\xEF\xBB\xBF" + ToUtf8(u"Привет"));
  EXPECT_EQ(ReadFile(markedUtf8, utf8), (Lines{u"Привет"}));
  EXPECT_EQ(ReadFile(WriteFile(dir.File("plain.txt"), ToUtf8(u"Привет")), ansi), (Lines{u"РџСЂРёРІРµС‚"}));
}

TEST(AddFileText, WebVttIsUtf8AndReplacesTheLines) {
  ScopedTempDir dir;
  const std::string name = WriteFile(dir.File("a.vtt"), "\xEF\xBB\xBFWEBVTT\n\n" + ToUtf8(u"да"));
  EXPECT_EQ(ReadFile(name, {.SubtitleVtt = true}, {u"old"}), (Lines{u"WEBVTT", u"", u"да"}));
}

TEST(ReadInputFile, MissingFileOrFolderFails) {
  ScopedTempDir dir;
  std::string bytes;
  EXPECT_FALSE(ReadInputFile(ToUtf16(dir.File("none.txt")), bytes));
  EXPECT_FALSE(ReadInputFile(ToUtf16(dir.Path().string()), bytes));
}

TEST(AddFileText, FileThatIsNoTextIsNamedAndNotDecoded) {
  ScopedTempDir dir;
  const std::string pdf = WriteFile(dir.File("a.pdf"), "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n1 0 obj\n");
  const std::string binary = WriteFile(dir.File("a.bin"), std::string("abc\0\0\x01\xFF\0def", 11));
  for (const auto& [name, expected] :
       {std::pair{pdf, TInputContent::PdfDocument}, std::pair{binary, TInputContent::Binary}}) {
    Lines lines = {u"before"};
    std::string bytes;
    EXPECT_TRUE(ReadInputFile(ToUtf16(name), bytes)) << name;
    EXPECT_EQ(AddFileText(bytes, {}, lines), expected) << name;
    EXPECT_EQ(lines, Lines{u"before"}) << name;
  }
}

TEST(DecodeTextFile, UsesMarkThenUtf8ThenAnsi) {
  EXPECT_EQ(DecodeTextFile(ToUtf8(u"Привет"), 1251), u"Привет");
  EXPECT_EQ(DecodeTextFile(EncodeCodePage(u"Привет", 1251), 1251), u"Привет");
  EXPECT_EQ(DecodeTextFile("\xFF\xFE" + EncodeCodePage(u"да", 1200), 1251), u"да");
  EXPECT_EQ(DecodeTextFile("plain", 1251), u"plain");
}

TEST(DecodeStreamBytes, NeverAsksTheDetector) {
  // KOI8-R text on standard input stays in the ANSI code page (the detector would correct it).
  const std::string koi8 = EncodeCodePage(kRussianText, 20866);
  EXPECT_EQ(DecodeStreamBytes(koi8, {.AnsiCodePage = 1251}), *DecodeCodePage(koi8, 1251));
  const std::string utf16 = EncodeCodePage(kRussianText + kRussianText + kRussianText, 1200);
  EXPECT_NE(DecodeStreamBytes(utf16, {}), kRussianText + kRussianText + kRussianText);
  EXPECT_EQ(DecodeStreamBytes(utf16, {.ForceEncoding = true, .ForcedEncoding = TEncoding::Utf16LE}),
            kRussianText + kRussianText + kRussianText);
  EXPECT_EQ(DecodeStreamBytes(ToUtf8(u"да"), {.SubtitleVtt = true}), u"да");
}

// Points standard input at a file for the life of the object.
class StdinFromFile {
 public:
  explicit StdinFromFile(const std::string& name) : saved_(dup(STDIN_FILENO)) {
    int fd = open(name.c_str(), O_RDONLY);
    dup2(fd, STDIN_FILENO);
    close(fd);
  }
  ~StdinFromFile() {
    dup2(saved_, STDIN_FILENO);
    close(saved_);
  }

 private:
  int saved_;
};

TEST(ReadStandardInputBytes, ReadsEverythingAndReplacesTheLines) {
  ScopedTempDir dir;
  // More than one 1024-byte block, so the reading loop goes round.
  std::u16string text;
  for (int i = 0; i < 100; ++i) text += kRussian + u"\n";
  const std::string name = WriteFile(dir.File("in.txt"), "\xEF\xBB\xBF" + ToUtf8(text));
  Lines lines = {u"old"};
  std::string bytes = "left from before";
  {
    StdinFromFile redirect(name);
    ASSERT_TRUE(ReadStandardInputBytes(bytes));
  }
  EXPECT_EQ(TakeStandardInputText(bytes, {}, lines), TInputContent::Text);
  ASSERT_EQ(lines.size(), 100u);
  EXPECT_EQ(lines.back(), kRussian);

  // A ZIP on standard input is named, not read as text.
  const std::string zip = WriteFile(dir.File("in.zip"), std::string("PK\x03\x04\x14\0\0\0", 8) + "book.txt");
  {
    StdinFromFile redirect(zip);
    ASSERT_TRUE(ReadStandardInputBytes(bytes));
  }
  EXPECT_EQ(TakeStandardInputText(bytes, {}, lines), TInputContent::ZipArchive);
  EXPECT_EQ(lines.size(), 100u);
}

TEST(RedecodeCommandText, KeepsTheTextAndSplitsLines) {
  EXPECT_EQ(RedecodeCommandText(u"Привет\r\nмир"), (Lines{u"Привет", u"мир"}));
}

}  // namespace
}  // namespace sonacli
