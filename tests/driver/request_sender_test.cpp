#include "driver/request_sender.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>

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
  TSynthesisAnswer Synthesize(const TSynthesisRequest& request, const TAnswerUse& use,
                              std::stop_token) override {
    StartsMs.push_back(clock_.TickCountMs());
    return Echo(request, use);
  }
  bool HasCachedAnswer(const TSynthesisRequest& request) const override { return request.Text == u"Gamma"; }
  std::optional<TSynthesisAnswer> CachedAnswer(const TSynthesisRequest& request,
                                               const TAnswerUse& use) override {
    if (!HasCachedAnswer(request)) return std::nullopt;
    TSynthesisAnswer answer = Echo(request, use);
    answer.FromCache = true;
    return answer;
  }

  std::vector<int64_t> StartsMs;

 private:
  static TSynthesisAnswer Echo(const TSynthesisRequest& request, const TAnswerUse& use) {
    TSynthesisAnswer answer;
    answer.Received = ToUtf8(request.Text + u"|" + request.Language + u"|" + request.ApiKey);
    if (use(answer.Received)) answer.Outcome = TSynthesisOutcome::Spoken;
    return answer;
  }

  TTickClock& clock_;
};

// The answer's bytes as its speech, in the format the run asks for, with the piece's volume change
// and channel written after them.
bool DecodeByCopy(const std::string& answer, const TSpeechTarget& target, const TVolumeAndChannel& piece,
                  TDecodedSpeech& speech) {
  speech.Format = {target.SampleRate, target.Stereo ? 2 : 1, 16};
  speech.Pcm = answer + "|" + std::to_string(piece.VolumeDelta) + "|" +
               std::to_string(static_cast<int>(piece.ChannelMode));
  return true;
}

class RequestSenderTest : public ::testing::Test {
 protected:
  RequestSenderTest() : service_(clock_) { settings_.ApiKey = u"key"; }

  static TPiece Speech(std::u16string text) {
    TPiece piece;
    piece.Text = std::move(text);
    piece.Language = u"en-US";
    piece.Volume = -30;
    piece.ChannelMode = TChannelMode::MonoToRight;
    return piece;
  }

  TFakeClock clock_{0};
  TEchoService service_;
  TSettings settings_;
  TDictionarySet dictionaries_;
  TRandom random_{1};
  TRunResult result_;
  TDriverContext context_{settings_, dictionaries_,    service_,     clock_,      random_,
                          result_,   kWavOutputChoice, kNoMediaTags, DecodeByCopy};
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
    const TPieceAnswer answer = sender.Take(index);
    ASSERT_TRUE(answer.Speech);
    // The piece's request, and its answer decoded for the run's output with its volume and channel.
    EXPECT_EQ(answer.Speech->Pcm, ToUtf8(pieces[index].Text) + "|en-US|key|-30|2");
    EXPECT_EQ(answer.Speech->Format, (TAudioFormat{24000, 1, 16}));
    EXPECT_EQ(answer.Answer.FromCache, index == 3);
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
