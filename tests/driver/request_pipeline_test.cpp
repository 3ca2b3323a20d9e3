#include "driver/request_pipeline.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio_error.h"
#include "common/unicode_text.h"
#include "platform/interrupt.h"
#include "support/wait_until.h"
#include "testing/fake_clock.h"

namespace sonacli {
namespace {

using namespace std::chrono_literals;

// Answers every text with the bytes "answer to <text>", noting the clock's time when each request
// left. The first `Batch` requests are held until that many are in flight at once (so the width is
// reached on a slow machine too) and then answered last first; "held" waits until Release. "fail"
// fails, "throw" raises as a broken connection does. The cached text is answered from the cache
// without a request, and so would the vanished one be, but its entry is gone when it is read.
class TScriptedService final : public TSynthesisService {
 public:
  explicit TScriptedService(TTickClock& clock) : clock_(clock) {}

  TSynthesisAnswer Synthesize(const TSynthesisRequest& request, const TAnswerUse& use,
                              std::stop_token) override {
    const std::string text = ToUtf8(request.Text);
    {
      std::unique_lock lock(mutex_);
      Sent.push_back(text);
      StartsMs.push_back(clock_.TickCountMs());
      TakerBackAtStart.push_back(TakerBack);
      most_ = std::max(most_, ++inFlight_);
      const int order = started_++;
      changed_.notify_all();
      if (order < Batch && !changed_.wait_for(lock, 10s, [&] {
            return started_ >= Batch && batchDone_ + order + 1 == Batch;
          })) {
        ++timeouts_;
      }
      if (text == "held") changed_.wait(lock, [this] { return released_; });
      if (order < Batch) ++batchDone_;
      --inFlight_;
      changed_.notify_all();
    }
    if (text == "throw") throw TAudioError("Failed to initialize the resampler");
    TSynthesisAnswer answer;
    if (text == "fail") return answer;
    answer.Received = "answer to " + text;
    if (use(answer.Received)) answer.Outcome = TSynthesisOutcome::Spoken;
    return answer;
  }
  bool HasCachedAnswer(const TSynthesisRequest& request) const override {
    return ToUtf8(request.Text) == "cached" || ToUtf8(request.Text) == "vanished";
  }
  std::optional<TSynthesisAnswer> CachedAnswer(const TSynthesisRequest& request,
                                               const TAnswerUse& use) override {
    const std::string text = ToUtf8(request.Text);
    {
      std::lock_guard lock(mutex_);
      cachedReadOn_ = std::this_thread::get_id();
    }
    if (text != "cached") return std::nullopt;
    TSynthesisAnswer answer;
    answer.Outcome = TSynthesisOutcome::Spoken;
    answer.FromCache = true;
    answer.Received = "answer to " + text;
    if (!use(answer.Received)) return std::nullopt;
    return answer;
  }

  void Release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }
  int MostInFlight() {
    std::lock_guard lock(mutex_);
    return most_;
  }
  int Timeouts() {
    std::lock_guard lock(mutex_);
    return timeouts_;
  }
  std::thread::id CachedReadOn() {
    std::lock_guard lock(mutex_);
    return cachedReadOn_;
  }
  void SetTakerBack() {
    std::lock_guard lock(mutex_);
    TakerBack = true;
  }
  std::vector<std::string> SentSoFar() {
    std::lock_guard lock(mutex_);
    return Sent;
  }

  int Batch = 0;
  bool TakerBack = false;
  std::vector<std::string> Sent;  // in the order the requests left
  std::vector<int64_t> StartsMs;
  std::vector<bool> TakerBackAtStart;

 private:
  TTickClock& clock_;
  std::mutex mutex_;
  std::condition_variable changed_;
  int inFlight_ = 0;
  int most_ = 0;
  int started_ = 0;
  int batchDone_ = 0;
  int timeouts_ = 0;
  bool released_ = false;
  std::thread::id cachedReadOn_;
};

// The decode step of the tests: the bytes themselves are the speech; "answer to undecodable" is no
// audio. Notes the threads it runs on.
class TDecodeByCopy {
 public:
  TRequestPipeline::TDecode Step() {
    return [this](const std::string& received, const TVolumeAndChannel&, TDecodedSpeech& speech) {
      {
        std::lock_guard lock(mutex_);
        threads_.insert(std::this_thread::get_id());
      }
      if (received == "answer to undecodable") return false;
      speech.Format = {24000, 1, 16};
      speech.Pcm = received;
      return true;
    };
  }
  std::set<std::thread::id> Threads() {
    std::lock_guard lock(mutex_);
    return threads_;
  }

 private:
  std::mutex mutex_;
  std::set<std::thread::id> threads_;
};

// Jobs for pieces 1, 3, 5, ... (the pieces between them need no request) with these texts; the
// cached and the vanished texts are marked as answered from the cache.
std::vector<TRequestPipeline::TJob> Jobs(const std::vector<std::string>& texts,
                                         const std::vector<std::vector<int32_t>>& waitsMs = {},
                                         const std::vector<int32_t>& waitsAfterMs = {}) {
  std::vector<TRequestPipeline::TJob> jobs;
  for (size_t i = 0; i < texts.size(); ++i) {
    TRequestPipeline::TJob job;
    job.Piece = 2 * i + 1;
    job.Request.Text = ToUtf16(texts[i]);
    if (i < waitsMs.size()) job.WaitsMs = waitsMs[i];
    job.Cached = texts[i] == "cached" || texts[i] == "vanished";
    if (job.Cached) job.WaitsAfterMs = waitsAfterMs;
    jobs.push_back(std::move(job));
  }
  return jobs;
}

std::string SpeechOf(const TPieceAnswer& answer) {
  return answer.Speech ? answer.Speech->Pcm : "(none)";
}

TEST(TRequestPipeline, AnswersComeInPieceOrderWithAtMostWidthInFlight) {
  TScriptedService service(SystemTickClock());
  // The first three requests are answered last first; the cached answer takes no place among them.
  service.Batch = 3;
  const std::vector<std::string> texts = {"a", "cached", "b", "c", "d", "e", "f"};
  TDecodeByCopy decode;
  TRequestPipeline pipeline(service, SystemTickClock(), 3, decode.Step(), Jobs(texts), {});
  for (size_t i = 0; i < texts.size(); ++i) {
    const TPieceAnswer answer = pipeline.Take(2 * i + 1);
    EXPECT_TRUE(answer.Answer.Spoken()) << texts[i];
    EXPECT_EQ(SpeechOf(answer), "answer to " + texts[i]);
    EXPECT_EQ(answer.Answer.Received, "") << "the bytes are given up once decoded";
  }
  EXPECT_EQ(service.Timeouts(), 0) << "the window never held three requests at once";
  EXPECT_EQ(service.MostInFlight(), 3);
  EXPECT_THROW(pipeline.Take(15), std::logic_error);
  // The answers were decoded on the sending threads, the cached one on the taker's.
  EXPECT_EQ(decode.Threads().size(), 4u);
  EXPECT_TRUE(decode.Threads().contains(std::this_thread::get_id()));
}

// With a width of 1 the next request leaves only once the taker is done with the answer it took:
// the answer in use holds its place in the window.
TEST(TRequestPipeline, TheAnswerInUseHoldsItsPlaceInTheWindow) {
  TScriptedService service(SystemTickClock());
  TDecodeByCopy decode;
  TRequestPipeline pipeline(service, SystemTickClock(), 1, decode.Step(), Jobs({"a", "b"}), {});
  EXPECT_EQ(SpeechOf(pipeline.Take(1)), "answer to a");
  // Long enough for a thread that did not count the answer in use to send the next request.
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(service.SentSoFar(), std::vector<std::string>{"a"});
  service.SetTakerBack();
  EXPECT_EQ(SpeechOf(pipeline.Take(3)), "answer to b");
  EXPECT_EQ(service.TakerBackAtStart, (std::vector<bool>{false, true}));
}

TEST(TRequestPipeline, FailuresAndExceptionsReachTheTakerAtTheirPlace) {
  TScriptedService service(SystemTickClock());
  TDecodeByCopy decode;
  TRequestPipeline pipeline(service, SystemTickClock(), 4, decode.Step(),
                            Jobs({"a", "fail", "throw", "undecodable", "b"}), {});
  EXPECT_EQ(SpeechOf(pipeline.Take(1)), "answer to a");
  EXPECT_EQ(pipeline.Take(3).Answer.Outcome, TSynthesisOutcome::Failed);
  EXPECT_THROW(pipeline.Take(5), TAudioError);
  const TPieceAnswer undecodable = pipeline.Take(7);
  EXPECT_FALSE(undecodable.Answer.Spoken());
  EXPECT_FALSE(undecodable.Speech);
  EXPECT_EQ(SpeechOf(pipeline.Take(9)), "answer to b");
}

TEST(TRequestPipeline, StartsFollowTheirWaitsOneAfterAnotherAtAnyWidth) {
  // Cached answers take no waits; the final waits follow the last request. (With more than one
  // thread the test's clock adds up sleeps that would overlap, so only one job shows the times.)
  const std::vector<std::vector<int32_t>> waits = {{100}, {50, 20}, {}, {30}};
  for (const int32_t width : {1, 3}) {
    SCOPED_TRACE(width);
    TFakeClock clock(0);
    TScriptedService service(clock);
    TDecodeByCopy decode;
    {
      TRequestPipeline pipeline(service, clock, width, decode.Step(), Jobs({"a", "b", "cached", "c"}, waits),
                                {7, 8});
      for (const size_t piece : {1, 3, 5, 7}) EXPECT_TRUE(pipeline.Take(piece).Answer.Spoken());
      pipeline.Finish();
      EXPECT_EQ(clock.TickCountMs(), 215);
    }
    EXPECT_EQ(service.Sent, (std::vector<std::string>{"a", "b", "c"}));
    if (width == 1) {
      EXPECT_EQ(service.StartsMs, (std::vector<int64_t>{100, 170, 200}));
    }
    EXPECT_EQ(clock.SleepLengths(), (std::vector<int32_t>{100, 50, 20, 30, 7, 8}));
  }
}

TEST(TRequestPipeline, CachedAnswersTakeNoSlotAndAreReadWhenTaken) {
  TScriptedService service(SystemTickClock());
  service.Batch = 2;
  TDecodeByCopy decode;
  TRequestPipeline pipeline(service, SystemTickClock(), 2, decode.Step(), Jobs({"a", "cached", "b"}), {});
  for (const size_t piece : {1, 3, 5}) EXPECT_TRUE(pipeline.Take(piece).Answer.Spoken());
  // The request behind the cached answer left beside the first one, not after it was taken.
  EXPECT_EQ(service.Timeouts(), 0);
  EXPECT_EQ(service.CachedReadOn(), std::this_thread::get_id());
}

// A cached answer whose entry vanished (or proved damaged) by the time it is taken is requested
// after all, by the taker, with the waits planned for it, in the place of the answer taken before.
TEST(TRequestPipeline, AVanishedCachedAnswerIsRequestedWithItsPlannedWaits) {
  TFakeClock clock(0);
  TScriptedService service(clock);
  TDecodeByCopy decode;
  {
    TRequestPipeline pipeline(service, clock, 1, decode.Step(),
                              Jobs({"a", "vanished", "b"}, {{100}, {40}, {20}}, {9}), {7});
    EXPECT_EQ(SpeechOf(pipeline.Take(1)), "answer to a");
    const TPieceAnswer vanished = pipeline.Take(3);
    EXPECT_EQ(SpeechOf(vanished), "answer to vanished");
    EXPECT_FALSE(vanished.Answer.FromCache);
    EXPECT_EQ(SpeechOf(pipeline.Take(5)), "answer to b");
    pipeline.Finish();
  }
  EXPECT_EQ(service.Sent, (std::vector<std::string>{"a", "vanished", "b"}));
  EXPECT_EQ(service.StartsMs, (std::vector<int64_t>{100, 140, 169}));
  EXPECT_EQ(clock.SleepLengths(), (std::vector<int32_t>{100, 40, 9, 20, 7}));
}

TEST(TRequestPipeline, ArrivedBeforeWaitsForEveryEarlierAnswer) {
  TScriptedService service(SystemTickClock());
  TDecodeByCopy decode;
  TRequestPipeline pipeline(service, SystemTickClock(), 4, decode.Step(), Jobs({"a", "held", "cached", "b"}),
                            {});
  ASSERT_TRUE(WaitUntil([&] { return pipeline.Arrived(1); })) << "the first answer never arrived";
  EXPECT_TRUE(pipeline.ArrivedBefore(2));
  EXPECT_FALSE(pipeline.Arrived(3));
  EXPECT_FALSE(pipeline.ArrivedBefore(4));  // piece 3 is still held
  EXPECT_FALSE(pipeline.ArrivedBefore(8));
  service.Release();
  ASSERT_TRUE(WaitUntil([&] { return pipeline.ArrivedBefore(8); }));
  ASSERT_TRUE(pipeline.Take(1).Answer.Spoken());
  EXPECT_FALSE(pipeline.Arrived(1));  // taken
  EXPECT_TRUE(pipeline.Arrived(3));
}

TEST(TRequestPipeline, InterruptedWaitEndsTheStartsAndReachesTheTaker) {
  ClearInterrupt();
  TScriptedService service(SystemTickClock());
  TInterruptibleClock clock(SystemTickClock());
  {
    TInterruptGuard guard;
    TDecodeByCopy decode;
    TRequestPipeline pipeline(service, clock, 1, decode.Step(), Jobs({"a", "b", "c"}, {{}, {60000}, {}}), {});
    EXPECT_TRUE(pipeline.Take(1).Answer.Spoken());
    const auto start = std::chrono::steady_clock::now();
    raise(SIGINT);
    EXPECT_THROW(pipeline.Take(3), TInterrupted);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_FALSE(pipeline.Arrived(5));
  }
  EXPECT_EQ(service.Sent, std::vector<std::string>{"a"});
  ClearInterrupt();
}

// Waits until a stop is requested, as a transfer that the pipeline stops.
class THangingService final : public TSynthesisService {
 public:
  TSynthesisAnswer Synthesize(const TSynthesisRequest&, const TAnswerUse&, std::stop_token stop) override {
    WaitUntil([&] { return stop.stop_requested(); }, std::chrono::minutes(1));
    return {};
  }
};

TEST(TRequestPipeline, EndingItStopsTheRequestsInFlightAndTheWaits) {
  THangingService service;
  TDecodeByCopy decode;
  const auto start = std::chrono::steady_clock::now();
  {
    // Two requests hang in flight, the third sleeps a minute before it may leave.
    TRequestPipeline pipeline(service, SystemTickClock(), 4, decode.Step(),
                              Jobs({"a", "b", "c"}, {{}, {}, {60000}}), {60000});
    std::this_thread::sleep_for(50ms);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

}  // namespace
}  // namespace sonacli
