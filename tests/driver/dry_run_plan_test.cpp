#include "driver/dry_run_plan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "common/unicode_text.h"
#include "testing/fake_clock.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

// A service that must never be asked, with a cache that holds the answers of some texts.
class TCacheOnlyService final : public TSynthesisService {
 public:
  TSynthesisAnswer Synthesize(const TSynthesisRequest&, const TAnswerUse&, std::stop_token) override {
    ++Sent;
    return {};
  }
  bool HasCachedAnswer(const TSynthesisRequest& request) const override {
    return Cached.contains(request.Text);
  }

  std::set<std::u16string> Cached;
  int Sent = 0;
};

class DryRunPlanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TMPDIR", dir_.Path().c_str(), 1);
    settings_.ApiKey = u"AQVN-cloud-key";
    settings_.LanguageCode = u"ru-RU";
    settings_.VoiceName = u"oksana";
    settings_.EmotionName = u"neutral";
    settings_.SpeechRate = u"1.0";
    settings_.OutputFileName = ToUtf16(dir_.File("out.wav"));
    settings_.DryRun = true;
  }
  void TearDown() override { unsetenv("TMPDIR"); }

  TDriverContext Context() { return {settings_, dictionaries_, service_, clock_, random_, result_}; }
  std::vector<std::u16string> Texts(const TDryRunPlan& plan) const {
    std::vector<std::u16string> texts;
    for (const TPlannedRequest& planned : plan.Requests) texts.push_back(planned.Request.Text);
    return texts;
  }

  testing::ScopedTempDir dir_;
  TSettings settings_;
  TDictionarySet dictionaries_;
  TCacheOnlyService service_;
  TFakeClock clock_;
  TRandom random_{1};
  TRunResult result_;
};

TEST_F(DryRunPlanTest, TextPlansTheRequestsWithTheirCacheAndSendsOrMakesNothing) {
  service_.Cached = {u"Two."};
  TDriverContext context = Context();
  const TDryRunPlan plan = PlanText(
      context, UserText({u"One.{{pause=400}}Two.{{audio=chime.wav}}", u"{{lang=en-us;john;2}}Three."}));
  EXPECT_EQ(Texts(plan), (std::vector<std::u16string>{u"One.", u"Two.", u"Three."}));
  ASSERT_EQ(plan.Requests.size(), 3u);
  EXPECT_FALSE(plan.Requests[0].Cached);
  EXPECT_TRUE(plan.Requests[1].Cached);
  EXPECT_EQ(plan.Requests[2].Request.Voice, u"john");
  EXPECT_EQ(plan.Requests[2].Request.Rate, u"2");
  EXPECT_EQ(plan.Requests[2].Request.ApiKey, u"AQVN-cloud-key");
  EXPECT_EQ(plan.PausesMs, 400);
  EXPECT_EQ(plan.AudioInserts, 1u);
  EXPECT_EQ(service_.Sent, 0);
  EXPECT_FALSE(result_.ErrorReported);
  EXPECT_TRUE(std::filesystem::is_empty(dir_.Path())) << "a dry run made a file or folder";
  // One second and a half of speech at rate 1, a fifth of a second at rate 2, and the pause.
  EXPECT_EQ(EstimatedAudioMs(plan, false), 267 + 267 + 200 + 400);
}

TEST_F(DryRunPlanTest, ChaptersStartWhereTheSpeechAndPausesBeforeThemEnd) {
  TDriverContext context = Context();
  const TDryRunPlan plan =
      PlanText(context, UserText({u"{{chapter=One}}" + std::u16string(30, u'a') + u".{{pause=600}}",
                                  u"{{chapter=}}Два.{{chapter=Три}}"}));
  ASSERT_EQ(plan.Chapters.size(), 3u);
  EXPECT_EQ(plan.Chapters[0].Title, u"One");
  EXPECT_EQ(plan.Chapters[0].StartMs, 0);
  EXPECT_EQ(plan.Chapters[1].Title, u"");
  EXPECT_EQ(plan.Chapters[1].StartMs, 2067 + 600);  // 31 characters, then the pause
  EXPECT_EQ(plan.Chapters[2].Title, u"Три");
  EXPECT_EQ(plan.Chapters[2].StartMs, 2067 + 600 + 267);
  EXPECT_EQ(Texts(plan).size(), 2u);  // chapter marks are no requests
}

TEST_F(DryRunPlanTest, TextWithNothingToSayIsReportedAsARealRunReportsIt) {
  TDriverContext context = Context();
  EXPECT_TRUE(PlanText(context, UserText({u"{{lang=en-us;john}}"})).Requests.empty());
  EXPECT_TRUE(result_.ErrorReported);
}

TEST_F(DryRunPlanTest, SubtitlesKnowTheirRequestsAndArePlacedAtTheirTimes) {
  settings_.SubtitleMode = true;
  TDriverContext context = Context();
  const SubtitleList subtitles = {{1000, 2000, std::u16string(30, u'a') + u"."},
                                  {1500, 3000, u"{{chapter=Second}}Два кота."},
                                  {9000, 9500, u"{{pause=5}}"}};
  const TDryRunPlan plan = PlanSubtitles(context, subtitles);
  EXPECT_EQ(Texts(plan), (std::vector<std::u16string>{std::u16string(30, u'a') + u".", u"Два кота."}));
  ASSERT_EQ(plan.Requests.size(), 2u);
  EXPECT_EQ(plan.Requests[0].Subtitle, 0u);
  EXPECT_EQ(plan.Requests[1].Subtitle, 1u);
  EXPECT_EQ(plan.SubtitleStartsMs, (std::vector<int64_t>{1000, 1500, 9000}));
  EXPECT_EQ(service_.Sent, 0);
  // The second follows the first's speech, which runs past its start; the third, without speech,
  // is a short silence at its time; a second of silence ends the output.
  EXPECT_EQ(EstimatedAudioMs(plan, true), 9000 + 100 + 1000);
  EXPECT_EQ(EstimatedSubtitlePlacesMs(plan), (std::vector<int64_t>{1000, 3067, 9000}));
  ASSERT_EQ(plan.Chapters.size(), 1u);  // where its subtitle's speech starts
  EXPECT_EQ(plan.Chapters[0].Title, u"Second");
  EXPECT_EQ(plan.Chapters[0].StartMs, 3067);
  EXPECT_EQ(EstimatedAudioMs({}, true), 0);
}

TEST(DryRunEstimate, CharactersAndRates) {
  EXPECT_EQ(BilledCharacters(u"Кот \U0001F408"), 5);  // a surrogate pair is one character
  TSynthesisRequest request;
  request.Text = std::u16string(30, u'a');
  const std::pair<std::u16string, int64_t> rates[] = {{u"", 2000},   {u"1.0", 2000}, {u"2", 1000},
                                                      {u"+2", 1000}, {u"0.5", 4000}, {u"1,5", 2000},
                                                      {u"abc", 2000}};
  for (const auto& [rate, ms] : rates) {
    request.Rate = rate;
    EXPECT_EQ(EstimatedSpeechMs(request), ms) << ToUtf8(rate);
  }
}

}  // namespace
}  // namespace sonacli
