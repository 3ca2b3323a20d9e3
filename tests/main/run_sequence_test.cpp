#include "main/run_sequence.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "catalogue/value_list.h"
#include "common/unicode_text.h"
#include "dict/dictionary_set.h"
#include "main/usage_text.h"
#include "platform/console.h"
#include "platform/text_codec.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

using Args = std::vector<std::u16string>;
using Lines = std::vector<std::u16string>;

struct RunResult {
  int exitCode = -1;
  std::string output;
  bool synthesized = false;
  Lines lines;  // the input text as the driver saw it
  SubtitleList subtitles;
};

// Runs the sequence in this process with a driver that records what it was handed.
class RunSequenceTest : public ::testing::Test {
 protected:
  std::u16string File(const std::string& name) const { return ToUtf16(dir_.File(name)); }
  std::u16string Write(const std::string& name, const std::string& bytes) const {
    return ToUtf16(testing::WriteFile(dir_.File(name), bytes));
  }
  // The arguments of a run that passes every check, followed by the extra ones.
  Args Valid(const Args& extra) const {
    Args args = {u"-k", u"key", u"-w", File("out.wav")};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }
  // Runs the sequence; settings_ keeps what it settled.
  RunResult Run(const Args& args) {
    RunResult result;
    TConsoleCapture capture;
    TErrorReport errors;
    TRunState state;
    const auto driver = [&result](const TSynthesisInput& input) {
      result.synthesized = true;
      result.lines = input.Lines;
      result.subtitles = input.Subtitles;
    };
    result.exitCode = RunSequence(args, File("sonacli"), driver, errors, state);
    result.output = capture.Text();
    settings_ = state.Settings;
    return result;
  }
  static std::string Joined(const Lines& lines) {
    std::string text;
    for (const std::u16string& line : lines) text += ToUtf8(line) + "\n";
    return text;
  }

  testing::ScopedTempDir dir_;
  TSettings settings_;
};

TEST_F(RunSequenceTest, ValidationStopsAtTheFirstFailureInItsOrder) {
  struct Case {
    Args args;
    const char* message;
  };
  const std::u16string out = File("out.wav");
  const Case cases[] = {
      {Valid({u"-t", u"x", u"-l", u"xx-XX", u"-n", u"nobody", u"-e", u"x"}), "Not supported language"},
      {Valid({u"-t", u"x", u"-n", u"nobody", u"-e", u"x", u"-s", u"9"}), "Unknown voice name"},
      {Valid({u"-t", u"x", u"-n", u"ermil:rc"}), "Unknown voice name"},
      {Valid({u"-t", u"x", u"-e", u"x", u"-s", u"9"}), "Unknown emotional tone"},
      {Valid({u"-t", u"x", u"-s", u"1,5", u"-v", u"x"}), "Rate value out of range"},
      {Valid({u"-t", u"x", u"-s", u"3.0006"}), "Rate value out of range"},
      {Valid({u"-t", u"x", u"-v", u"50%"}), "Wrong volume value"},
      {{u"-t", u"x", u"-k", u"key"}, "Output file name not defined"},
      {{u"-t", u"x", u"-w", out}, "API-key not defined"},
      {Valid({u"-t", u"x", u"-w", File("no/such/out.wav")}), "Output folder not found"},
      {Valid({u"-t", u"x", u"-sub"}), "Unknown format of subtitles"},
  };
  for (const Case& c : cases) {
    RunResult result = Run(c.args);
    EXPECT_EQ(result.output, std::string("\n[Error] ") + c.message + "\n");
    EXPECT_EQ(result.exitCode, 1) << c.message;
    EXPECT_FALSE(result.synthesized) << c.message;
  }
}

TEST_F(RunSequenceTest, AcceptedValuesReachTheDriverAsSettings) {
  RunResult result = Run(Valid({u"-t", u"Hi", u"-l", u"EN-us", u"-n", u"JOHN", u"-e", u"g", u"-s", u"1.50",
                                u"-v", u"500", u"-fr", u"16"}));
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output, "");
  EXPECT_TRUE(result.synthesized);
  EXPECT_EQ(result.lines, Lines{u"Hi"});
  EXPECT_EQ(settings_.LanguageCode, u"en-US");
  EXPECT_EQ(settings_.VoiceName, u"john");
  EXPECT_EQ(settings_.EmotionName, u"good");
  EXPECT_EQ(settings_.SpeechRate, u"1.50");
  EXPECT_EQ(settings_.VolumeDelta, 400);
  EXPECT_EQ(settings_.SampleRate, 16000);
  EXPECT_TRUE(Run(Valid({u"-t", u"x", u"-s", u"3.0004"})).synthesized);
  EXPECT_TRUE(Run(Valid({u"-t", u"x", u"-s", u"0.1"})).synthesized);
}

TEST_F(RunSequenceTest, UsageAndValueListEndTheRun) {
  const std::string usage = Run({}).output;
  EXPECT_TRUE(usage.starts_with("\nUsage: sonacli [options ...]\n\n  -k <key>"));
  EXPECT_EQ(Run(Valid({u"-t", u"x", u"-h", u"-m", u"-l", u"xx"})).output, usage);
  EXPECT_EQ(Run({u"-t", u""}).output, usage);  // an empty text is no input
  const std::string list = Joined(ValueListLines());
  RunResult listOnly = Run({u"-m"});
  EXPECT_EQ(listOnly.output, list);
  EXPECT_EQ(listOnly.exitCode, 0);
  RunResult toStdout = Run({u"-m", u"-t", u"x", u"-o", u"-k", u"k"});
  EXPECT_EQ(toStdout.output, list);
  EXPECT_FALSE(toStdout.synthesized);
  RunResult listThenSpeech = Run(Valid({u"-m", u"-t", u"x"}));
  EXPECT_EQ(listThenSpeech.output, list);
  EXPECT_TRUE(listThenSpeech.synthesized);
  // Validation follows the list.
  EXPECT_EQ(Run({u"-m", u"-t", u"x", u"-k", u"k"}).output, list + "\n[Error] Output file name not defined\n");
}

TEST_F(RunSequenceTest, EveryMissingInputFileIsReported) {
  RunResult result = Run(Valid({u"-f", File("a.txt"), u"-f", u"", u"-f", u"sub/b.txt"}));
  EXPECT_EQ(result.output,
            "\n[Error] Input file not found: a.txt\n[Error] Input file not found\n[Error] Input file not "
            "found: b.txt\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_FALSE(result.synthesized);
}

TEST_F(RunSequenceTest, FilesAreReadInOrderWithTwoEmptyLinesBetween) {
  const std::u16string first = Write("a.txt", EncodeCodePage(u"Один\r\nДва", 1251));
  const std::u16string second = Write("b.txt", "\xEF\xBB\xBF" + ToUtf8(u"Три"));
  RunResult result = Run(Valid({u"-f", first, u"-fl", Write("list.txt", ToUtf8(second))}));
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.lines, (Lines{u"Один", u"Два", u"", u"", u"Три"}));
}

TEST_F(RunSequenceTest, LinesAreSelectedThenFiltered) {
  const std::u16string file = Write("a.txt", "one [1]\ntwo\nthree (3)\nfour\nfive\n");
  RunResult result = Run(Valid({u"-f", file, u"-ln", u"3", u"-ln", u"1-2", u"-ln", u"9", u"-isb", u"-irb"}));
  EXPECT_EQ(result.lines, (Lines{u"three", u"one", u"two"}));
}

TEST_F(RunSequenceTest, EmptyInputEndsSilently) {
  for (const Args& args : {Valid({u"-f", Write("blank.txt", "\r\n\t\r\n\n")}), Valid({u"-t", u"\t"})}) {
    RunResult result = Run(args);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, "");
    EXPECT_FALSE(result.synthesized);
  }
}

TEST_F(RunSequenceTest, TextThatSelectionOrFiltersTakeAwayIsReported) {
  const std::u16string five = Write("five.txt", "1\n2\n3\n4\n5\n");
  for (const auto& [args, message] :
       {std::pair{Valid({u"-f", five, u"-ln", u"9"}), "No lines selected"},
        std::pair{Valid({u"-f", five, u"-ln", u"3-2"}), "No lines selected"},
        std::pair{Valid({u"-t", u"[1] (2)", u"-isb", u"-irb"}), "No text to speak"}}) {
    RunResult result = Run(args);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.output, std::string("\n[Error] ") + message + "\n");
    EXPECT_FALSE(result.synthesized);
  }
}

TEST_F(RunSequenceTest, DictionariesAreLoadedBeforeSynthesis) {
  const std::u16string dic = Write("a.dic", "\xEF\xBB\xBFhello=bye\n");
  std::u16string applied;
  TConsoleCapture quiet;
  RunSequence(Valid({u"-t", u"x", u"-d", dic}), File("sonacli"),
              [&](const TSynthesisInput& input) { applied = input.Dictionaries.Apply(u"hello"); });
  EXPECT_EQ(applied, u"bye");
}

TEST_F(RunSequenceTest, SecondRunInOneProcessGivesTheSameResult) {
  // Nothing of a run outlives it: a ".rex" rule applies once per run, however many runs there are.
  const std::u16string rex = Write("a.rex", "a=aa\n");
  const Args args = Valid({u"-t", u"a cat", u"-d", rex, u"-lrc"});
  std::vector<std::u16string> applied;
  std::vector<TSettings> settled;
  TConsoleCapture quiet;
  for (int run = 0; run < 2; ++run) {
    RunSequence(args, File("sonacli"), [&](const TSynthesisInput& input) {
      applied.push_back(input.Dictionaries.Apply(input.Lines.front()));
      settled.push_back(input.Settings);
    });
  }
  EXPECT_EQ(applied, (std::vector<std::u16string>{u"aa caat", u"aa caat"}));
  ASSERT_EQ(settled.size(), 2u);
  EXPECT_EQ(settled[1].DictionaryFiles, (Lines{rex}));
  EXPECT_EQ(settled[1].LrcData.FileName, settled[0].LrcData.FileName);
}

TEST_F(RunSequenceTest, SubtitleFilesSwitchSubtitleModeOn) {
  RunResult result = Run(Valid({u"-f", Write("a.srt", "1\n00:00:01,000 --> 00:00:02,000\nHello\n")}));
  EXPECT_TRUE(settings_.SubtitleMode);
  EXPECT_EQ(settings_.SubtitleFormat, 1);
  EXPECT_EQ(result.output, "");
  Run(Valid({u"--sub-format", u"lrc", u"-f", Write("b.VTT", "WEBVTT\n")}));
  EXPECT_EQ(settings_.SubtitleFormat, 6);
}

TEST_F(RunSequenceTest, SubtitlesAreReadJoinedAndWidenedBeforeTheOutputFolderIsChecked) {
  const std::u16string srt = Write("b.srt",
                                   "1\n00:00:01,000 --> 00:00:02,000\nI wanted to\n\n"
                                   "2\n00:00:02,500 --> 00:00:04,000\ngo home.\n");
  RunResult result = Run(Valid({u"-f", srt}));
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(result.synthesized);
  EXPECT_EQ(result.subtitles, (SubtitleList{{950, 4050, u"I wanted to go home."}}));
  // Text mode hands no subtitles on.
  EXPECT_TRUE(Run(Valid({u"-t", u"x"})).subtitles.empty());
  // Reading comes before the output folder's check, and after the input's.
  const std::u16string noFolder = File("no/such/out.wav");
  RunResult empty = Run({u"-k", u"k", u"-w", noFolder, u"-f", Write("c.vtt", "no header\n")});
  EXPECT_EQ(empty.output, "\n[Error] No text in subtitles\n");
  EXPECT_EQ(empty.exitCode, 1);
  EXPECT_FALSE(empty.synthesized);
  RunResult unknown = Run({u"-k", u"k", u"-w", noFolder, u"-sub", u"-f", Write("d.txt", "text\n")});
  EXPECT_EQ(unknown.output, "\n[Error] Unknown format of subtitles\n");
  EXPECT_EQ(Run({u"-k", u"k", u"-w", noFolder, u"-f", srt}).output, "\n[Error] Output folder not found\n");
}

TEST_F(RunSequenceTest, ConfigurationFileComesFirstAndCommandLineWins) {
  const std::u16string input = Write("in.txt", "from file");
  Write("sonacli.cfg", "-t from config\n-k filekey\n-w " + dir_.File("cfg.wav") + "\n-ln 1\n");
  RunResult result = Run({u"-f", input, u"-k", u"cli"});
  EXPECT_EQ(result.lines, Lines{u"from file"});
  EXPECT_EQ(settings_.ApiKey, u"cli");
  EXPECT_EQ(settings_.OutputFileName, File("cfg.wav"));
  EXPECT_EQ(settings_.LineSelections, Lines{u"1"});
  const std::u16string other = Write("other.cfg", "-t other\n-o\n");
  EXPECT_EQ(Run({u"-cfg", other, u"-k", u"x"}).lines, Lines{u"other"});
}

TEST_F(RunSequenceTest, CommandTextWithUtf8EncodingStaysAsTyped) {
  EXPECT_EQ(Run(Valid({u"-t", u"Привет", u"-t", u"мир", u"-enc", u"utf8"})).lines,
            (Lines{u"Привет", u"мир"}));
}

TEST_F(RunSequenceTest, StandardInputIsDecoded) {
  const std::string name = testing::WriteFile(dir_.File("in.txt"), ToUtf8(u"Привет\nмир\n"));
  int saved = dup(STDIN_FILENO);
  int fd = open(name.c_str(), O_RDONLY);
  dup2(fd, STDIN_FILENO);
  close(fd);
  RunResult result = Run(Valid({u"-i"}));
  dup2(saved, STDIN_FILENO);
  close(saved);
  EXPECT_EQ(result.lines, (Lines{u"Привет", u"мир"}));
}

TEST_F(RunSequenceTest, OutputSettingsAreSettled) {
  Run(Valid({u"-t", u"x", u"--raw", u"-il", u"-dp"}));
  EXPECT_FALSE(settings_.RawOutput);
  EXPECT_FALSE(settings_.OmitDataLength);
  EXPECT_TRUE(settings_.ShowProgress);
  EXPECT_EQ(settings_.SampleRate, 24000);
  Run({u"-t", u"x", u"-k", u"k", u"-o", u"--raw", u"-il", u"-dp"});
  EXPECT_TRUE(settings_.RawOutput);
  EXPECT_FALSE(settings_.OmitDataLength);
  EXPECT_FALSE(settings_.ShowProgress);
  Run({u"-t", u"x", u"-k", u"k", u"-o", u"-il"});
  EXPECT_TRUE(settings_.OmitDataLength);
}

TEST_F(RunSequenceTest, LrcAndSrtFilesFollowTheOutputFile) {
  Run({u"-t", u"x", u"-k", u"k", u"-o", u"-lrc"});
  EXPECT_FALSE(settings_.LrcEnabled);
  EXPECT_FALSE(settings_.SyncOutput);
  Run({u"-t", u"x", u"-k", u"k", u"-w", File("a.wav"), u"-lrc", u"--lrc-length", u"5", u"-srt",
       u"--srt-length", u"40"});
  EXPECT_TRUE(settings_.LrcEnabled);
  EXPECT_EQ(settings_.LrcData.FileName, File("a.lrc"));
  EXPECT_EQ(settings_.LrcData.MaxLength, 15);
  EXPECT_EQ(settings_.SrtData.FileName, File("a.srt"));
  EXPECT_EQ(settings_.SrtData.MaxLength, 40);
  EXPECT_TRUE(settings_.SyncOutput);
  Run({u"-t", u"x", u"-k", u"k", u"-o", u"-srt", u"--srt-fname", File("s.srt")});
  EXPECT_TRUE(settings_.SrtEnabled);
  EXPECT_EQ(settings_.SrtData.MaxLength, 15);
  EXPECT_EQ(settings_.SrtData.FileName, File("s.srt"));
  Run(Valid({u"-t", u"x", u"-srt", u"-w", File("noext")}));
  EXPECT_EQ(settings_.SrtData.FileName, File("noext.srt"));
}

TEST(SampleRateForFrequency, MapsKilohertzToTheNextSupportedRate) {
  const std::pair<int32_t, int32_t> cases[] = {
      {-1, 24000}, {0, 8000},   {8, 8000},   {10, 8000},  {11, 11025}, {15, 11025}, {16, 16000},
      {21, 16000}, {22, 22050}, {23, 22050}, {24, 24000}, {31, 24000}, {32, 32000}, {43, 32000},
      {44, 44100}, {47, 44100}, {48, 48000}, {96, 48000}, {-5, 8000}};
  for (auto [kiloHertz, rate] : cases) EXPECT_EQ(SampleRateForFrequency(kiloHertz), rate) << kiloHertz;
}

}  // namespace
}  // namespace sonacli
