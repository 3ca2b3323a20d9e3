#include "driver/subtitle_driver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <mutex>
#include <utility>

#include "audio/audio_error.h"
#include "audio/audio_output.h"
#include "audio/silence.h"
#include "common/unicode_text.h"
#include "dict/dictionary_set.h"
#include "driver/driver_error.h"
#include "raw_pcm_speech.h"
#include "testing/fake_clock.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

constexpr int32_t kRate = 24000;
constexpr int64_t kFramesPerMs = kRate / 1000;
// The level of the fake speech: loud enough that silence trimming finds no quiet stretch in it.
constexpr int16_t kSpeechLevel = 1000;
// Fake speech per character of the text sent.
constexpr int64_t kMsPerCharacter = 20;
// Trimming cuts at least 10 ms at each end of a subtitle's speech after every piece.
constexpr int64_t kTrimmedMs = 20;

std::vector<std::string> g_errors;
void RecordError(std::u16string_view message) {
  g_errors.push_back(ToUtf8(message));
}

// An in-process service: every text is answered with 20 ms per character of a constant level,
// 24000 Hz 16-bit mono; the refused text with the service's refusal; the unconvertible text with a
// conversion failure; the silent text with an answer that breaks the service's contract: spoken,
// without audio.
class TFakeService final : public TSynthesisService {
 public:
  TSynthesisAnswer Synthesize(const TSynthesisRequest& request, const TAnswerUse& use,
                              std::stop_token) override {
    {
      // With more than one job, requests come from several threads.
      std::lock_guard lock(mutex_);
      Texts.push_back(ToUtf8(request.Text));
    }
    TSynthesisAnswer answer;
    if (request.Text == Refused) {
      answer.Outcome = TSynthesisOutcome::Rejected;
      answer.ErrorText = u"HTTP 403 - Forbidden";
      return answer;
    }
    if (request.Text == Unconvertible) throw TAudioError("Failed to initialize the resampler");
    if (request.Text == Silent) {
      answer.Outcome = TSynthesisOutcome::Spoken;
      return answer;
    }
    const int64_t frames = kMsPerCharacter * int64_t(request.Text.size()) * kFramesPerMs;
    std::string pcm;
    for (int64_t i = 0; i < frames; ++i) {
      pcm.push_back(static_cast<char>(kSpeechLevel & 0xFF));
      pcm.push_back(static_cast<char>(kSpeechLevel >> 8));
    }
    return SpokenAnswer(std::move(pcm), use);
  }

  std::vector<std::string> Texts;  // the probe first
  std::u16string Refused;
  std::u16string Unconvertible;
  std::u16string Silent;

 private:
  std::mutex mutex_;
};

// A text whose fake speech lasts `ms` once trimmed.
std::u16string SpeechOf(int64_t ms) {
  return std::u16string(size_t((ms + kTrimmedMs) / kMsPerCharacter), u'a');
}

// Stretches of equal samples: (sample value, length in ms).
using Runs = std::vector<std::pair<int16_t, double>>;

Runs RunsOf(const std::string& wav) {
  std::vector<std::pair<int16_t, int64_t>> frames;
  for (size_t at = 44; at + 1 < wav.size(); at += 2) {
    int16_t sample;
    std::memcpy(&sample, wav.data() + at, 2);
    if (frames.empty() || frames.back().first != sample) frames.emplace_back(sample, 0);
    ++frames.back().second;
  }
  Runs runs;
  for (const auto& [sample, count] : frames) runs.emplace_back(sample, double(count) / kFramesPerMs);
  return runs;
}

class SubtitleDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings_.ApiKey = u"AQVN-unit-test-key";
    settings_.LanguageCode = u"ru-RU";
    settings_.VoiceName = u"oksana";
    settings_.EmotionName = u"neutral";
    settings_.SubtitleMode = true;
    settings_.OutputFileName = ToUtf16(dir_.File("out.wav"));
  }

  // Runs the driver; the output file's runs of equal samples.
  Runs Speak(const SubtitleList& subtitles) {
    TFakeClock clock;
    result_ = TRunResult{RecordError, settings_.ToStdout};
    TRandom random(1);
    TDriverContext context{settings_, dictionaries_,    service_,     clock,       random,
                           result_,   kWavOutputChoice, kNoMediaTags, DecodeRawPcm};
    g_errors.clear();
    SpeakSubtitles(context, subtitles);
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Path())) {
      EXPECT_NE(entry.path().filename().string().front(), '.') << "temporary file left";
    }
    return RunsOf(testing::ReadFile(dir_.File("out.wav")));
  }

  testing::ScopedTempDir dir_;
  TSettings settings_;
  TDictionarySet dictionaries_;
  TFakeService service_;
  TRunResult result_;
};

TEST_F(SubtitleDriverTest, SpeechFollowsTheSubtitleTimesWithAnyNumberOfJobs) {
  const std::u16string insert = ToUtf16(testing::WriteFile(dir_.File("x.wav"), ""));
  struct Row {
    const char* name;
    SubtitleList subtitles;
    const char16_t* refused;
    Runs runs;
    std::vector<std::string> sent;  // after the probe, with one job
    std::vector<std::string> errors;
  };
  const double twoParts = 500 + 300;
  const double tagged = 20 + 20;
  const Row rows[] = {
      // 0:00:05,000 and 0:00:10,000 after the widening, with 2 s of speech each: each speech starts
      // 1 ms before its time, and a second of silence ends the output.
      {"two subtitles",
       {{4950, 7050, SpeechOf(2000)}, {9950, 12050, SpeechOf(2000)}},
       u"",
       {{0, 4949}, {kSpeechLevel, 2000}, {0, 3000}, {kSpeechLevel, 2000}, {0, 1000}},
       {ToUtf8(SpeechOf(2000)), ToUtf8(SpeechOf(2000))},
       {}},
      // A subtitle at 0 gets no leading silence; speech that runs past the next start is followed
      // directly by the next speech.
      {"at zero, running over",
       {{0, 1000, SpeechOf(3000)}, {1000, 2000, SpeechOf(1000)}},
       u"",
       {{kSpeechLevel, 4000}, {0, 1000}},
       {ToUtf8(SpeechOf(3000)), ToUtf8(SpeechOf(1000))},
       {}},
      {"pieces, tags and placeholders",
       {
           // Two parts, so two pieces: each appended answer is trimmed again.
           {1000, 3000, SpeechOf(500) + u" {{lang=en-US}}" + SpeechOf(300)},
           // Pause and audio tags add nothing in subtitle mode; only the words are spoken.
           {5000, 6000, u"bb{{pause=500}} cc{{audio=" + insert + u"}}"},
           // Nothing to say at all: 100 ms of silence stand in for it.
           {7000, 8000, u"..."},
       },
       u"",
       {{0, 999},
        {kSpeechLevel, twoParts},
        {0, 4999 - 999 - twoParts},
        {kSpeechLevel, tagged},
        // up to 6999, the placeholder, the end
        {0, 6999 - 4999 - tagged + 100 + 1000}},
       {ToUtf8(SpeechOf(500)), ToUtf8(SpeechOf(300)), "bb", "cc"},
       {}},
      // A refusal in the third subtitle keeps the two before it and its leading silence; nothing
      // after the refusal is sent. So does every other failure of a piece: none is simply missing.
      {"refusal in the third",
       {{1000, 1500, u"aaa"}, {2000, 2500, u"bbb"}, {3000, 3500, u"ccc"}, {4000, 4500, u"d"}},
       u"ccc",
       {{0, 999}, {kSpeechLevel, 40}, {0, 1999 - 1039}, {kSpeechLevel, 40}, {0, 2999 - 2039}},
       {"aaa", "bbb", "ccc"},
       {"HTTP 403 - Forbidden"}},
      {"conversion failure in the third",
       {{1000, 1500, u"aaa"}, {2000, 2500, u"bbb"}, {3000, 3500, u"boom"}, {4000, 4500, u"d"}},
       u"",
       {{0, 999}, {kSpeechLevel, 40}, {0, 1999 - 1039}, {kSpeechLevel, 40}, {0, 2999 - 2039}},
       {"aaa", "bbb", "boom"},
       {"Failed to initialize the resampler"}},
      {"answer without audio in the third",
       {{1000, 1500, u"aaa"}, {2000, 2500, u"bbb"}, {3000, 3500, u"hush"}, {4000, 4500, u"d"}},
       u"",
       {{0, 999}, {kSpeechLevel, 40}, {0, 1999 - 1039}, {kSpeechLevel, 40}, {0, 2999 - 2039}},
       {"aaa", "bbb", "hush"},
       {"No audio data"}},
  };
  service_.Silent = u"hush";
  service_.Unconvertible = u"boom";
  for (const Row& row : rows) {
    for (const int32_t jobs : {1, 4}) {
      SCOPED_TRACE(std::string(row.name) + ", --jobs " + std::to_string(jobs));
      service_.Refused = row.refused;
      service_.Texts.clear();
      settings_.Jobs = jobs;
      EXPECT_EQ(Speak(row.subtitles), row.runs);
      EXPECT_EQ(g_errors, row.errors);
      EXPECT_EQ(result_.ErrorReported, !row.errors.empty());
      ASSERT_FALSE(service_.Texts.empty());
      if (jobs == 1) {
        EXPECT_EQ(std::vector<std::string>(service_.Texts.begin() + 1, service_.Texts.end()), row.sent);
      }
    }
  }
}

// A chapter tag in a subtitle starts a chapter where that subtitle's speech starts; the tag itself
// is not spoken. Without a title the chapter is numbered.
TEST_F(SubtitleDriverTest, ChapterTagsStartChaptersAtTheirSubtitle) {
  settings_.ChapterFileName = ToUtf16(dir_.File("out.ffmeta"));
  for (const int32_t jobs : {1, 4}) {
    SCOPED_TRACE(jobs);
    settings_.Jobs = jobs;
    service_.Texts.clear();
    const Runs runs = Speak({{1000, 3000, u"{{chapter=Intro}}aaa"}, {5000, 6000, u"{{chapter=}}bbb"}});
    EXPECT_EQ(runs, (Runs{{0, 999}, {kSpeechLevel, 40}, {0, 4999 - 1039}, {kSpeechLevel, 40}, {0, 1000}}));
    EXPECT_EQ(std::vector<std::string>(service_.Texts.begin() + 1, service_.Texts.end()),
              (std::vector<std::string>{"aaa", "bbb"}));
    EXPECT_EQ(testing::ReadFile(dir_.File("out.ffmeta")),
              ";FFMETADATA1\n"
              "\n[CHAPTER]\nTIMEBASE=1/24000\nSTART=23976\nEND=119976\ntitle=Intro\n"
              "\n[CHAPTER]\nTIMEBASE=1/24000\nSTART=119976\nEND=144936\ntitle=Chapter 2\n");
  }
}

TEST_F(SubtitleDriverTest, FittingSpeedsLongSpeechUpWithinItsLimits) {
  // Entry 0..1050 ms, the last one: 1850 ms available (800 ms of the second after it), speech
  // longer than 1906 ms is fitted into 1887 ms, at most at the tempo that --sub-max allows.
  struct Case {
    bool fit;
    int32_t maxPercent;
    int64_t speechMs;
    double tempo;
  };
  const Case cases[] = {
      {false, 200, 3000, 1.0},           // without --sub-fit the speech stays as it is
      {true, 200, 1900, 1.0},            // within the threshold
      {true, 200, 3000, 3000.0 / 1887},  // fitted exactly
      {true, 110, 3000, 1.05},          {true, 150, 3000, 1.386},
      {true, 200, 6000, 1.8},  // 3.18 is held at 1.8
  };
  for (const Case& c : cases) {
    settings_.SubFit = c.fit;
    settings_.SubMaxRate = static_cast<uint8_t>(c.maxPercent);
    const Runs runs = Speak({{0, 1050, SpeechOf(c.speechMs)}});
    ASSERT_FALSE(runs.empty());
    const std::string file = testing::ReadFile(dir_.File("out.wav"));
    const double speechMs = double(file.size() - 44) / 2 / kFramesPerMs - 1000;
    EXPECT_NEAR(speechMs, double(c.speechMs) / c.tempo, 3.0) << c.maxPercent << " " << c.speechMs;
    EXPECT_EQ(runs.back().first, 0);
    EXPECT_GE(runs.back().second, 1000);
  }
}

TEST(BufferDurationMs, CountsTheSamplesTruncated) {
  const TOutputData stereo{u"", 2, 24000, 16};
  EXPECT_EQ(BufferDurationMs("", stereo), 0);
  EXPECT_EQ(BufferDurationMs(std::string(95, '\0'), stereo), 0);
  EXPECT_EQ(BufferDurationMs(std::string(96 * 1000 + 95, '\0'), stereo), 1000);
  EXPECT_EQ(BufferDurationMs(std::string(96 * 1000 + 96, '\0'), stereo), 1001);
}

}  // namespace
}  // namespace sonacli
