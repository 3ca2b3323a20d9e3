#include "main/command_line.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"
#include "main/option_table.h"
#include "settings/online_global.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

using Args = std::vector<std::u16string>;
using Lines = std::vector<std::u16string>;

TRunState Parse(const Args& args) {
  ResetSettings();
  TRunState state;
  ReadCommandLine(args, state);
  return state;
}

TEST(ReadCommandLine, NamesIgnoreCaseAndValuesKeepTheirs) {
  TRunState state =
      Parse({u"-K", u"AbC", u"-L", u"RU-RU", u"-N", u"Alena", u"-W", u"Out.WAV", u"-Enc", u"UTF8"});
  EXPECT_EQ(ApiKey, u"AbC");
  EXPECT_EQ(state.LanguageText, u"ru-ru");
  EXPECT_EQ(state.VoiceText, u"alena");
  EXPECT_EQ(OutputFileName, u"Out.WAV");
  EXPECT_TRUE(state.ForceEncoding);
  EXPECT_EQ(state.ForcedEncoding, TEncoding::Utf8);
}

TEST(ReadCommandLine, OptionWithoutItsArgumentAtTheEndDoesNothing) {
  EXPECT_EQ(Parse({u"-l"}).LanguageText, u"ru-ru");
  Parse({u"-k", u"first", u"-k"});
  EXPECT_EQ(ApiKey, u"first");
}

TEST(ReadCommandLine, ConsumedArgumentIsNeverAnOption) {
  TRunState state = Parse({u"-t", u"-o", u"-ln", u"-5", u"-w", u"-h"});
  EXPECT_EQ(state.CommandText, u"-o");
  EXPECT_FALSE(ToStdout);
  EXPECT_TRUE(LineSelections.empty());
  EXPECT_EQ(OutputFileName, u"-h");
  EXPECT_FALSE(state.UsageRequested);
}

TEST(ReadCommandLine, TextsJoinAndTheLastSourceWins) {
  TRunState text = Parse({u"-t", u"Hello", u"-t", u"World"});
  EXPECT_EQ(text.CommandText, u"Hello\r\nWorld");
  EXPECT_TRUE(text.TextFromCommandLine);
  EXPECT_EQ(text.SourceKind, TSourceKind::CommandText);
  TRunState clip = Parse({u"-f", u"a.txt", u"-c"});
  EXPECT_EQ(clip.SourceKind, TSourceKind::Clipboard);
  EXPECT_EQ(clip.InputFileNames, (Lines{u"a.txt"}));
  EXPECT_EQ(Parse({u"-c", u"-i"}).SourceKind, TSourceKind::StandardInput);
  EXPECT_EQ(Parse({u"-i", u"-f", u"b"}).SourceKind, TSourceKind::Files);
}

TEST(ReadCommandLine, UnparsableNumbersChangeNothing) {
  Parse({u"-fr", u"16k", u"-dbr", u"-50"});
  EXPECT_EQ(FrequencyOption, -1);
  EXPECT_EQ(RequestDelayMs, 0);
  Parse({u"-fr", u"22", u"-dbr", u"70", u"-dbr", u"abc", u"--lrc-offset", u"-300", u"--lrc-offset", u"1s"});
  EXPECT_EQ(FrequencyOption, 22);
  EXPECT_EQ(RequestDelayMs, 70);
  EXPECT_EQ(LrcData.Offset, -300);
  Parse({u"--lrc-length", u"20", u"--lrc-length", u"abc", u"--srt-length", u"30"});
  EXPECT_FALSE(LrcData.LimitLength);
  EXPECT_EQ(LrcData.MaxLength, 20);
  EXPECT_TRUE(SrtData.LimitLength);
  EXPECT_EQ(SrtData.MaxLength, 30);
  EXPECT_EQ(Parse({u"--sub-max", u"150%"}).SubMaxPercent, 150);
  EXPECT_EQ(Parse({u"-sm", u"120", u"--sub-max", u"%150"}).SubMaxPercent, 120);
  EXPECT_EQ(Parse({u"-sm", u"99999999999"}).SubMaxPercent, 200);
}

TEST(ReadCommandLine, EncodingAndFormatNames) {
  TRunState state = Parse({u"-enc", u"utf8", u"--encoding", u"cp1251"});
  EXPECT_FALSE(state.ForceEncoding);
  state = Parse(
      {u"--encoding", u"Unicode", u"--lrc-enc", u"UTF8", u"--srt-enc", u"unicode", u"--lrc-enc", u"koi8"});
  EXPECT_TRUE(state.ForceEncoding);
  EXPECT_EQ(state.ForcedEncoding, TEncoding::Utf16LE);
  EXPECT_EQ(LrcData.Encoding, 1);
  EXPECT_EQ(SrtData.Encoding, 2);
  Parse({u"--sub-format", u"VTT", u"--sub-format", u"mkv"});
  EXPECT_EQ(SubtitleFormat, 5);
  Parse({u"--sub-format", u"ass"});
  EXPECT_EQ(SubtitleFormat, 3);
}

TEST(ReadCommandLine, LineSelectionsAreNormalised) {
  Parse({u"-ln", u"12-79", u"-ln", u"007", u"-ln", u"0", u"-ln", u"5-", u"-ln", u"-5", u"-ln", u"3-0", u"-ln",
         u"x", u"-ln", u"02-010"});
  EXPECT_EQ(LineSelections, (Lines{u"12-79", u"7", u"2-10"}));
}

TEST(ReadCommandLine, EverySwitchSetsItsSetting) {
  struct Case {
    const char16_t* name;
    bool* flag;
  };
  const Case cases[] = {
      {u"-o", &ToStdout},
      {u"-lrc", &LrcEnabled},
      {u"-srt", &SrtEnabled},
      {u"-sub", &SubtitleMode},
      {u"-dp", &ShowProgress},
      {u"-stereo", &Stereo},
      {u"-isb", &IgnoreSquareBrackets},
      {u"--ignore-square-brackets", &IgnoreSquareBrackets},
      {u"-icb", &IgnoreCurlyBrackets},
      {u"--ignore-curly-brackets", &IgnoreCurlyBrackets},
      {u"-iab", &IgnoreAngleBrackets},
      {u"--ignore-angle-brackets", &IgnoreAngleBrackets},
      {u"-irb", &IgnoreRoundBrackets},
      {u"--ignore-round-brackets", &IgnoreRoundBrackets},
      {u"-iu", &IgnoreUrls},
      {u"--ignore-url", &IgnoreUrls},
      {u"-ic", &IgnoreComments},
      {u"--IGNORE-COMMENTS", &IgnoreComments},
      {u"--raw", &RawOutput},
      {u"--ignore-length", &OmitDataLength},
      {u"-il", &OmitDataLength},
      {u"--sub-fit", &SubFit},
      {u"-sf", &SubFit},
  };
  for (const Case& c : cases) {
    Parse({u"-x", c.name});
    EXPECT_TRUE(*c.flag) << ToUtf8(c.name);
  }
  EXPECT_TRUE(Parse({u"-?"}).UsageRequested);
  EXPECT_TRUE(Parse({u"-H"}).UsageRequested);
  EXPECT_TRUE(Parse({u"-M"}).ListRequested);
  Parse({u"--lrc-sent"});
  EXPECT_EQ(LrcBlankLines, 1);
  Parse({u"--lrc-sent", u"--lrc-para"});
  EXPECT_EQ(LrcBlankLines, 2);
}

TEST(ReadCommandLine, TextOptionsStoreTheirValues) {
  TRunState state = Parse({u"-host",
                           u"proxy",
                           u"-port",
                           u"08080",
                           u"-d",
                           u"a.dic",
                           u"-d",
                           u"b.rex",
                           u"--lrc-fname",
                           u"x.lrc",
                           u"--lrc-artist",
                           u"A",
                           u"--lrc-album",
                           u"B",
                           u"--lrc-title",
                           u"C",
                           u"--lrc-author",
                           u"D",
                           u"--lrc-creator",
                           u"E",
                           u"--srt-fname",
                           u"y.srt",
                           u"-e",
                           u"Good",
                           u"-s",
                           u"1.50",
                           u"-v",
                           u"90",
                           u"-cfg",
                           u"-k"});
  EXPECT_EQ(ProxySettings.Host, u"proxy");
  EXPECT_EQ(ProxySettings.Port, u"08080");
  EXPECT_EQ(DictionaryFiles, (Lines{u"a.dic", u"b.rex"}));
  EXPECT_EQ(LrcData.FileName, u"x.lrc");
  EXPECT_EQ(LrcData.Artist + LrcData.Album + LrcData.Title + LrcData.Author + LrcData.Creator, u"ABCDE");
  EXPECT_EQ(SrtData.FileName, u"y.srt");
  EXPECT_EQ(state.EmotionText, u"good");
  EXPECT_EQ(state.RateText, u"1.50");
  EXPECT_EQ(state.VolumeText, u"90");
  EXPECT_TRUE(ApiKey.empty());  // "-k" was the argument of -cfg
}

TEST(ReadCommandLine, ListFileAddsItsNonEmptyLines) {
  testing::ScopedTempDir dir;
  const std::string list =
      testing::WriteFile(dir.File("list.txt"), "\xEF\xBB\xBF" + ToUtf8(u"a.txt\r\n\r\nпапка/b c.txt\n"));
  TRunState state =
      Parse({u"-f", u"first.txt", u"-fl", ToUtf16(list), u"-fl", ToUtf16(dir.File("none.txt"))});
  EXPECT_EQ(state.InputFileNames, (Lines{u"first.txt", u"a.txt", u"папка/b c.txt"}));
  EXPECT_EQ(state.SourceKind, TSourceKind::Files);
}

TEST(FindConfigFile, DefaultsBesideTheProgramOrFollowsTheFirstCfg) {
  EXPECT_EQ(FindConfigFile({}, u"/opt/bin/sonacli"), u"/opt/bin/sonacli.cfg");
  EXPECT_EQ(FindConfigFile({u"-k"}, u"/opt/bin/sonacli.bin"), u"/opt/bin/sonacli.cfg");
  EXPECT_EQ(FindConfigFile({u"-k", u"x", u"-CFG", u"my.cfg", u"-cfg", u"other.cfg"}, u"/p/s"), u"my.cfg");
  EXPECT_EQ(ConfigFileName, u"my.cfg");
  EXPECT_EQ(FindConfigFile({u"-t", u"x", u"-cfg"}, u"/p/s"), u"/p/s.cfg");
}

}  // namespace
}  // namespace sonacli
