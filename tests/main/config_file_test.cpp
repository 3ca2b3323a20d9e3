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
  bool (*holds)(const TRunState& state);  // checked after the line alone was applied
};

// Each line is applied to fresh settings; the check names what it must have changed.
const LineCase kLineCases[] = {
    // Whole-line tests take no extra characters, not even a space.
    {u"-o", [](const TRunState& s) { return s.Settings.ToStdout; }},
    {u"-o ", [](const TRunState& s) { return !s.Settings.ToStdout; }},
    {u"-O", [](const TRunState& s) { return s.Settings.ToStdout; }},
    {u"--ignore-square-brackets", [](const TRunState& s) { return s.Settings.IgnoreSquareBrackets; }},
    {u"-icb", [](const TRunState& s) { return s.Settings.IgnoreCurlyBrackets; }},
    {u"-iab", [](const TRunState& s) { return s.Settings.IgnoreAngleBrackets; }},
    {u"--ignore-round-brackets", [](const TRunState& s) { return s.Settings.IgnoreRoundBrackets; }},
    {u"-IU", [](const TRunState& s) { return s.Settings.IgnoreUrls; }},
    {u"--ignore-comments", [](const TRunState& s) { return s.Settings.IgnoreComments; }},
    {u"--raw", [](const TRunState& s) { return s.Settings.RawOutput; }},
    {u"-il", [](const TRunState& s) { return s.Settings.OmitDataLength; }},
    {u"-dp", [](const TRunState& s) { return s.Settings.ShowProgress; }},
    {u"-stereo", [](const TRunState& s) { return s.Settings.Stereo && s.RateText == u"1.0"; }},
    {u"-m", [](const TRunState& s) { return s.ListRequested; }},
    {u"-c", [](const TRunState& s) { return s.SourceKind == TSourceKind::Clipboard; }},
    {u"-i", [](const TRunState& s) { return s.SourceKind == TSourceKind::StandardInput; }},
    {u"-lrc", [](const TRunState& s) { return s.Settings.LrcEnabled; }},
    {u"-srt", [](const TRunState& s) { return s.Settings.SrtEnabled; }},
    {u"-sub", [](const TRunState& s) { return s.Settings.SubtitleMode; }},
    {u"-sf", [](const TRunState& s) { return s.Settings.SubFit; }},
    {u"-?", [](const TRunState& s) { return s.UsageRequested; }},
    {u"-h", [](const TRunState& s) { return s.UsageRequested; }},
    {u"-help", [](const TRunState& s) { return !s.UsageRequested; }},
    // Short prefixes: the value from the third character, trimmed and unquoted.
    {u"-k abc", [](const TRunState& s) { return s.Settings.ApiKey == u"abc"; }},
    {u"-K    abc  \t", [](const TRunState& s) { return s.Settings.ApiKey == u"abc"; }},
    {u"-k \"a b\"", [](const TRunState& s) { return s.Settings.ApiKey == u"a b"; }},
    {u"-k \"", [](const TRunState& s) { return s.Settings.ApiKey == u"\""; }},
    {u"-kabc", [](const TRunState& s) { return s.Settings.ApiKey.empty(); }},
    {u"-l EN-us", [](const TRunState& s) { return s.LanguageText == u"en-us"; }},
    {u"-n Jane", [](const TRunState& s) { return s.VoiceText == u"jane"; }},
    {u"-e Evil", [](const TRunState& s) { return s.EmotionText == u"evil"; }},
    {u"-s 1.50", [](const TRunState& s) { return s.RateText == u"1.50"; }},
    {u"-v \"\"", [](const TRunState& s) { return s.VolumeText.empty(); }},
    {u"-t Hello", [](const TRunState& s) { return s.CommandText == u"Hello" && !s.TextFromCommandLine; }},
    {u"-d my.dic", [](const TRunState& s) { return s.Settings.DictionaryFiles == Lines{u"my.dic"}; }},
    {u"-d br",
     [](const TRunState& s) {
       return s.Settings.DictionaryFiles == Lines{u"br"} && s.Settings.RequestDelayMs == 0;
     }},
    {u"-f in.txt", [](const TRunState& s) { return s.InputFileNames == Lines{u"in.txt"}; }},
    {u"-w \"/tmp/my file.wav\"",
     [](const TRunState& s) { return s.Settings.OutputFileName == u"/tmp/my file.wav"; }},
    // Long prefixes: anything may follow the name; the value comes after the first space.
    {u"-lnx 5", [](const TRunState& s) { return s.Settings.LineSelections == Lines{u"5"}; }},
    {u"-ln 2-3",
     [](const TRunState& s) {
       return s.Settings.LineSelections == Lines{u"2-3"} && s.LanguageText == u"ru-ru";
     }},
    {u"-dbr 250",
     [](const TRunState& s) {
       return s.Settings.RequestDelayMs == 250 && s.Settings.DictionaryFiles.empty();
     }},
    {u"-dbr -5", [](const TRunState& s) { return s.Settings.RequestDelayMs == 0; }},
    {u"-enc utf8", [](const TRunState& s) { return s.ForceEncoding && s.EmotionText == u"neutral"; }},
    {u"--ENCODING Unicode", [](const TRunState& s) { return s.ForcedEncoding == TEncoding::Utf16LE; }},
    {u"-host my.proxy", [](const TRunState& s) { return s.Settings.ProxySettings.Host == u"my.proxy"; }},
    {u"-port 3128", [](const TRunState& s) { return s.Settings.ProxySettings.Port == u"3128"; }},
    {u"-fr 16", [](const TRunState& s) { return s.Settings.FrequencyOption == 16; }},
    {u"-fr16", [](const TRunState& s) { return s.Settings.FrequencyOption == -1; }},
    {u"-cfg other.cfg", [](const TRunState& s) { return s.InputFileNames.empty() && s.CommandText.empty(); }},
    {u"--lrc-length 40",
     [](const TRunState& s) { return s.Settings.LrcData.LimitLength && s.Settings.LrcData.MaxLength == 40; }},
    {u"--lrc-fname \"a b.lrc\"",
     [](const TRunState& s) { return s.Settings.LrcData.FileName == u"a b.lrc"; }},
    {u"--lrc-enc UTF8", [](const TRunState& s) { return s.Settings.LrcData.Encoding == 1; }},
    {u"--lrc-offset -120", [](const TRunState& s) { return s.Settings.LrcData.Offset == -120; }},
    {u"--lrc-artist Some One", [](const TRunState& s) { return s.Settings.LrcData.Artist == u"Some One"; }},
    {u"--lrc-album X", [](const TRunState& s) { return s.Settings.LrcData.Album == u"X"; }},
    {u"--lrc-title X", [](const TRunState& s) { return s.Settings.LrcData.Title == u"X"; }},
    {u"--lrc-author X", [](const TRunState& s) { return s.Settings.LrcData.Author == u"X"; }},
    {u"--lrc-creator X", [](const TRunState& s) { return s.Settings.LrcData.Creator == u"X"; }},
    {u"--lrc-sentences", [](const TRunState& s) { return s.Settings.LrcBlankLines == 1; }},
    {u"--lrc-para", [](const TRunState& s) { return s.Settings.LrcBlankLines == 2; }},
    {u"--srt-length 25",
     [](const TRunState& s) { return s.Settings.SrtData.LimitLength && s.Settings.SrtData.MaxLength == 25; }},
    {u"--srt-fname s.srt", [](const TRunState& s) { return s.Settings.SrtData.FileName == u"s.srt"; }},
    {u"--srt-enc unicode", [](const TRunState& s) { return s.Settings.SrtData.Encoding == 2; }},
    {u"--sub-format SMI", [](const TRunState& s) { return s.Settings.SubtitleFormat == 4; }},
    {u"--sub-fit", [](const TRunState& s) { return s.Settings.SubFit; }},
    {u"--sub-max 150%", [](const TRunState& s) { return s.SubMaxPercent == 150; }},
    {u"-sm 300", [](const TRunState& s) { return s.SubMaxPercent == 300; }},
    // Anything else is ignored.
    {u"# -o", [](const TRunState& s) { return !s.Settings.ToStdout; }},
    {u" -o", [](const TRunState& s) { return !s.Settings.ToStdout; }},
};

TEST(ApplyConfigLine, EachLineHasItsEffect) {
  for (const LineCase& c : kLineCases) {
    TRunState state;
    ApplyConfigLine(c.line, state);
    EXPECT_TRUE(c.holds(state)) << "line: " << ToUtf8(c.line);
  }
}

TEST(ReadConfigFile, AppliesEveryLineOfAMarkedFile) {
  testing::ScopedTempDir dir;
  const std::u16string text = u"-k ключ\r\n\r\n-t Привет\r\n-t мир\n-fr 44\n-isb";
  const std::string name = testing::WriteFile(dir.File("a.cfg"), "\xFF\xFE" + EncodeCodePage(text, 1200));
  TRunState state;
  ReadConfigFile(ToUtf16(name), state);
  EXPECT_EQ(state.Settings.ApiKey, u"ключ");
  EXPECT_EQ(state.CommandText, u"Привет\r\nмир");
  EXPECT_EQ(state.Settings.FrequencyOption, 44);
  EXPECT_TRUE(state.Settings.IgnoreSquareBrackets);
}

TEST(ReadConfigFile, UnmarkedUtf8AndUnreadableFiles) {
  testing::ScopedTempDir dir;
  const std::string utf8 = testing::WriteFile(dir.File("u.cfg"), ToUtf8(u"-w /tmp/звук.wav\n"));
  TRunState state;
  ReadConfigFile(ToUtf16(utf8), state);
  EXPECT_EQ(state.Settings.OutputFileName, u"/tmp/звук.wav");
  ReadConfigFile(ToUtf16(dir.File("none.cfg")), state);
  ReadConfigFile(ToUtf16(dir.Path().string()), state);
  EXPECT_EQ(state.Settings.OutputFileName, u"/tmp/звук.wav");
}

}  // namespace
}  // namespace sonacli
