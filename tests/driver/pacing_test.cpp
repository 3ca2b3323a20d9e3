#include "driver/pacing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "audio/silence.h"
#include "common/unicode_text.h"
#include "dict/dictionary_set.h"
#include "driver/subtitle_driver.h"
#include "driver/text_driver.h"
#include "raw_pcm_speech.h"
#include "testing/fake_clock.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

// Every wait of a row lies in [low, high]; over many draws both ends occur.
TEST(Pacing, WaitsFollowTheTable) {
  struct Row {
    const char* name;
    bool isLast, legacyKey;
    int32_t delayMs;
    int32_t low, high;
  };
  const Row rows[] = {
      {"cloud", false, false, 0, 5, 9},      {"cloud, -dbr 300", false, false, 300, 305, 309},
      {"cloud, last", true, false, 0, 5, 9}, {"legacy, last", true, true, 300, 110, 179},
      {"legacy", false, true, 0, 110, 179},  {"legacy, -dbr 300", false, true, 300, 350, 419},
  };
  TRandom random(1);
  for (const Row& row : rows) {
    int32_t seenLow = 1 << 30, seenHigh = -1;
    for (int i = 0; i < 2000; ++i) {
      const int32_t wait = AfterRequestWaitMs(random, row.isLast, row.legacyKey, row.delayMs);
      seenLow = std::min(seenLow, wait);
      seenHigh = std::max(seenHigh, wait);
    }
    EXPECT_EQ(seenLow, row.low) << row.name;
    EXPECT_EQ(seenHigh, row.high) << row.name;
  }
  int32_t seenLow = 1 << 30, seenHigh = -1;
  for (int i = 0; i < 2000; ++i) {
    seenLow = std::min(seenLow, BetweenPiecesWaitMs(random));
    seenHigh = std::max(seenHigh, BetweenPiecesWaitMs(random));
  }
  EXPECT_EQ(seenLow, 110);
  EXPECT_EQ(seenHigh, 179);
}

TEST(Pacing, PacerDrawsFromItsGeneratorAndSleepsOnItsClock) {
  TFakeClock clock(0);
  TRandom random(3);
  TRandom same(3);
  TPacer pacer(clock, random, /*legacyKey=*/true, /*requestDelayMs=*/1000);
  EXPECT_EQ(pacer.BetweenPiecesMs(), BetweenPiecesWaitMs(same));
  EXPECT_EQ(pacer.AfterRequestMs(true), AfterRequestWaitMs(same, true, true, 1000));
  EXPECT_TRUE(clock.SleepLengths().empty());
  pacer.PauseAfterRequest(false);
  EXPECT_EQ(clock.SleepLengths(), std::vector<int32_t>{AfterRequestWaitMs(same, false, true, 1000)});
}

// The whole timeline of a run with one request at a time, on a clock that moves only when it is
// slept on: every wait (by the range of lengths the pacing table gives it) and every request, in
// order. Text mode waits before every piece (not before one answered from the cache) and after
// every request sent; subtitle mode waits before every subtitle and after every request sent.
class TTimedService final : public TSynthesisService {
 public:
  explicit TTimedService(TTickClock& clock) : clock_(clock) {}

  TSynthesisAnswer Synthesize(const TSynthesisRequest& request, const TAnswerUse& use,
                              std::stop_token) override {
    {
      std::lock_guard lock(mutex_);  // with more than one job, requests come from several threads
      Starts.emplace_back(clock_.TickCountMs(), ToUtf8(request.Text));
    }
    return Speech(request, use);
  }
  bool HasCachedAnswer(const TSynthesisRequest& request) const override { return request.Text == Cached; }
  std::optional<TSynthesisAnswer> CachedAnswer(const TSynthesisRequest& request,
                                               const TAnswerUse& use) override {
    if (!HasCachedAnswer(request)) return std::nullopt;
    TSynthesisAnswer answer = Speech(request, use);
    answer.FromCache = true;
    return answer;
  }

  std::u16string Cached;
  std::vector<std::pair<int64_t, std::string>> Starts;  // (clock time, text) of every request sent

 private:
  // 10 ms of silence per character.
  static TSynthesisAnswer Speech(const TSynthesisRequest& request, const TAnswerUse& use) {
    return SpokenAnswer(std::string(size_t(2 * 240 * request.Text.size()), '\0'), use);
  }

  TTickClock& clock_;
  std::mutex mutex_;
};

// The waits and requests of a run in the order of the clock: "send <text>" ("send probe" for the
// first), and for each wait the range of the table it falls in.
std::vector<std::string> Timeline(const TFakeClock& clock, const TTimedService& service,
                                  const std::vector<std::pair<int32_t, int32_t>>& ranges) {
  std::vector<std::string> events;
  size_t next = 0;
  auto sendsUntil = [&](int64_t now) {
    for (; next < service.Starts.size() && service.Starts[next].first <= now; ++next) {
      events.push_back("send " + (next == 0 ? std::string("probe") : service.Starts[next].second));
    }
  };
  int64_t now = 0;
  for (const int32_t ms : clock.SleepLengths()) {
    sendsUntil(now);
    std::string label = "wait " + std::to_string(ms);
    for (const auto& [low, high] : ranges) {
      if (ms >= low && ms <= high) label = "wait " + std::to_string(low) + "-" + std::to_string(high);
    }
    events.push_back(label);
    now += ms;
  }
  sendsUntil(now);
  return events;
}

// Only the waits of a timeline.
std::vector<std::string> WaitsOf(std::vector<std::string> timeline) {
  std::erase_if(timeline, [](const std::string& event) { return event.starts_with("send "); });
  return timeline;
}

TEST(Pacing, TimelineOfOneRequestAtATime) {
  testing::ScopedTempDir dir;
  std::string beep;
  ASSERT_TRUE(MakeSilence(beep, {24000, 1, 16}, 50));
  const std::u16string text = u"One.{{pause=250}}Two.{{audio=" +
                              ToUtf16(testing::WriteFile(dir.File("beep.wav"), beep)) +
                              u"}}...{{pause=100}}Three.";
  const SubtitleList subtitles = {
      {1000, 2000, u"One. {{lang=en-US}}Two."}, {3000, 4000, u"..."}, {5000, 6000, u"Three. {{pause=500}}"}};
  // With -dbr 300 a cloud key waits 305-309 ms after a request; with -dbr 1000 a legacy key waits
  // 1050-1119 ms, but 110-179 ms after the last request (of the text, or of its subtitle).
  const std::vector<std::pair<int32_t, int32_t>> cloud = {{110, 179}, {305, 309}};
  const std::vector<std::pair<int32_t, int32_t>> legacy = {{110, 179}, {1050, 1119}};
  struct Row {
    const char* name;
    bool subtitles;
    bool legacyKey;
    const char16_t* cached;
    std::vector<std::string> timeline;
  };
  const Row rows[] = {
      {"text, cloud key",
       false,
       false,
       u"",
       {"send probe", "wait 305-309", "wait 110-179", "send One.", "wait 305-309", "wait 110-179",
        "wait 110-179", "send Two.", "wait 305-309", "wait 110-179", "wait 110-179", "wait 110-179",
        "wait 110-179", "send Three.", "wait 305-309"}},
      {"text, cloud key, a piece in the cache",
       false,
       false,
       u"Two.",
       {"send probe", "wait 305-309", "wait 110-179", "send One.", "wait 305-309", "wait 110-179",
        "wait 110-179", "wait 110-179", "wait 110-179", "wait 110-179", "send Three.", "wait 305-309"}},
      {"text, legacy key",
       false,
       true,
       u"",
       {"send probe", "wait 1050-1119", "wait 110-179", "send One.", "wait 1050-1119", "wait 110-179",
        "wait 110-179", "send Two.", "wait 1050-1119", "wait 110-179", "wait 110-179", "wait 110-179",
        "wait 110-179", "send Three.", "wait 110-179"}},
      {"subtitles, cloud key, a piece in the cache",
       true,
       false,
       u"Two.",
       {"send probe", "wait 305-309", "wait 110-179", "send One.", "wait 305-309", "wait 110-179",
        "wait 110-179", "send Three.", "wait 305-309"}},
      {"subtitles, legacy key",
       true,
       true,
       u"",
       {"send probe", "wait 1050-1119", "wait 110-179", "send One.", "wait 1050-1119", "send Two.",
        "wait 110-179", "wait 110-179", "wait 110-179", "send Three.", "wait 110-179"}},
  };
  for (const Row& row : rows) {
    for (const int32_t jobs : {1, 3}) {
      SCOPED_TRACE(std::string(row.name) + ", --jobs " + std::to_string(jobs));
      TSettings settings;
      settings.Jobs = jobs;
      settings.ApiKey = row.legacyKey ? u"0123abcd-89ab-cdef-0123-456789abcdef" : u"AQVN-unit-test-key";
      settings.LanguageCode = u"ru-RU";
      settings.VoiceName = row.legacyKey ? u"zahar" : u"oksana";
      settings.EmotionName = u"neutral";
      settings.RequestDelayMs = row.legacyKey ? 1000 : 300;
      settings.SubtitleMode = row.subtitles;
      settings.OutputFileName = ToUtf16(dir.File("out.wav"));
      TFakeClock clock(0);
      TTimedService service(clock);
      service.Cached = row.cached;
      TDictionarySet dictionaries;
      TRandom random(7);
      TRunResult result;
      TDriverContext context{settings, dictionaries,     service,      clock,       random,
                             result,   kWavOutputChoice, kNoMediaTags, DecodeRawPcm};
      if (row.subtitles) {
        SpeakSubtitles(context, subtitles);
      } else {
        SpeakText(context, UserText({text}));
      }
      EXPECT_FALSE(result.ErrorReported);
      const std::vector<std::string> timeline = Timeline(clock, service, row.legacyKey ? legacy : cloud);
      if (jobs == 1) {
        EXPECT_EQ(timeline, row.timeline);
      } else {
        // Requests overlap, but the waits are those of one request at a time, in the same order.
        EXPECT_EQ(WaitsOf(timeline), WaitsOf(row.timeline));
      }
    }
  }
}

}  // namespace
}  // namespace sonacli
