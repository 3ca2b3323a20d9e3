// Requests of the pieces ahead of the one being appended, sent by several threads at once so that
// the service's latency does not add up piece by piece. The answers are handed out strictly in
// text order; decoding happens on the sending threads.
#pragma once

#include <atomic>
#include <condition_variable>
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
    size_t Piece;  // the index of the piece the request belongs to
    TSynthesisRequest Request;
  };

  // Starts sending `jobs` (in piece order) with up to `width` requests in flight or answered and not
  // yet taken. Starts are spaced by `startWaitsMs` (one per job, slept on `clock` before its start);
  // an answer found in the service's cache takes no slot and no wait, and is read from the cache on
  // the taker's thread when it is taken.
  TRequestPipeline(TSynthesisService& service, TTickClock& clock, int32_t width, std::vector<TJob> jobs,
                   std::vector<int32_t> startWaitsMs);
  // Abandons the requests in flight (their transfers stop at once) and waits for the threads.
  ~TRequestPipeline();
  TRequestPipeline(const TRequestPipeline&) = delete;
  TRequestPipeline& operator=(const TRequestPipeline&) = delete;

  // The answer for the next job, which must belong to `piece`: waits for it; an exception of the
  // request is raised here. Raises TInterrupted when the run is interrupted before the answer
  // arrived.
  TSynthesisAnswer Take(size_t piece);
  // True when the next job belongs to `piece` and its answer has arrived.
  bool Arrived(size_t piece);
  // True when every job not yet taken whose piece comes before `end` has its answer.
  bool ArrivedBefore(size_t end);

 private:
  enum class TState { Waiting, Cached, Sending, Done };
  struct TSlot {
    TJob Job;
    int32_t StartWaitMs = 0;
    TState State = TState::Waiting;
    TSynthesisAnswer Answer;
    std::exception_ptr Error;
  };

  void Stop();
  void Dispatch();
  void Work();
  // Sleeps on the clock in short slices; false when the pipeline is being stopped.
  bool SleepUnlessStopped(int32_t ms);

  TSynthesisService& service_;
  TTickClock& clock_;
  const size_t width_;
  std::vector<TSlot> slots_;
  size_t next_ = 0;            // the next slot to hand out
  std::vector<size_t> queue_;  // started slots no thread has picked up yet
  size_t busy_ = 0;            // slots in flight or answered and not yet taken
  bool stopping_ = false;
  bool dispatchEnded_ = false;
  std::atomic<bool> abandoned_{false};
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::thread> workers_;
  std::thread dispatcher_;
};

}  // namespace sonacli
