#include "driver/request_sender.h"

#include <gtest/gtest.h>

#include <chrono>

#include "common/unicode_text.h"
#include "support/wait_until.h"
#include "testing/fake_clock.h"

namespace sonacli {
namespace {

using namespace std::chrono_literals;
using TNeed = TRequestSender::TNeed;

// Answers every text with itself, its language and its key, and notes when (on the test's clock)
// each request left; "Gamma" is in its cache.
class TEchoService final : public TSynthesisService {
 public:
  explicit TEchoService(TTickClock& clock) : clock_(clock) {}
  TSynthesisAnswer Synthesize(const TSynthesisRequest& request) override {
    TSynthesisAnswer answer;
    answer.FromCache = HasCachedAnswer(request);
    if (!answer.FromCache) StartsMs.push_back(clock_.TickCountMs());
    answer.Outcome = TSynthesisOutcome::Spoken;
    answer.Audio = ToUtf8(request.Text + u"|" + request.Language + u"|" + request.ApiKey);
    return answer;
  }
  bool HasCachedAnswer(const TSynthesisRequest& request) const override { return request.Text == u"Gamma"; }

  std::vector<int64_t> StartsMs;

 private:
  TTickClock& clock_;
};

class RequestSenderTest : public ::testing::Test {
 protected:
  RequestSenderTest() : service_(clock_) { settings_.ApiKey = u"key"; }

  static TPiece Speech(std::u16string text) {
    TPiece piece;
    piece.Text = std::move(text);
    piece.Language = u"en-US";
    return piece;
  }

  TFakeClock clock_{0};
  TEchoService service_;
  TSettings settings_;
  TDictionarySet dictionaries_;
  TRandom random_{1};
  TRunResult result_;
  TDriverContext context_{settings_, dictionaries_, service_, clock_, random_, result_};
};

TEST_F(RequestSenderTest, RequestsLeaveAfterTheWaitsPlannedBeforeThem) {
  TRequestSender sender(context_);
  const std::vector<TPiece> pieces = {Speech(u"Alpha"), Speech(u"..."), Speech(u"Beta"), Speech(u"Gamma"),
                                      Speech(u"Delta")};
  sender.PlanWait(100);
  ASSERT_EQ(sender.Prepare(0, pieces[0]), TNeed::Request);
  sender.PlanRequest(0);
  sender.PlanWait(7);
  EXPECT_EQ(sender.Prepare(1, pieces[1]), TNeed::Nothing);  // nothing to say: no request
  sender.PlanWait(50);
  ASSERT_EQ(sender.Prepare(2, pieces[2]), TNeed::Request);
  sender.PlanRequest(2);
  sender.PlanWait(9);
  // An answer from the cache leaves nothing: the waits around it come before the next request.
  ASSERT_EQ(sender.Prepare(3, pieces[3]), TNeed::CachedAnswer);
  sender.PlanRequest(3);
  sender.PlanWait(20);
  ASSERT_EQ(sender.Prepare(4, pieces[4]), TNeed::Request);
  sender.PlanRequest(4);
  sender.PlanWait(3);
  sender.Start();
  for (int i = 0; i < 2; ++i) EXPECT_EQ(sender.SpokenText(1), u"...");
  EXPECT_EQ(sender.SpokenText(5), u"");
  for (const size_t index : {0, 2, 3, 4}) {
    const TSynthesisAnswer answer = sender.Take(index);
    EXPECT_EQ(answer.Audio, ToUtf8(pieces[index].Text) + "|en-US|key");
    EXPECT_EQ(answer.FromCache, index == 3);
  }
  sender.Finish();
  // One job: each request leaves once the answer before it was taken and its waits have passed.
  EXPECT_EQ(service_.StartsMs, (std::vector<int64_t>{100, 157, 186}));
  EXPECT_EQ(clock_.TickCountMs(), 189);
}

TEST_F(RequestSenderTest, AnswersCountAsArrivedOnlyWhileSending) {
  settings_.Jobs = 4;
  TRequestSender sender(context_);
  EXPECT_FALSE(sender.Arrived(0));
  EXPECT_FALSE(sender.ArrivedBefore(1));
  const TPiece piece = Speech(u"Alpha");
  ASSERT_EQ(sender.Prepare(2, piece), TNeed::Request);
  sender.PlanRequest(2);
  sender.Start();
  EXPECT_TRUE(sender.ArrivedBefore(2));  // no request before piece 2
  ASSERT_TRUE(WaitUntil([&] { return sender.Arrived(2); })) << "the answer never arrived";
  EXPECT_TRUE(sender.ArrivedBefore(3));
  EXPECT_FALSE(sender.Arrived(1));
  sender.Stop();
  EXPECT_FALSE(sender.Arrived(2));
}

}  // namespace
}  // namespace sonacli
