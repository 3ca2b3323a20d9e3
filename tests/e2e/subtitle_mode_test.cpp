// Subtitle mode end to end: every format read and voiced at its times, the silence between and
// after the subtitles, fitting to the time a subtitle has, failures, the progress line and Ctrl+C.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "e2e/e2e_fixture.h"

namespace sonacli::testing {
namespace {

using namespace std::chrono_literals;

// The output is 24000 Hz 16-bit mono: 24 samples a millisecond.
constexpr size_t kBytesPerMs = 48;
// The stand-in's tones have an amplitude of 8000; silence written by the program is exact zero.
constexpr int kLoud = 1000;

// The largest magnitude among the samples of one millisecond.
int LevelAt(const std::string& samples, size_t ms) {
  int level = 0;
  for (size_t at = ms * kBytesPerMs; at + 1 < samples.size() && at < (ms + 1) * kBytesPerMs; at += 2) {
    int16_t sample;
    std::memcpy(&sample, samples.data() + at, 2);
    level = std::max(level, std::abs(int(sample)));
  }
  return level;
}

bool SilentBetween(const std::string& samples, size_t fromMs, size_t toMs) {
  for (size_t ms = fromMs; ms < toMs; ++ms) {
    if (LevelAt(samples, ms) != 0) return false;
  }
  return true;
}

size_t DurationMs(const std::string& samples) {
  return samples.size() / kBytesPerMs;
}

// The last 1000 ms are exact silence (the speech before them need not end on a whole millisecond).
bool EndsWithASecondOfSilence(const std::string& samples) {
  return samples.size() >= 1000 * kBytesPerMs &&
         samples.find_first_not_of('\0', samples.size() - 1000 * kBytesPerMs) == std::string::npos;
}

// Where the loud stretch that covers `fromMs` ends.
size_t LoudUntil(const std::string& samples, size_t fromMs) {
  size_t last = fromMs;
  for (size_t ms = fromMs; ms < DurationMs(samples); ++ms) {
    if (LevelAt(samples, ms) >= kLoud) last = ms;
    if (ms > last + 100) break;  // the stand-in's pauses between characters are 50 ms
  }
  return last + 1;
}

// 40 characters: 50 ms each and 100 ms of closing silence, about 2 s once trimmed.
constexpr char kFirstLine[] = "Abcdefghijklmnopqrstuvwxyzabcdefghijklm.";
constexpr char kSecondLine[] = "Nopqrstuvwxyzabcdefghijklmnopqrstuvwxyz.";

TEST_F(SonacliE2e, SubtitlesAreVoicedAtTheirTimesAndASecondOfSilenceEnds) {
  const std::string srt = Write("two.srt", Srt({{"00:00:05,000 --> 00:00:07,000", kFirstLine},
                                                {"00:00:10,000 --> 00:00:12,000", kSecondLine}}));
  const TChildResult toFile = Run({"-k", kCloudKey, "-w", File("out.wav"), "-f", srt});
  EXPECT_EQ(toFile.ExitCode, 0);
  EXPECT_EQ(toFile.Stdout, "");
  const TWavFile wav = ParseWav(ReadFile(File("out.wav")));
  ASSERT_TRUE(wav.Valid);
  EXPECT_EQ(wav.DataSize, wav.Samples.size());
  // The same timeline on standard output, raw samples streamed.
  const TChildResult toStdout = Run({"-k", kCloudKey, "-o", "--raw", "-f", srt});
  EXPECT_EQ(toStdout.ExitCode, 0);
  for (const std::string& samples : {wav.Samples, toStdout.Stdout}) {
    // 4949 ms of silence, the first speech (40 characters of 50 ms less what was trimmed).
    EXPECT_TRUE(SilentBetween(samples, 0, 4949));
    EXPECT_GE(LevelAt(samples, 4949), kLoud);
    const size_t firstEnd = LoudUntil(samples, 4949);
    EXPECT_GT(firstEnd, 4949u + 1850);
    EXPECT_LT(firstEnd, 4949u + 2000);
    // Silence up to 9949 ms, the second speech, then one second of silence.
    EXPECT_TRUE(SilentBetween(samples, firstEnd + 100, 9949));
    EXPECT_GE(LevelAt(samples, 9949), kLoud);
    const size_t secondEnd = LoudUntil(samples, 9949);
    EXPECT_GT(secondEnd, 9949u + 1850);
    EXPECT_LT(secondEnd, 9949u + 2000);
    EXPECT_TRUE(EndsWithASecondOfSilence(samples));
    EXPECT_LT(DurationMs(samples), secondEnd + 1100);
  }
  EXPECT_EQ(RequestTexts().size(), 6u);  // probe and two subtitles, twice

  // A subtitle at 0 gets no leading silence.
  const TChildResult atZero = Run({"-k", kCloudKey, "-w", File("zero.wav"), "-f",
                                   Write("zero.srt", Srt({{"00:00:00,000 --> 00:00:01,000", "Hello."}}))});
  EXPECT_EQ(atZero.ExitCode, 0);
  EXPECT_GE(LevelAt(ParseWav(ReadFile(File("zero.wav"))).Samples, 0), kLoud);
}

TEST_F(SonacliE2e, EverySubtitleFormatIsVoiced) {
  struct Case {
    const char* file;
    std::string content;
  };
  const std::string ssaEvents =
      "[Events]\r\n"
      "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\r\n"
      "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,{\\i1}One.{\\i0}\r\n"
      "Dialogue: 0,0:00:04.00,0:00:05.00,Default,,0,0,0,,Two.\r\n";
  const Case cases[] = {
      {"a.srt",
       Srt({{"00:00:01,000 --> 00:00:02,000", "<i>One.</i>"}, {"00:00:04,000 --> 00:00:05,000", "Two."}})},
      {"a.ssa", "[Script Info]\r\nScriptType: v4.00\r\n\r\n" + ssaEvents},
      {"a.ass",
       "[Script Info]\r\nScriptType: v4.00+\r\n\r\n[V4+ Styles]\r\nFormat: Name\r\nStyle: Default\r\n\r\n" +
           ssaEvents},
      {"a.smi",
       "<SAMI><BODY>\r\n<SYNC Start=1000><P>One.\r\n<SYNC Start=2000><P>&nbsp;\r\n"
       "<SYNC Start=4000><P>Two.\r\n<SYNC Start=5000><P>&nbsp;\r\n</BODY></SAMI>\r\n"},
      {"a.vtt",
       "WEBVTT\n\n1\n00:00:01.000 --> 00:00:02.000 align:start\nOne.\n\n2\n00:04.000 --> 00:05.000\nTwo.\n"},
      {"b.vtt",
       "WEBVTT\n\n00:00:01.000 --> 00:00:02.000\nOne.\n\nNOTE a comment\n\n00:00:04.000 --> "
       "00:00:05.000\nTwo.\n"},
      {"a.lrc", "[ar:Someone]\n[00:01.00]One.\n[00:02.00]\n[00:04.00]Two.\n[00:05.00]\n"},
  };
  for (const Case& c : cases) {
    const size_t before = RequestTexts().size();
    const TChildResult run = Run({"-k", kCloudKey, "-w", File("out.wav"), "-f", Write(c.file, c.content)});
    EXPECT_EQ(run.ExitCode, 0) << c.file;
    EXPECT_EQ(run.Stdout, "") << c.file;
    const std::vector<std::string> texts = RequestTexts();
    ASSERT_EQ(texts.size(), before + 3) << c.file;
    EXPECT_EQ(texts[before + 1], "One.") << c.file;
    EXPECT_EQ(texts[before + 2], "Two.") << c.file;
    const std::string samples = ParseWav(ReadFile(File("out.wav"))).Samples;
    EXPECT_TRUE(SilentBetween(samples, 0, 949)) << c.file;
    EXPECT_GE(LevelAt(samples, 949), kLoud) << c.file;
    EXPECT_TRUE(SilentBetween(samples, 1300, 3949)) << c.file;
    EXPECT_GE(LevelAt(samples, 3949), kLoud) << c.file;
  }
}

// Files as other programs write them: what is sent is the text a viewer reads, in the order it is
// shown.
TEST_F(SonacliE2e, SubtitlesOfOtherProgramsAreSpokenAsShown) {
  const std::string assHeader =
      "[Script Info]\r\nScriptType: v4.00+\r\n\r\n[Events]\r\n"
      "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\r\n";
  const std::string bilingual =
      "<SAMI><HEAD><STYLE TYPE=\"text/css\"><!--\r\n.ENCC { lang: en-US; }\r\n.FRCC { lang: fr-FR; }\r\n"
      "--></STYLE></HEAD><BODY>\r\n"
      "<SYNC Start=1000><P Class=ENCC>One.<P Class=FRCC>Un.\r\n<SYNC Start=2000><P Class=ENCC>&nbsp;\r\n"
      "<SYNC Start=2000><P Class=FRCC>&nbsp;\r\n<SYNC Start=4000><P Class=ENCC>Two &amp; three."
      "<P Class=FRCC>Deux &amp; trois.\r\n</BODY></SAMI>\r\n";
  const struct {
    const char* file;
    std::string content;
    std::vector<std::string> options;
    std::vector<std::string> texts;  // the requests after the probe
  } cases[] = {
      {"grouped.ass",
       assHeader + "Dialogue: 0,0:00:04.00,0:00:05.00,Default,,0,0,0,,Two.\r\n"
                   "Dialogue: 0,0:00:01.00,0:00:01.00,Default,,0,0,0,,Never shown.\r\n"
                   "Dialogue: 0,0:00:01.00,0:00:02.00,Sign,,0,0,0,,{\\an8}One.\r\n"
                   "Dialogue: 0,0:00:01.00,0:00:09.00,Sign,,0,0,0,,{\\p1}m 0 0 l 716 0 716 70 0 70{\\p0}\r\n",
       {},
       {"One.", "Two."}},
      {"markup.srt",
       Srt({{"00:00:01.000 --> 00:00:02.000", "{\\an8}2<3,5>1.\\NYes."},
            {"00:00:04,000 --> 00:00:04,000", "Never shown."},
            {"00:00:04.000 --> 00:00:05.000", "<i>Two</i>\\hdays."}}),
       {},
       {"2<3,5>1. Yes.", "Two days."}},
      {"entities.vtt",
       "WEBVTT\n\n00:00:01.000 --> 00:00:02.000\nTom &amp; Jerry &lt;3.\n\n00:04.000 --> "
       "00:05.000\n&quot;Two.&quot;\n",
       {},
       {"Tom & Jerry <3.", "\"Two.\""}},
      {"first.smi", bilingual, {}, {"One.", "Two & three."}},
      {"second.smi", bilingual, {"--smi-class", "frcc"}, {"Un.", "Deux & trois."}},
      {"enhanced.lrc",
       "[ar:Someone]\n[offset:500]\n[00:01.50]<00:01.50>One <00:01.90>word.\n[00:02.50]\n"
       "[00:04.50]<00:04.50>Two.<00:05.00>\n",
       {},
       {"One word.", "Two."}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const size_t before = RequestTexts().size();
    std::vector<std::string> args = {"-k", kCloudKey, "-w", File("out.wav"), "-f", Write(c.file, c.content)};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const TChildResult run = Run(args);
    EXPECT_EQ(run.ExitCode, 0) << run.Stdout;
    const std::vector<std::string> texts = RequestTexts();
    ASSERT_GE(texts.size(), before + 1);
    EXPECT_EQ(std::vector<std::string>(texts.begin() + before + 1, texts.end()), c.texts);
    // The first speech starts at 1 s (50 ms early), the second at 4 s: none is late or early. (A
    // text may begin with a character the stand-in does not sound.)
    const std::string samples = ParseWav(ReadFile(File("out.wav"))).Samples;
    const auto loudWithin = [&](size_t fromMs, size_t toMs) {
      for (size_t ms = fromMs; ms < toMs; ++ms) {
        if (LevelAt(samples, ms) >= kLoud) return true;
      }
      return false;
    };
    EXPECT_TRUE(SilentBetween(samples, 0, 949));
    EXPECT_TRUE(loudWithin(949, 1049));
    EXPECT_TRUE(SilentBetween(samples, 2800, 3949));
    EXPECT_TRUE(loudWithin(3949, 4049));
  }
}

TEST_F(SonacliE2e, FittingSpeedsSpeechUpToTheTimeItHas) {
  // The last entry, 0 to 1050 ms once widened, has 1850 ms: its own time and 800 ms of the second
  // after it. Speech fitted into it may take 1887 ms (2 % more).
  const std::string srt =
      Write("fit.srt", Srt({{"00:00:00,000 --> 00:00:01,000",
                             "Abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefgh."}}));
  const auto speechMs = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = {"-k", kCloudKey, "-w", File("out.wav"), "-f", srt};
    args.insert(args.end(), extra.begin(), extra.end());
    EXPECT_EQ(Run(args).ExitCode, 0);
    const std::string samples = ParseWav(ReadFile(File("out.wav"))).Samples;
    EXPECT_TRUE(EndsWithASecondOfSilence(samples));
    return double(samples.size()) / kBytesPerMs - 1000;
  };
  const double unfitted = speechMs({});
  EXPECT_NEAR(unfitted, 3000, 50);  // 60 characters
  // Dithering in the decoder moves the trimmed end by a few windows of 0.75 ms from run to run.
  EXPECT_NEAR(speechMs({"--sub-fit"}), 1887, 10);
  EXPECT_NEAR(speechMs({"--sub-fit", "--sub-max", "150"}), unfitted / 1.386, 10);
  EXPECT_NEAR(speechMs({"--sub-fit", "--sub-max", "50"}), unfitted / 1.05, 10);  // held at 110
}

TEST_F(SonacliE2e, ProgressCountsSubtitlesAndNoSyncFilesAreWritten) {
  const std::string srt = Write("subs.srt", Srt({{"00:00:00,100 --> 00:00:00,500", "One."},
                                                 {"00:00:02,000 --> 00:00:02,500", "Two."},
                                                 {"00:00:04,000 --> 00:00:04,500", "Three."},
                                                 {"00:00:06,000 --> 00:00:06,500", "Four."}}));
  const TChildResult run = Run({"-k", kCloudKey, "-w", File("out.wav"), "-dp", "-lrc", "-srt", "-f", srt});
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_EQ(run.Stdout,
            "\r[................................] 0%"
            "\r[########........................] 25%"
            "\r[################................] 50%"
            "\r[########################........] 75%"
            "\r[################################] 100%\n");
  EXPECT_TRUE(std::filesystem::exists(File("out.wav")));
  EXPECT_FALSE(std::filesystem::exists(File("out.lrc")));
  EXPECT_FALSE(std::filesystem::exists(File("out.srt")));
}

TEST_F(SonacliE2e, UnreadableSubtitlesAreReportedBeforeAnyRequest) {
  // A file without entries, however little it holds, is reported (a text file without text ends
  // silently, but a subtitle file is expected to have some).
  const std::pair<const char*, std::string> noEntries[] = {
      {"empty.vtt", "Not WebVTT\n"}, {"zero.srt", ""}, {"mark.vtt", "\xEF\xBB\xBF"},
      {"blank.srt", "\r\n \r\n"},    {"zero.ass", ""},
  };
  for (const auto& [name, content] : noEntries) {
    const TChildResult empty = Run({"-k", kCloudKey, "-w", File("out.wav"), "-f", Write(name, content)});
    EXPECT_EQ(empty.ExitCode, 1) << name;
    EXPECT_EQ(empty.Stdout, "\n[Error] No text in subtitles\n") << name;
  }
  const TChildResult unknown = Run({"-k", kCloudKey, "-w", File("out.wav"), "-sub", "-f",
                                    Write("subs.txt", "1\n00:00:01,000 --> 00:00:02,000\nHi\n")});
  EXPECT_EQ(unknown.ExitCode, 1);
  EXPECT_EQ(unknown.Stdout, "\n[Error] Unknown format of subtitles\n");
  EXPECT_TRUE(RequestTexts().empty());
  EXPECT_FALSE(std::filesystem::exists(File("out.wav")));
}

TEST_F(SonacliE2e, InterruptedSubtitleRunSavesTheSubtitlesVoicedSoFar) {
  ScriptRules({{"Three", "\"delay_ms\":30000"}});
  const std::string srt = Write("three.srt", Srt({{"00:00:01,000 --> 00:00:02,000", "One."},
                                                  {"00:00:03,000 --> 00:00:04,000", "Two."},
                                                  {"00:00:05,000 --> 00:00:06,000", "Three."}}));
  auto child = Start({"-k", kCloudKey, "-w", File("out.wav"), "-f", srt});
  ASSERT_TRUE(WaitUntil([&] { return RequestTexts().size() >= 4; })) << "the third request never came";
  kill(child->Pid(), SIGINT);
  const TChildResult run = child->Wait();
  EXPECT_EQ(run.ExitCode, 130);
  EXPECT_EQ(run.Stdout, "");
  const TWavFile wav = ParseWav(ReadFile(File("out.wav")));
  EXPECT_EQ(wav.DataSize, wav.Samples.size());
  EXPECT_GE(LevelAt(wav.Samples, 949), kLoud);
  EXPECT_GE(LevelAt(wav.Samples, 2949), kLoud);
  EXPECT_EQ(DurationMs(wav.Samples), 4949u);
}

}  // namespace
}  // namespace sonacli::testing
