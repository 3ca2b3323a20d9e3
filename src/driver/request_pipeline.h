// The requests of a run, planned before the first one leaves and sent ahead of the piece being
// appended by up to `width` threads at once, so that the service's latency does not add up piece
// by piece; with a width of 1 they go one at a time. The answers are handed out strictly in piece
// order; decoding happens on the sending threads.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/tick_clock.h"
#include "service/synthesis_service.h"

namespace sonacli {

class TRequestPipeline {
 public:
  struct TJob {
    size_t Piece = 0;  // the index of the piece the request belongs to
    TSynthesisRequest Request;
    // Slept in turn before the request leaves, once the request before it has left and a place in
    // the window is free: the waits one thread would sleep between the two.
    std::vector<int32_t> WaitsMs;
    // Answered from the service's cache: it takes no place in the window and no waits, and is read
    // on the taker's thread when it is taken.
    bool Cached = false;
  };

  // Starts sending `jobs` (in piece order), with at most `width` requests in the window: started,
  // and not yet taken or taken last (the taker may still be using that answer, so with a width of
  // 1 a request leaves only once the taker came back for it). `finalWaitsMs` follow the last
  // request that leaves, as if one more did; Finish waits for them. Waits are slept on `clock`.
  TRequestPipeline(TSynthesisService& service, TTickClock& clock, int32_t width, std::vector<TJob> jobs,
                   std::vector<int32_t> finalWaitsMs);
  // Abandons the requests in flight (their transfers stop at once), ends the waits and waits for
  // the threads.
  ~TRequestPipeline();
  TRequestPipeline(const TRequestPipeline&) = delete;
  TRequestPipeline& operator=(const TRequestPipeline&) = delete;

  // The answer for the next job, which must belong to `piece`: waits for it; an exception of the
  // request (TInterrupted from an interrupted wait among them) is raised here.
  TSynthesisAnswer Take(size_t piece);
  // After every job was taken: waits until the final waits have passed.
  void Finish();
  // True when the next job belongs to `piece` and its answer is there (or in the cache).
  bool Arrived(size_t piece);
  // True when every job not yet taken whose piece comes before `end` has its answer there.
  bool ArrivedBefore(size_t end);

 private:
  enum class TState { Planned, Started, Answered };
  struct TSlot {
    TJob Job;
    bool End = false;  // the final waits, with no request
    TState State = TState::Planned;
    TSynthesisAnswer Answer;
    std::exception_ptr Error;
  };

  static bool IsThere(const TSlot& slot);
  void Stop();
  void Work();
  // The slot's waits, slept with the lock held; false when the pipeline is being stopped.
  bool SleepWaits(const TSlot& slot, std::unique_lock<std::mutex>& lock);
  void SkipCached();
  // Gives back the place of the answer taken before, then waits until the slot is answered (it
  // keeps its place until the next call); raises TInterrupted for a request that will never leave.
  void Await(TSlot& slot, std::unique_lock<std::mutex>& lock);

  TSynthesisService& service_;
  TTickClock& clock_;
  const size_t width_;
  std::vector<TSlot> slots_;  // the jobs, then the final waits
  std::atomic<bool> abandoned_{false};
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t nextTake_ = 0;
  size_t nextStart_ = 0;      // never a cached job
  size_t window_ = 0;         // started, and not yet taken or taken last
  bool holding_ = false;      // the answer taken last still counts in the window
  bool sleeping_ = false;     // a thread sleeps the waits before the next start
  bool startsEnded_ = false;  // an interruption ended a wait: nothing more leaves
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace sonacli
