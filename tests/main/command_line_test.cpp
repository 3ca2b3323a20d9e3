#include "main/command_line.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"
#include "main/option_table.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

using Args = std::vector<std::u16string>;
using Lines = std::vector<std::u16string>;

TRunOptions g_parsed;  // the options of the last Parse

TRunOptions Parse(const Args& args) {
  g_parsed = TRunOptions{};
  ReadCommandLine(args, g_parsed);
  return g_parsed;
}

// The options of the last Parse.
const TRunOptions& Parsed() {
  return g_parsed;
}

TEST(UserConfigFile, XdgConfigHomeOrTheConfigFolderOfHome) {
  EXPECT_EQ(UserConfigFile(u"/x/conf", u"/home/u"), u"/x/conf/sonacli/sonacli.cfg");
  EXPECT_EQ(UserConfigFile(u"/x/conf/", u""), u"/x/conf/sonacli/sonacli.cfg");
  EXPECT_EQ(UserConfigFile(u"", u"/home/u"), u"/home/u/.config/sonacli/sonacli.cfg");
  EXPECT_EQ(UserConfigFile(u"relative", u"/home/u"), u"/home/u/.config/sonacli/sonacli.cfg");
  EXPECT_EQ(UserConfigFile(u"", u""), u"");
}

TEST(ReadCommandLine, UnknownOptionsAreNotedInOrder) {
  Parse({u"--sub-fitt", u"-t", u"-x", u"-5", u"-", u"word", u"-ZZ", u"--JOBS", u"2"});
  EXPECT_EQ(Parsed().UnknownOptions, (Args{u"--sub-fitt", u"-ZZ"}));
  EXPECT_EQ(Parsed().CommandText, u"-x");
  EXPECT_EQ(Parsed().Jobs, 2);
}

TEST(ReadCommandLine, NamesIgnoreCaseAndValuesKeepTheirs) {
  TRunOptions options =
      Parse({u"-K", u"AbC", u"-L", u"RU-RU", u"-N", u"Alena", u"-W", u"Out.WAV", u"-Enc", u"UTF8"});
  EXPECT_EQ(Parsed().ApiKey, u"AbC");
  EXPECT_EQ(options.LanguageText, u"ru-ru");
  EXPECT_EQ(options.VoiceText, u"alena");
  EXPECT_EQ(Parsed().OutputFileName, u"Out.WAV");
  EXPECT_TRUE(options.ForceEncoding);
  EXPECT_EQ(options.ForcedEncoding, TEncoding::Utf8);
}

TEST(ReadCommandLine, OptionWithoutItsArgumentAtTheEndDoesNothing) {
  EXPECT_EQ(Parse({u"-l"}).LanguageText, u"ru-ru");
  Parse({u"-k", u"first", u"-k"});
  EXPECT_EQ(Parsed().ApiKey, u"first");
}

TEST(ReadCommandLine, ConsumedArgumentIsNeverAnOption) {
  TRunOptions options = Parse({u"-t", u"-o", u"-ln", u"-5", u"-w", u"-h"});
  EXPECT_EQ(options.CommandText, u"-o");
  EXPECT_FALSE(Parsed().ToStdout);
  EXPECT_TRUE(Parsed().LineSelections.empty());
  EXPECT_EQ(Parsed().OutputFileName, u"-h");
  EXPECT_FALSE(options.UsageRequested);
}

TEST(ReadCommandLine, TextsJoinAndTheLastSourceWins) {
  TRunOptions text = Parse({u"-t", u"Hello", u"-t", u"World"});
  EXPECT_EQ(text.CommandText, u"Hello\r\nWorld");
  EXPECT_TRUE(text.TextFromCommandLine);
  EXPECT_EQ(text.SourceKind, TSourceKind::CommandText);
  TRunOptions clip = Parse({u"-f", u"a.txt", u"-c"});
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
  EXPECT_EQ(Parse({u"--cache", u"Books/Cache"}).CacheFolder, u"Books/Cache");
}

TEST(ReadCommandLine, EveryOptionIsKeptAsGivenUsableOrNot) {
  const TRunOptions options =
      Parse({u"--JOBS", u"9", u"stray", u"-fr", u"16k", u"-dp", u"-K", u"AbC", u"-t", u"-o", u"-l"});
  const std::vector<std::pair<std::u16string, std::u16string>> expected = {
      {u"--jobs", u"9"}, {u"-fr", u"16k"}, {u"-dp", u""}, {u"-k", u"AbC"}, {u"-t", u"-o"}};
  std::vector<std::pair<std::u16string, std::u16string>> given;
  for (const TGivenOption& option : options.Given) {
    given.emplace_back(option.Name, option.Value);
    EXPECT_EQ(option.Source, TOptionSource::CommandLine);
  }
  EXPECT_EQ(given, expected);
}

TEST(ReadCommandLine, EncodingAndFormatNames) {
  TRunOptions options = Parse({u"-enc", u"utf8", u"--encoding", u"cp1251"});
  EXPECT_FALSE(options.ForceEncoding);
  options = Parse(
      {u"--encoding", u"Unicode", u"--lrc-enc", u"UTF8", u"--srt-enc", u"unicode", u"--lrc-enc", u"koi8"});
  EXPECT_TRUE(options.ForceEncoding);
  EXPECT_EQ(options.ForcedEncoding, TEncoding::Utf16LE);
  EXPECT_EQ(Parsed().LrcData.Encoding, TSyncEncoding::Utf8);
  EXPECT_EQ(Parsed().SrtData.Encoding, TSyncEncoding::Utf16LE);
  Parse({u"--sub-format", u"VTT", u"--sub-format", u"mkv"});
  EXPECT_EQ(Parsed().SubtitleFormat, TSubtitleFormat::Vtt);
  Parse({u"--sub-format", u"ass"});
  EXPECT_EQ(Parsed().SubtitleFormat, TSubtitleFormat::Ass);
}

TEST(ReadCommandLine, LineSelectionsAreNormalised) {
  Parse({u"-ln", u"12-79", u"-ln", u"007", u"-ln", u"0", u"-ln", u"5-", u"-ln", u"-5", u"-ln", u"3-0", u"-ln",
         u"x", u"-ln", u"02-010"});
  EXPECT_EQ(Parsed().LineSelections, (Lines{u"12-79", u"7", u"2-10"}));
}

TEST(ReadCommandLine, EverySwitchSetsItsSetting) {
  struct Case {
    const char16_t* name;
    bool TRunOptions::*flag;
  };
  const Case cases[] = {
      {u"-o", &TRunOptions::ToStdout},
      {u"-lrc", &TRunOptions::LrcEnabled},
      {u"-srt", &TRunOptions::SrtEnabled},
      {u"-sub", &TRunOptions::SubtitleMode},
      {u"-dp", &TRunOptions::ShowProgress},
      {u"-stereo", &TRunOptions::Stereo},
      {u"-isb", &TRunOptions::IgnoreSquareBrackets},
      {u"--ignore-square-brackets", &TRunOptions::IgnoreSquareBrackets},
      {u"-icb", &TRunOptions::IgnoreCurlyBrackets},
      {u"--ignore-curly-brackets", &TRunOptions::IgnoreCurlyBrackets},
      {u"-iab", &TRunOptions::IgnoreAngleBrackets},
      {u"--ignore-angle-brackets", &TRunOptions::IgnoreAngleBrackets},
      {u"-irb", &TRunOptions::IgnoreRoundBrackets},
      {u"--ignore-round-brackets", &TRunOptions::IgnoreRoundBrackets},
      {u"-iu", &TRunOptions::IgnoreUrls},
      {u"--ignore-url", &TRunOptions::IgnoreUrls},
      {u"-ic", &TRunOptions::IgnoreComments},
      {u"--IGNORE-COMMENTS", &TRunOptions::IgnoreComments},
      {u"--raw", &TRunOptions::RawOutput},
      {u"--ignore-length", &TRunOptions::OmitDataLength},
      {u"-il", &TRunOptions::OmitDataLength},
      {u"--sub-fit", &TRunOptions::SubFit},
      {u"-sf", &TRunOptions::SubFit},
  };
  for (const Case& c : cases) {
    Parse({u"-x", c.name});
    EXPECT_TRUE(Parsed().*c.flag) << ToUtf8(c.name);
  }
  EXPECT_TRUE(Parse({u"-?"}).UsageRequested);
  EXPECT_TRUE(Parse({u"-H"}).UsageRequested);
  EXPECT_TRUE(Parse({u"-M"}).ListRequested);
  Parse({u"--lrc-sent"});
  EXPECT_EQ(Parsed().LrcBlankLines, TLrcBlankLines::AfterSentences);
  Parse({u"--lrc-sent", u"--lrc-para"});
  EXPECT_EQ(Parsed().LrcBlankLines, TLrcBlankLines::AfterParagraphs);
}

TEST(ReadCommandLine, TextOptionsStoreTheirValues) {
  TRunOptions options = Parse({u"-host",
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
  EXPECT_EQ(options.EmotionText, u"good");
  EXPECT_EQ(options.RateText, u"1.50");
  EXPECT_EQ(options.VolumeText, u"90");
  EXPECT_TRUE(Parsed().ApiKey.empty());  // "-k" was the argument of -cfg
}

TEST(ReadCommandLine, ListFileAddsItsNonEmptyLines) {
  testing::ScopedTempDir dir;
  const std::string list =
      testing::WriteFile(dir.File("list.txt"), "\xEF\xBB\xBF" + ToUtf8(u"a.txt\r\n\r\nпапка/b c.txt\n"));
  TRunOptions options =
      Parse({u"-f", u"first.txt", u"-fl", ToUtf16(list), u"-fl", ToUtf16(dir.File("none.txt"))});
  EXPECT_EQ(options.InputFileNames, (Lines{u"first.txt", u"a.txt", u"папка/b c.txt"}));
  // The files of a list start chapters; a file given with -f does not.
  EXPECT_EQ(options.InputFileChapters, (std::vector<bool>{false, true, true}));
  EXPECT_EQ(options.SourceKind, TSourceKind::Files);
  // The missing list is kept for the run to report, the first failure only.
  EXPECT_EQ(options.ListFileError, u"List file not found: none.txt");
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
