#include "main/config_file.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"
#include "platform/text_codec.h"
#include "settings/online_global.h"
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
    {u"-o", [](const TRunState&) { return ToStdout; }},
    {u"-o ", [](const TRunState&) { return !ToStdout; }},
    {u"-O", [](const TRunState&) { return ToStdout; }},
    {u"--ignore-square-brackets", [](const TRunState&) { return IgnoreSquareBrackets; }},
    {u"-icb", [](const TRunState&) { return IgnoreCurlyBrackets; }},
    {u"-iab", [](const TRunState&) { return IgnoreAngleBrackets; }},
    {u"--ignore-round-brackets", [](const TRunState&) { return IgnoreRoundBrackets; }},
    {u"-IU", [](const TRunState&) { return IgnoreUrls; }},
    {u"--ignore-comments", [](const TRunState&) { return IgnoreComments; }},
    {u"--raw", [](const TRunState&) { return RawOutput; }},
    {u"-il", [](const TRunState&) { return OmitDataLength; }},
    {u"-dp", [](const TRunState&) { return ShowProgress; }},
    {u"-stereo", [](const TRunState& s) { return Stereo && s.RateText == u"1.0"; }},
    {u"-m", [](const TRunState& s) { return s.ListRequested; }},
    {u"-c", [](const TRunState& s) { return s.SourceKind == TSourceKind::Clipboard; }},
    {u"-i", [](const TRunState& s) { return s.SourceKind == TSourceKind::StandardInput; }},
    {u"-lrc", [](const TRunState&) { return LrcEnabled; }},
    {u"-srt", [](const TRunState&) { return SrtEnabled; }},
    {u"-sub", [](const TRunState&) { return SubtitleMode; }},
    {u"-sf", [](const TRunState&) { return SubFit; }},
    {u"-?", [](const TRunState& s) { return s.UsageRequested; }},
    {u"-h", [](const TRunState& s) { return s.UsageRequested; }},
    {u"-help", [](const TRunState& s) { return !s.UsageRequested; }},
    // Short prefixes: the value from the third character, trimmed and unquoted.
    {u"-k abc", [](const TRunState&) { return ApiKey == u"abc"; }},
    {u"-K    abc  \t", [](const TRunState&) { return ApiKey == u"abc"; }},
    {u"-k \"a b\"", [](const TRunState&) { return ApiKey == u"a b"; }},
    {u"-k \"", [](const TRunState&) { return ApiKey == u"\""; }},
    {u"-kabc", [](const TRunState&) { return ApiKey.empty(); }},
    {u"-l EN-us", [](const TRunState& s) { return s.LanguageText == u"en-us"; }},
    {u"-n Jane", [](const TRunState& s) { return s.VoiceText == u"jane"; }},
    {u"-e Evil", [](const TRunState& s) { return s.EmotionText == u"evil"; }},
    {u"-s 1.50", [](const TRunState& s) { return s.RateText == u"1.50"; }},
    {u"-v \"\"", [](const TRunState& s) { return s.VolumeText.empty(); }},
    {u"-t Hello", [](const TRunState& s) { return s.CommandText == u"Hello" && !s.TextFromCommandLine; }},
    {u"-d my.dic", [](const TRunState&) { return DictionaryFiles == Lines{u"my.dic"}; }},
    {u"-d br", [](const TRunState&) { return DictionaryFiles == Lines{u"br"} && RequestDelayMs == 0; }},
    {u"-f in.txt", [](const TRunState& s) { return s.InputFileNames == Lines{u"in.txt"}; }},
    {u"-w \"/tmp/my file.wav\"", [](const TRunState&) { return OutputFileName == u"/tmp/my file.wav"; }},
    // Long prefixes: anything may follow the name; the value comes after the first space.
    {u"-lnx 5", [](const TRunState&) { return LineSelections == Lines{u"5"}; }},
    {u"-ln 2-3",
     [](const TRunState& s) { return LineSelections == Lines{u"2-3"} && s.LanguageText == u"ru-ru"; }},
    {u"-dbr 250", [](const TRunState&) { return RequestDelayMs == 250 && DictionaryFiles.empty(); }},
    {u"-dbr -5", [](const TRunState&) { return RequestDelayMs == 0; }},
    {u"-enc utf8", [](const TRunState& s) { return s.ForceEncoding && s.EmotionText == u"neutral"; }},
    {u"--ENCODING Unicode", [](const TRunState& s) { return s.ForcedEncoding == TEncoding::Utf16LE; }},
    {u"-host my.proxy", [](const TRunState&) { return ProxySettings.Host == u"my.proxy"; }},
    {u"-port 3128", [](const TRunState&) { return ProxySettings.Port == u"3128"; }},
    {u"-fr 16", [](const TRunState&) { return FrequencyOption == 16; }},
    {u"-fr16", [](const TRunState&) { return FrequencyOption == -1; }},
    {u"-cfg other.cfg", [](const TRunState& s) { return s.InputFileNames.empty() && s.CommandText.empty(); }},
    {u"--lrc-length 40", [](const TRunState&) { return LrcData.LimitLength && LrcData.MaxLength == 40; }},
    {u"--lrc-fname \"a b.lrc\"", [](const TRunState&) { return LrcData.FileName == u"a b.lrc"; }},
    {u"--lrc-enc UTF8", [](const TRunState&) { return LrcData.Encoding == 1; }},
    {u"--lrc-offset -120", [](const TRunState&) { return LrcData.Offset == -120; }},
    {u"--lrc-artist Some One", [](const TRunState&) { return LrcData.Artist == u"Some One"; }},
    {u"--lrc-album X", [](const TRunState&) { return LrcData.Album == u"X"; }},
    {u"--lrc-title X", [](const TRunState&) { return LrcData.Title == u"X"; }},
    {u"--lrc-author X", [](const TRunState&) { return LrcData.Author == u"X"; }},
    {u"--lrc-creator X", [](const TRunState&) { return LrcData.Creator == u"X"; }},
    {u"--lrc-sentences", [](const TRunState&) { return LrcBlankLines == 1; }},
    {u"--lrc-para", [](const TRunState&) { return LrcBlankLines == 2; }},
    {u"--srt-length 25", [](const TRunState&) { return SrtData.LimitLength && SrtData.MaxLength == 25; }},
    {u"--srt-fname s.srt", [](const TRunState&) { return SrtData.FileName == u"s.srt"; }},
    {u"--srt-enc unicode", [](const TRunState&) { return SrtData.Encoding == 2; }},
    {u"--sub-format SMI", [](const TRunState&) { return SubtitleFormat == 4; }},
    {u"--sub-fit", [](const TRunState&) { return SubFit; }},
    {u"--sub-max 150%", [](const TRunState& s) { return s.SubMaxPercent == 150; }},
    {u"-sm 300", [](const TRunState& s) { return s.SubMaxPercent == 300; }},
    // Anything else is ignored.
    {u"# -o", [](const TRunState&) { return !ToStdout; }},
    {u" -o", [](const TRunState&) { return !ToStdout; }},
};

TEST(ApplyConfigLine, EachLineHasItsEffect) {
  for (const LineCase& c : kLineCases) {
    ResetSettings();
    TRunState state;
    ApplyConfigLine(c.line, state);
    EXPECT_TRUE(c.holds(state)) << "line: " << ToUtf8(c.line);
  }
}

TEST(ReadConfigFile, AppliesEveryLineOfAMarkedFile) {
  testing::ScopedTempDir dir;
  const std::u16string text = u"-k ключ\r\n\r\n-t Привет\r\n-t мир\n-fr 44\n-isb";
  const std::string name = testing::WriteFile(dir.File("a.cfg"), "\xFF\xFE" + EncodeCodePage(text, 1200));
  ResetSettings();
  TRunState state;
  ReadConfigFile(ToUtf16(name), state);
  EXPECT_EQ(ApiKey, u"ключ");
  EXPECT_EQ(state.CommandText, u"Привет\r\nмир");
  EXPECT_EQ(FrequencyOption, 44);
  EXPECT_TRUE(IgnoreSquareBrackets);
}

TEST(ReadConfigFile, UnmarkedUtf8AndUnreadableFiles) {
  testing::ScopedTempDir dir;
  const std::string utf8 = testing::WriteFile(dir.File("u.cfg"), ToUtf8(u"-w /tmp/звук.wav\n"));
  ResetSettings();
  TRunState state;
  ReadConfigFile(ToUtf16(utf8), state);
  EXPECT_EQ(OutputFileName, u"/tmp/звук.wav");
  ReadConfigFile(ToUtf16(dir.File("none.cfg")), state);
  ReadConfigFile(ToUtf16(dir.Path().string()), state);
  EXPECT_EQ(OutputFileName, u"/tmp/звук.wav");
}

}  // namespace
}  // namespace sonacli
