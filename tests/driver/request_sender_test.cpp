#include "driver/request_sender.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "common/unicode_text.h"
#include "testing/fake_clock.h"

namespace sonacli {
namespace {

using namespace std::chrono_literals;

// Answers every text with itself and notes when (on the test's clock) each request started.
class TEchoService final : public TSynthesisService {
 public:
  explicit TEchoService(TTickClock& clock) : clock_(clock) {}
  TSynthesisAnswer Synthesize(const TSynthesisRequest& request) override {
    StartsMs.push_back(clock_.TickCountMs());
    TSynthesisAnswer answer;
    answer.Outcome = TSynthesisOutcome::Spoken;
    answer.Audio = ToUtf8(request.Text) + "|" + ToUtf8(request.Language) + "|" + ToUtf8(request.ApiKey);
    return answer;
  }
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
  TRunResult result_;
  TDriverContext context_{settings_, dictionaries_, service_, clock_, result_};
};

TEST_F(RequestSenderTest, PlannedRequestsStartAfterTheWaitsOneThreadWouldSleep) {
  // One job: each request starts only after the answer before it was taken, so the clock shows
  // exactly the waits planned before each start.
  settings_.Jobs = 1;
  TRequestSender sender(context_);
  const std::vector<TPiece> pieces = {Speech(u"Alpha"), Speech(u"..."), Speech(u"Beta"), Speech(u"Gamma")};
  sender.PlanWait(100);
  ASSERT_TRUE(sender.Prepare(0, pieces[0]));
  sender.PlanRequest(0, pieces[0], 7);
  EXPECT_FALSE(sender.Prepare(1, pieces[1]));  // nothing to say: no request
  sender.PlanWait(50);
  sender.PlanWait(20);
  ASSERT_TRUE(sender.Prepare(2, pieces[2]));
  sender.PlanRequest(2, pieces[2], 9);
  ASSERT_TRUE(sender.Prepare(3, pieces[3]));
  sender.PlanRequest(3, pieces[3], 0);
  sender.Start();
  ASSERT_TRUE(sender.Pipelined());
  EXPECT_EQ(sender.SpokenText(1, pieces[1]), u"...");
  for (size_t index : {0, 2, 3}) {
    const TSynthesisAnswer answer = sender.Send(index, TSynthesisRequest());
    EXPECT_EQ(answer.Audio, ToUtf8(pieces[index].Text) + "|en-US|key");
  }
  EXPECT_EQ(service_.StartsMs, (std::vector<int64_t>{100, 177, 186}));
}

TEST_F(RequestSenderTest, ArrivalsCountOnlyForAnswersSentAhead) {
  TRequestSender sender(context_);
  const TPiece piece = Speech(u"Alpha");
  // Not started: the request is sent when asked for, and nothing counts as arrived ahead.
  TSynthesisRequest request;
  request.Text = u"now";
  EXPECT_EQ(sender.Send(0, request).Audio, "now||");
  EXPECT_FALSE(sender.Arrived(0));
  EXPECT_FALSE(sender.ArrivedBefore(1));

  settings_.Jobs = 4;
  ASSERT_TRUE(sender.Prepare(2, piece));
  sender.PlanRequest(2, piece, 0);
  sender.Start();
  EXPECT_TRUE(sender.ArrivedBefore(2));  // no request before piece 2
  for (auto end = std::chrono::steady_clock::now() + 10s; !sender.Arrived(2);) {
    ASSERT_LT(std::chrono::steady_clock::now(), end) << "the answer never arrived";
    std::this_thread::sleep_for(1ms);
  }
  EXPECT_TRUE(sender.ArrivedBefore(3));
  EXPECT_FALSE(sender.Arrived(1));
  sender.Stop();
  EXPECT_FALSE(sender.Pipelined());
  EXPECT_FALSE(sender.Arrived(2));
}

}  // namespace
}  // namespace sonacli
