#include "driver/request_pipeline.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "common/unicode_text.h"
#include "http/http_client.h"
#include "platform/tick_clock.h"

namespace sonacli {
namespace {

using namespace std::chrono_literals;

// Answers every text with itself after a delay that shrinks along the text order (so later pieces
// are answered first); counts requests in flight and the most seen at once.
class TSlowService final : public TSynthesisService {
 public:
  TSynthesisAnswer Synthesize(const TSynthesisRequest& request) override {
    const std::string text = ToUtf8(request.Text);
    const int counted = text == Cached ? 0 : 1;  // a cached answer sends nothing
    const int now = inFlight_ += counted;
    for (int seen = most_; now > seen && !most_.compare_exchange_weak(seen, now);) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(text)));
    inFlight_ -= counted;
    if (!counted) cachedReadOn_ = std::this_thread::get_id();
    if (text == Throwing) throw THttpError("connection reset");
    TSynthesisAnswer answer;
    answer.Audio = "answer to " + text;
    answer.Outcome = text != Failing ? TSynthesisOutcome::Spoken : TSynthesisOutcome::Failed;
    return answer;
  }
  bool HasCachedAnswer(const TSynthesisRequest& request) const override {
    return ToUtf8(request.Text) == Cached;
  }

  std::string Failing;
  std::string Throwing;
  std::string Cached;
  int MostInFlight() const { return most_; }
  std::thread::id CachedReadOn() const { return cachedReadOn_; }

 private:
  std::atomic<int> inFlight_{0};
  std::atomic<int> most_{0};
  std::atomic<std::thread::id> cachedReadOn_;
};

// Waits until the request is abandoned, as a transfer that the pipeline stops.
class THangingService final : public TSynthesisService {
 public:
  TSynthesisAnswer Synthesize(const TSynthesisRequest& request) override {
    while (request.Abandoned == nullptr || !*request.Abandoned) std::this_thread::sleep_for(1ms);
    return {};
  }
};

std::vector<TRequestPipeline::TJob> Jobs(const std::vector<int>& delaysMs) {
  std::vector<TRequestPipeline::TJob> jobs;
  for (size_t i = 0; i < delaysMs.size(); ++i) {
    TSynthesisRequest request;
    request.Text = ToUtf16(std::to_string(delaysMs[i]));
    jobs.push_back({2 * i + 1, request});  // pieces between them need no request
  }
  return jobs;
}

TEST(TRequestPipeline, AnswersComeInTextOrderWithAtMostWidthAtOnce) {
  TSlowService service;
  service.Cached = "1";
  TRequestPipeline pipeline(service, SystemTickClock(), 3, Jobs({120, 100, 1, 80, 60, 40, 20}), {});
  for (size_t i = 0; i < 7; ++i) {
    const TSynthesisAnswer answer = pipeline.Take(2 * i + 1);
    ASSERT_TRUE(answer.Spoken());
    EXPECT_EQ(answer.Audio.substr(0, 10), "answer to ");
  }
  EXPECT_EQ(service.MostInFlight(), 3);
  EXPECT_THROW(pipeline.Take(15), std::logic_error);
}

TEST(TRequestPipeline, FailuresAndExceptionsReachTheReaderAtTheirPlace) {
  TSlowService service;
  service.Failing = "30";
  service.Throwing = "20";
  TRequestPipeline pipeline(service, SystemTickClock(), 4, Jobs({50, 30, 20, 10}), {});
  EXPECT_EQ(pipeline.Take(1).Audio, "answer to 50");
  EXPECT_FALSE(pipeline.Take(3).Spoken());
  EXPECT_THROW(pipeline.Take(5), THttpError);
  EXPECT_TRUE(pipeline.Take(7).Spoken());
}

TEST(TRequestPipeline, StartsAreSpacedByTheirWaitsExceptForCachedAnswers) {
  TSlowService service;
  auto start = std::chrono::steady_clock::now();
  {
    TRequestPipeline pipeline(service, SystemTickClock(), 4, Jobs({0, 0, 0}), {100, 100, 100});
    for (size_t piece : {1, 3, 5}) ASSERT_TRUE(pipeline.Take(piece).Spoken());
    EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
  }
  service.Cached = "0";
  start = std::chrono::steady_clock::now();
  TRequestPipeline pipeline(service, SystemTickClock(), 4, Jobs({0, 0, 0}), {1000, 1000, 1000});
  for (size_t piece : {1, 3, 5}) ASSERT_TRUE(pipeline.Take(piece).Spoken());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 900ms);
}

TEST(TRequestPipeline, CachedAnswersTakeNoSlotAndAreReadWhenTaken) {
  TSlowService service;
  service.Cached = "1";
  TRequestPipeline pipeline(service, SystemTickClock(), 2, Jobs({150, 1, 100}), {});
  for (size_t piece : {1, 3, 5}) ASSERT_TRUE(pipeline.Take(piece).Spoken());
  // The request behind the cached answer was sent beside the first one, not after it was taken.
  EXPECT_EQ(service.MostInFlight(), 2);
  EXPECT_EQ(service.CachedReadOn(), std::this_thread::get_id());
}

TEST(TRequestPipeline, ArrivedBeforeWaitsForEveryEarlierAnswer) {
  TSlowService service;
  TRequestPipeline pipeline(service, SystemTickClock(), 4, Jobs({0, 1000, 0}), {});
  for (auto end = std::chrono::steady_clock::now() + 10s; !pipeline.Arrived(1);) {
    ASSERT_LT(std::chrono::steady_clock::now(), end) << "the first answer never arrived";
    std::this_thread::sleep_for(1ms);
  }
  EXPECT_TRUE(pipeline.ArrivedBefore(2));
  EXPECT_FALSE(pipeline.ArrivedBefore(4));  // piece 3 is still being answered
  EXPECT_FALSE(pipeline.ArrivedBefore(6));
  ASSERT_TRUE(pipeline.Take(1).Spoken());
  ASSERT_TRUE(pipeline.Take(3).Spoken());
  EXPECT_TRUE(pipeline.ArrivedBefore(6));
}

TEST(TRequestPipeline, EndingItAbandonsTheRequestsInFlight) {
  THangingService service;
  const auto start = std::chrono::steady_clock::now();
  {
    TRequestPipeline pipeline(service, SystemTickClock(), 4, Jobs({0, 0, 0, 0, 0, 0}), {});
    std::this_thread::sleep_for(50ms);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

}  // namespace
}  // namespace sonacli
