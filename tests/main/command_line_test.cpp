#include "main/command_line.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"
#include "main/option_table.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

using Args = std::vector<std::u16string>;
using Lines = std::vector<std::u16string>;

TRunState g_parsed;  // the state of the last Parse

TRunState Parse(const Args& args) {
  g_parsed = TRunState{};
  ReadCommandLine(args, g_parsed);
  return g_parsed;
}

// The settings of the last Parse.
const TSettings& Parsed() {
  return g_parsed.Settings;
}

TEST(ReadCommandLine, NamesIgnoreCaseAndValuesKeepTheirs) {
  TRunState state =
      Parse({u"-K", u"AbC", u"-L", u"RU-RU", u"-N", u"Alena", u"-W", u"Out.WAV", u"-Enc", u"UTF8"});
  EXPECT_EQ(Parsed().ApiKey, u"AbC");
  EXPECT_EQ(state.LanguageText, u"ru-ru");
  EXPECT_EQ(state.VoiceText, u"alena");
  EXPECT_EQ(Parsed().OutputFileName, u"Out.WAV");
  EXPECT_TRUE(state.ForceEncoding);
  EXPECT_EQ(state.ForcedEncoding, TEncoding::Utf8);
}

TEST(ReadCommandLine, OptionWithoutItsArgumentAtTheEndDoesNothing) {
  EXPECT_EQ(Parse({u"-l"}).LanguageText, u"ru-ru");
  Parse({u"-k", u"first", u"-k"});
  EXPECT_EQ(Parsed().ApiKey, u"first");
}

TEST(ReadCommandLine, ConsumedArgumentIsNeverAnOption) {
  TRunState state = Parse({u"-t", u"-o", u"-ln", u"-5", u"-w", u"-h"});
  EXPECT_EQ(state.CommandText, u"-o");
  EXPECT_FALSE(Parsed().ToStdout);
  EXPECT_TRUE(Parsed().LineSelections.empty());
  EXPECT_EQ(Parsed().OutputFileName, u"-h");
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
  EXPECT_EQ(Parsed().FrequencyOption, -1);
  EXPECT_EQ(Parsed().RequestDelayMs, 0);
  Parse({u"-fr", u"22", u"-dbr", u"70", u"-dbr", u"abc", u"--lrc-offset", u"-300", u"--lrc-offset", u"1s"});
  EXPECT_EQ(Parsed().FrequencyOption, 22);
  EXPECT_EQ(Parsed().RequestDelayMs, 70);
  EXPECT_EQ(Parsed().LrcData.Offset, -300);
  Parse({u"--lrc-length", u"20", u"--lrc-length", u"abc", u"--srt-length", u"30"});
  EXPECT_FALSE(Parsed().LrcData.LimitLength);
  EXPECT_EQ(Parsed().LrcData.MaxLength, 20);
  EXPECT_TRUE(Parsed().SrtData.LimitLength);
  EXPECT_EQ(Parsed().SrtData.MaxLength, 30);
  EXPECT_EQ(Parse({u"--sub-max", u"150%"}).SubMaxPercent, 150);
  EXPECT_EQ(Parse({u"-sm", u"120", u"--sub-max", u"%150"}).SubMaxPercent, 120);
  EXPECT_EQ(Parse({u"-sm", u"99999999999"}).SubMaxPercent, 200);
}

TEST(ReadCommandLine, JobsFromOneToEightAndTheCacheFolder) {
  const std::pair<Args, int32_t> cases[] = {
      {{u"--jobs", u"4"}, 4}, {{u"--JOBS", u"8"}, 8},   {{u"--jobs", u"3", u"--jobs", u"0"}, 3},
      {{u"--jobs", u"9"}, 1}, {{u"--jobs", u"two"}, 1}, {{u"--jobs", u"-2"}, 1}};
  for (const auto& [args, jobs] : cases) {
    Parse(args);
    EXPECT_EQ(Parsed().Jobs, jobs) << ToUtf8(args.back());
  }
  EXPECT_EQ(Parse({u"--cache", u"Books/Cache"}).Settings.CacheFolder, u"Books/Cache");
}

TEST(ReadCommandLine, EncodingAndFormatNames) {
  TRunState state = Parse({u"-enc", u"utf8", u"--encoding", u"cp1251"});
  EXPECT_FALSE(state.ForceEncoding);
  state = Parse(
      {u"--encoding", u"Unicode", u"--lrc-enc", u"UTF8", u"--srt-enc", u"unicode", u"--lrc-enc", u"koi8"});
  EXPECT_TRUE(state.ForceEncoding);
  EXPECT_EQ(state.ForcedEncoding, TEncoding::Utf16LE);
  EXPECT_EQ(Parsed().LrcData.Encoding, 1);
  EXPECT_EQ(Parsed().SrtData.Encoding, 2);
  Parse({u"--sub-format", u"VTT", u"--sub-format", u"mkv"});
  EXPECT_EQ(Parsed().SubtitleFormat, 5);
  Parse({u"--sub-format", u"ass"});
  EXPECT_EQ(Parsed().SubtitleFormat, 3);
}

TEST(ReadCommandLine, LineSelectionsAreNormalised) {
  Parse({u"-ln", u"12-79", u"-ln", u"007", u"-ln", u"0", u"-ln", u"5-", u"-ln", u"-5", u"-ln", u"3-0", u"-ln",
         u"x", u"-ln", u"02-010"});
  EXPECT_EQ(Parsed().LineSelections, (Lines{u"12-79", u"7", u"2-10"}));
}

TEST(ReadCommandLine, EverySwitchSetsItsSetting) {
  struct Case {
    const char16_t* name;
    bool TSettings::*flag;
  };
  const Case cases[] = {
      {u"-o", &TSettings::ToStdout},
      {u"-lrc", &TSettings::LrcEnabled},
      {u"-srt", &TSettings::SrtEnabled},
      {u"-sub", &TSettings::SubtitleMode},
      {u"-dp", &TSettings::ShowProgress},
      {u"-stereo", &TSettings::Stereo},
      {u"-isb", &TSettings::IgnoreSquareBrackets},
      {u"--ignore-square-brackets", &TSettings::IgnoreSquareBrackets},
      {u"-icb", &TSettings::IgnoreCurlyBrackets},
      {u"--ignore-curly-brackets", &TSettings::IgnoreCurlyBrackets},
      {u"-iab", &TSettings::IgnoreAngleBrackets},
      {u"--ignore-angle-brackets", &TSettings::IgnoreAngleBrackets},
      {u"-irb", &TSettings::IgnoreRoundBrackets},
      {u"--ignore-round-brackets", &TSettings::IgnoreRoundBrackets},
      {u"-iu", &TSettings::IgnoreUrls},
      {u"--ignore-url", &TSettings::IgnoreUrls},
      {u"-ic", &TSettings::IgnoreComments},
      {u"--IGNORE-COMMENTS", &TSettings::IgnoreComments},
      {u"--raw", &TSettings::RawOutput},
      {u"--ignore-length", &TSettings::OmitDataLength},
      {u"-il", &TSettings::OmitDataLength},
      {u"--sub-fit", &TSettings::SubFit},
      {u"-sf", &TSettings::SubFit},
  };
  for (const Case& c : cases) {
    Parse({u"-x", c.name});
    EXPECT_TRUE(Parsed().*c.flag) << ToUtf8(c.name);
  }
  EXPECT_TRUE(Parse({u"-?"}).UsageRequested);
  EXPECT_TRUE(Parse({u"-H"}).UsageRequested);
  EXPECT_TRUE(Parse({u"-M"}).ListRequested);
  Parse({u"--lrc-sent"});
  EXPECT_EQ(Parsed().LrcBlankLines, 1);
  Parse({u"--lrc-sent", u"--lrc-para"});
  EXPECT_EQ(Parsed().LrcBlankLines, 2);
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
  EXPECT_EQ(Parsed().ProxySettings.Host, u"proxy");
  EXPECT_EQ(Parsed().ProxySettings.Port, u"08080");
  EXPECT_EQ(Parsed().DictionaryFiles, (Lines{u"a.dic", u"b.rex"}));
  EXPECT_EQ(Parsed().LrcData.FileName, u"x.lrc");
  EXPECT_EQ(Parsed().LrcData.Artist + Parsed().LrcData.Album + Parsed().LrcData.Title +
                Parsed().LrcData.Author + Parsed().LrcData.Creator,
            u"ABCDE");
  EXPECT_EQ(Parsed().SrtData.FileName, u"y.srt");
  EXPECT_EQ(state.EmotionText, u"good");
  EXPECT_EQ(state.RateText, u"1.50");
  EXPECT_EQ(state.VolumeText, u"90");
  EXPECT_TRUE(Parsed().ApiKey.empty());  // "-k" was the argument of -cfg
}

TEST(ReadCommandLine, ListFileAddsItsNonEmptyLines) {
  testing::ScopedTempDir dir;
  const std::string list =
      testing::WriteFile(dir.File("list.txt"), "\xEF\xBB\xBF" + ToUtf8(u"a.txt\r\n\r\nпапка/b c.txt\n"));
  TRunState state =
      Parse({u"-f", u"first.txt", u"-fl", ToUtf16(list), u"-fl", ToUtf16(dir.File("none.txt"))});
  EXPECT_EQ(state.InputFileNames, (Lines{u"first.txt", u"a.txt", u"папка/b c.txt"}));
  EXPECT_EQ(state.SourceKind, TSourceKind::Files);
  // The missing list is kept for the run to report, the first failure only.
  EXPECT_EQ(state.ListFileError, u"List file not found: none.txt");
  EXPECT_EQ(Parse({u"-fl", ToUtf16(dir.Path().string()), u"-fl", ToUtf16(list)}).ListFileError,
            u"List file not found: " + ToUtf16(dir.Path().filename().string()));
}

TEST(FindConfigFile, DefaultsBesideTheProgramOrFollowsTheFirstCfg) {
  EXPECT_EQ(FindConfigFile({}, u"/opt/bin/sonacli"), u"/opt/bin/sonacli.cfg");
  EXPECT_EQ(FindConfigFile({u"-k"}, u"/opt/bin/sonacli.bin"), u"/opt/bin/sonacli.cfg");
  EXPECT_EQ(FindConfigFile({u"-k", u"x", u"-CFG", u"my.cfg", u"-cfg", u"other.cfg"}, u"/p/s"), u"my.cfg");
  EXPECT_EQ(FindConfigFile({u"-t", u"x", u"-cfg"}, u"/p/s"), u"/p/s.cfg");
}

}  // namespace
}  // namespace sonacli
