#include "main/config_file.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"
#include "platform/text_codec.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

using Lines = std::vector<std::u16string>;

struct LineCase {
  std::u16string_view line;
  bool (*holds)(const TRunOptions& options);  // checked after the line alone was applied
};

// Each line is applied to fresh options; the check names what it must have changed.
const LineCase kLineCases[] = {
    // Whole-line tests take no extra characters, not even a space.
    {u"-o", [](const TRunOptions& s) { return s.ToStdout; }},
    {u"-o ", [](const TRunOptions& s) { return !s.ToStdout; }},
    {u"-O", [](const TRunOptions& s) { return s.ToStdout; }},
    {u"--ignore-square-brackets", [](const TRunOptions& s) { return s.IgnoreSquareBrackets; }},
    {u"-icb", [](const TRunOptions& s) { return s.IgnoreCurlyBrackets; }},
    {u"-iab", [](const TRunOptions& s) { return s.IgnoreAngleBrackets; }},
    {u"--ignore-round-brackets", [](const TRunOptions& s) { return s.IgnoreRoundBrackets; }},
    {u"-IU", [](const TRunOptions& s) { return s.IgnoreUrls; }},
    {u"--ignore-comments", [](const TRunOptions& s) { return s.IgnoreComments; }},
    {u"--raw", [](const TRunOptions& s) { return s.RawOutput; }},
    {u"-il", [](const TRunOptions& s) { return s.OmitDataLength; }},
    {u"-dp", [](const TRunOptions& s) { return s.ShowProgress; }},
    {u"-stereo", [](const TRunOptions& s) { return s.Stereo && s.RateText == u"1.0"; }},
    {u"-m", [](const TRunOptions& s) { return s.ListRequested; }},
    {u"-c", [](const TRunOptions& s) { return s.SourceKind == TSourceKind::Clipboard; }},
    {u"-i", [](const TRunOptions& s) { return s.SourceKind == TSourceKind::StandardInput; }},
    {u"-lrc", [](const TRunOptions& s) { return s.LrcEnabled; }},
    {u"-srt", [](const TRunOptions& s) { return s.SrtEnabled; }},
    {u"-sub", [](const TRunOptions& s) { return s.SubtitleMode; }},
    {u"-sf", [](const TRunOptions& s) { return s.SubFit; }},
    {u"-?", [](const TRunOptions& s) { return s.UsageRequested; }},
    {u"-h", [](const TRunOptions& s) { return s.UsageRequested; }},
    {u"-help", [](const TRunOptions& s) { return !s.UsageRequested; }},
    // Short prefixes: the value from the third character, trimmed and unquoted.
    {u"-k abc", [](const TRunOptions& s) { return s.ApiKey == u"abc"; }},
    {u"-K    abc  \t", [](const TRunOptions& s) { return s.ApiKey == u"abc"; }},
    {u"-k \"a b\"", [](const TRunOptions& s) { return s.ApiKey == u"a b"; }},
    {u"-k \"", [](const TRunOptions& s) { return s.ApiKey == u"\""; }},
    {u"-kabc", [](const TRunOptions& s) { return s.ApiKey.empty(); }},
    {u"-l EN-us", [](const TRunOptions& s) { return s.LanguageText == u"en-us"; }},
    {u"-n Jane", [](const TRunOptions& s) { return s.VoiceText == u"jane"; }},
    {u"-e Evil", [](const TRunOptions& s) { return s.EmotionText == u"evil"; }},
    {u"-s 1.50", [](const TRunOptions& s) { return s.RateText == u"1.50"; }},
    {u"-v \"\"", [](const TRunOptions& s) { return s.VolumeText.empty(); }},
    {u"-t Hello", [](const TRunOptions& s) { return s.CommandText == u"Hello" && !s.TextFromCommandLine; }},
    {u"-d my.dic", [](const TRunOptions& s) { return s.DictionaryFiles == Lines{u"my.dic"}; }},
    {u"-d br",
     [](const TRunOptions& s) { return s.DictionaryFiles == Lines{u"br"} && s.RequestDelayMs == 0; }},
    {u"-f in.txt", [](const TRunOptions& s) { return s.InputFileNames == Lines{u"in.txt"}; }},
    {u"-w \"/tmp/my file.wav\"",
     [](const TRunOptions& s) { return s.OutputFileName == u"/tmp/my file.wav"; }},
    // Long prefixes: anything may follow the name; the value comes after the first space.
    {u"-lnx 5", [](const TRunOptions& s) { return s.LineSelections == Lines{u"5"}; }},
    {u"-ln 2-3",
     [](const TRunOptions& s) { return s.LineSelections == Lines{u"2-3"} && s.LanguageText == u"ru-ru"; }},
    {u"-dbr 250", [](const TRunOptions& s) { return s.RequestDelayMs == 250 && s.DictionaryFiles.empty(); }},
    {u"-dbr -5", [](const TRunOptions& s) { return s.RequestDelayMs == 0; }},
    {u"-enc utf8", [](const TRunOptions& s) { return s.ForceEncoding && s.EmotionText == u"neutral"; }},
    {u"--ENCODING Unicode", [](const TRunOptions& s) { return s.ForcedEncoding == TEncoding::Utf16LE; }},
    {u"-host my.proxy", [](const TRunOptions& s) { return s.ProxySettings.Host == u"my.proxy"; }},
    {u"-port 3128", [](const TRunOptions& s) { return s.ProxySettings.Port == u"3128"; }},
    {u"-fr 16", [](const TRunOptions& s) { return s.FrequencyOption == 16; }},
    {u"-fr16", [](const TRunOptions& s) { return s.FrequencyOption == -1; }},
    {u"-cfg other.cfg",
     [](const TRunOptions& s) { return s.InputFileNames.empty() && s.CommandText.empty(); }},
    {u"--lrc-length 40",
     [](const TRunOptions& s) { return s.LrcData.LimitLength && s.LrcData.MaxLength == 40; }},
    {u"--lrc-fname \"a b.lrc\"", [](const TRunOptions& s) { return s.LrcData.FileName == u"a b.lrc"; }},
    {u"--lrc-enc UTF8", [](const TRunOptions& s) { return s.LrcData.Encoding == TSyncEncoding::Utf8; }},
    {u"--lrc-offset -120", [](const TRunOptions& s) { return s.LrcData.Offset == -120; }},
    {u"--lrc-artist Some One", [](const TRunOptions& s) { return s.LrcData.Artist == u"Some One"; }},
    {u"--lrc-album X", [](const TRunOptions& s) { return s.LrcData.Album == u"X"; }},
    {u"--lrc-title X", [](const TRunOptions& s) { return s.LrcData.Title == u"X"; }},
    {u"--lrc-author X", [](const TRunOptions& s) { return s.LrcData.Author == u"X"; }},
    {u"--lrc-creator X", [](const TRunOptions& s) { return s.LrcData.Creator == u"X"; }},
    {u"--lrc-sentences",
     [](const TRunOptions& s) { return s.LrcBlankLines == TLrcBlankLines::AfterSentences; }},
    {u"--lrc-para", [](const TRunOptions& s) { return s.LrcBlankLines == TLrcBlankLines::AfterParagraphs; }},
    {u"--srt-length 25",
     [](const TRunOptions& s) { return s.SrtData.LimitLength && s.SrtData.MaxLength == 25; }},
    {u"--srt-fname s.srt", [](const TRunOptions& s) { return s.SrtData.FileName == u"s.srt"; }},
    {u"--srt-enc unicode", [](const TRunOptions& s) { return s.SrtData.Encoding == TSyncEncoding::Utf16LE; }},
    {u"--sub-format SMI", [](const TRunOptions& s) { return s.SubtitleFormat == TSubtitleFormat::Smi; }},
    {u"--sub-fit", [](const TRunOptions& s) { return s.SubFit; }},
    {u"--sub-max 150%", [](const TRunOptions& s) { return s.SubMaxPercent == 150; }},
    {u"-sm 300", [](const TRunOptions& s) { return s.SubMaxPercent == 300; }},
    {u"--cache \"/var/cache/my books\"",
     [](const TRunOptions& s) { return s.CacheFolder == u"/var/cache/my books"; }},
    {u"--jobs 4", [](const TRunOptions& s) { return s.Jobs == 4; }},
    {u"--jobs 9", [](const TRunOptions& s) { return s.Jobs == 1; }},
    // Anything else is ignored.
    {u"# -o", [](const TRunOptions& s) { return !s.ToStdout; }},
    {u" -o", [](const TRunOptions& s) { return !s.ToStdout; }},
};

TEST(ApplyConfigLine, EachLineHasItsEffect) {
  for (const LineCase& c : kLineCases) {
    TRunOptions options;
    ApplyConfigLine(c.line, options);
    EXPECT_TRUE(c.holds(options)) << "line: " << ToUtf8(c.line);
  }
}

TEST(ReadConfigFile, AppliesEveryLineOfAMarkedFile) {
  testing::ScopedTempDir dir;
  const std::u16string text = u"-k ключ\r\n\r\n-t Привет\r\n-t мир\n-fr 44\n-isb";
  const std::string name = testing::WriteFile(dir.File("a.cfg"), "\xFF\xFE" + EncodeCodePage(text, 1200));
  TRunOptions options;
  ReadConfigFile(ToUtf16(name), options);
  EXPECT_EQ(options.ApiKey, u"ключ");
  EXPECT_EQ(options.CommandText, u"Привет\r\nмир");
  EXPECT_EQ(options.FrequencyOption, 44);
  EXPECT_TRUE(options.IgnoreSquareBrackets);
  // Each option is kept as the line gave it, cleaned, under its name in the option table.
  ASSERT_EQ(options.Given.size(), 5u);
  EXPECT_EQ(options.Given[0].Name, u"-k");
  EXPECT_EQ(options.Given[0].Value, u"ключ");
  EXPECT_EQ(options.Given[3].Name, u"-fr");
  EXPECT_EQ(options.Given[3].Value, u"44");
  EXPECT_EQ(options.Given[4].Name, u"-isb");
  EXPECT_EQ(options.Given[4].Source, TOptionSource::ConfigFile);
}

TEST(ReadConfigFile, UnmarkedUtf8AndUnreadableFiles) {
  testing::ScopedTempDir dir;
  const std::string utf8 = testing::WriteFile(dir.File("u.cfg"), ToUtf8(u"-w /tmp/звук.wav\n"));
  TRunOptions options;
  ReadConfigFile(ToUtf16(utf8), options);
  EXPECT_EQ(options.OutputFileName, u"/tmp/звук.wav");
  ReadConfigFile(ToUtf16(dir.File("none.cfg")), options);
  ReadConfigFile(ToUtf16(dir.Path().string()), options);
  EXPECT_EQ(options.OutputFileName, u"/tmp/звук.wav");
}

}  // namespace
}  // namespace sonacli
