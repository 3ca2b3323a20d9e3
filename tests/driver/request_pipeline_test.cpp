#include "driver/request_pipeline.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
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

// Answers every text with "answer to <text>", noting the clock's time when each request left. The
// first `Batch` requests are held until that many are in flight at once (so the width is reached
// on a slow machine too) and then answered last first; "held" waits until Release. "fail" fails,
// "throw" raises as a broken connection does. The cached text is answered without a request.
class TScriptedService final : public TSynthesisService {
 public:
  explicit TScriptedService(TTickClock& clock) : clock_(clock) {}

  TSynthesisAnswer Synthesize(const TSynthesisRequest& request) override {
    const std::string text = ToUtf8(request.Text);
    std::unique_lock lock(mutex_);
    if (text == Cached) {
      cachedReadOn_ = std::this_thread::get_id();
    } else {
      Sent.push_back(text);
      StartsMs.push_back(clock_.TickCountMs());
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
    answer.Outcome = text == "fail" ? TSynthesisOutcome::Failed : TSynthesisOutcome::Spoken;
    answer.Audio = "answer to " + text;
    return answer;
  }
  bool HasCachedAnswer(const TSynthesisRequest& request) const override {
    return ToUtf8(request.Text) == Cached;
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

  int Batch = 0;
  std::string Cached = "cached";
  std::vector<std::string> Sent;  // in the order the requests left
  std::vector<int64_t> StartsMs;

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

// Jobs for pieces 1, 3, 5, ... (the pieces between them need no request) with these texts; the
// cached text is marked as answered from the cache.
std::vector<TRequestPipeline::TJob> Jobs(const std::vector<std::string>& texts,
                                         const std::vector<std::vector<int32_t>>& waitsMs = {}) {
  std::vector<TRequestPipeline::TJob> jobs;
  for (size_t i = 0; i < texts.size(); ++i) {
    TSynthesisRequest request;
    request.Text = ToUtf16(texts[i]);
    jobs.push_back(
        {2 * i + 1, request, i < waitsMs.size() ? waitsMs[i] : std::vector<int32_t>{}, texts[i] == "cached"});
  }
  return jobs;
}

TEST(TRequestPipeline, AnswersComeInPieceOrderWithAtMostWidthInFlight) {
  TScriptedService service(SystemTickClock());
  // The first three requests are answered last first; the cached answer takes no place among them.
  service.Batch = 3;
  const std::vector<std::string> texts = {"a", "cached", "b", "c", "d", "e", "f"};
  TRequestPipeline pipeline(service, SystemTickClock(), 3, Jobs(texts), {});
  for (size_t i = 0; i < texts.size(); ++i) {
    const TSynthesisAnswer answer = pipeline.Take(2 * i + 1);
    EXPECT_TRUE(answer.Spoken()) << texts[i];
    EXPECT_EQ(answer.Audio, "answer to " + texts[i]);
  }
  EXPECT_EQ(service.Timeouts(), 0) << "the window never held three requests at once";
  EXPECT_EQ(service.MostInFlight(), 3);
  EXPECT_THROW(pipeline.Take(15), std::logic_error);
}

TEST(TRequestPipeline, FailuresAndExceptionsReachTheTakerAtTheirPlace) {
  TScriptedService service(SystemTickClock());
  TRequestPipeline pipeline(service, SystemTickClock(), 4, Jobs({"a", "fail", "throw", "b"}), {});
  EXPECT_EQ(pipeline.Take(1).Audio, "answer to a");
  EXPECT_EQ(pipeline.Take(3).Outcome, TSynthesisOutcome::Failed);
  EXPECT_THROW(pipeline.Take(5), TAudioError);
  EXPECT_EQ(pipeline.Take(7).Audio, "answer to b");
}

TEST(TRequestPipeline, StartsFollowTheirWaitsOneAfterAnotherAtAnyWidth) {
  // Cached answers take no waits; the final waits follow the last request. (With more than one
  // thread the test's clock adds up sleeps that would overlap, so only one job shows the times.)
  const std::vector<std::vector<int32_t>> waits = {{100}, {50, 20}, {}, {30}};
  for (const int32_t width : {1, 3}) {
    SCOPED_TRACE(width);
    TFakeClock clock(0);
    TScriptedService service(clock);
    {
      TRequestPipeline pipeline(service, clock, width, Jobs({"a", "b", "cached", "c"}, waits), {7, 8});
      for (const size_t piece : {1, 3, 5, 7}) EXPECT_TRUE(pipeline.Take(piece).Spoken());
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
  TRequestPipeline pipeline(service, SystemTickClock(), 2, Jobs({"a", "cached", "b"}), {});
  for (const size_t piece : {1, 3, 5}) EXPECT_TRUE(pipeline.Take(piece).Spoken());
  // The request behind the cached answer left beside the first one, not after it was taken.
  EXPECT_EQ(service.Timeouts(), 0);
  EXPECT_EQ(service.CachedReadOn(), std::this_thread::get_id());
}

TEST(TRequestPipeline, ArrivedBeforeWaitsForEveryEarlierAnswer) {
  TScriptedService service(SystemTickClock());
  TRequestPipeline pipeline(service, SystemTickClock(), 4, Jobs({"a", "held", "cached", "b"}), {});
  ASSERT_TRUE(WaitUntil([&] { return pipeline.Arrived(1); })) << "the first answer never arrived";
  EXPECT_TRUE(pipeline.ArrivedBefore(2));
  EXPECT_FALSE(pipeline.Arrived(3));
  EXPECT_FALSE(pipeline.ArrivedBefore(4));  // piece 3 is still held
  EXPECT_FALSE(pipeline.ArrivedBefore(8));
  service.Release();
  ASSERT_TRUE(WaitUntil([&] { return pipeline.ArrivedBefore(8); }));
  ASSERT_TRUE(pipeline.Take(1).Spoken());
  EXPECT_FALSE(pipeline.Arrived(1));  // taken
  EXPECT_TRUE(pipeline.Arrived(3));
}

TEST(TRequestPipeline, InterruptedWaitEndsTheStartsAndReachesTheTaker) {
  ClearInterrupt();
  TScriptedService service(SystemTickClock());
  TInterruptibleClock clock(SystemTickClock());
  {
    TInterruptGuard guard;
    TRequestPipeline pipeline(service, clock, 1, Jobs({"a", "b", "c"}, {{}, {60000}, {}}), {});
    EXPECT_TRUE(pipeline.Take(1).Spoken());
    const auto start = std::chrono::steady_clock::now();
    raise(SIGINT);
    EXPECT_THROW(pipeline.Take(3), TInterrupted);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_FALSE(pipeline.Arrived(5));
  }
  EXPECT_EQ(service.Sent, std::vector<std::string>{"a"});
  ClearInterrupt();
}

// Waits until the request is abandoned, as a transfer that the pipeline stops.
class THangingService final : public TSynthesisService {
 public:
  TSynthesisAnswer Synthesize(const TSynthesisRequest& request) override {
    WaitUntil([&] { return request.Abandoned != nullptr && *request.Abandoned; }, std::chrono::minutes(1));
    return {};
  }
};

TEST(TRequestPipeline, EndingItAbandonsTheRequestsInFlightAndTheWaits) {
  THangingService service;
  const auto start = std::chrono::steady_clock::now();
  {
    // Two requests hang in flight, the third sleeps a minute before it may leave.
    TRequestPipeline pipeline(service, SystemTickClock(), 4, Jobs({"a", "b", "c"}, {{}, {}, {60000}}),
                              {60000});
    std::this_thread::sleep_for(50ms);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

}  // namespace
}  // namespace sonacli
