// The requests of a run, planned before the first one leaves and sent ahead of the piece being
// appended by up to `width` threads at once, so that the service's latency does not add up piece
// by piece; with a width of 1 they go one at a time. The answers are handed out strictly in piece
// order, decoded: the decode step runs on the sending threads.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <vector>

#include "audio/opus_decoder.h"
#include "platform/tick_clock.h"
#include "service/synthesis_service.h"

namespace sonacli {

// The answer of one piece as the driver takes it.
struct TPieceAnswer {
  TSynthesisAnswer Answer;  // the outcome and message; the bytes received are given up once decoded
  // The speech of a spoken answer, as the decode step made it of the bytes; empty otherwise (and
  // for a service that broke its contract by calling an answer spoken that was never decoded).
  std::optional<TDecodedSpeech> Speech;
};

class TRequestPipeline {
 public:
  struct TJob {
    size_t Piece = 0;  // the index of the piece the request belongs to
    TSynthesisRequest Request;
    TVolumeAndChannel Sound;  // what the piece changes in its answer
    // Slept in turn before the request leaves, once the request before it has left and a place in
    // the window is free: the waits one thread would sleep between the two. A cached job's are the
    // waits its request would have had (as are WaitsAfterMs, after it): slept only when its entry
    // vanished or proved damaged by the time it is taken, so that it is requested after all.
    std::vector<int32_t> WaitsMs;
    std::vector<int32_t> WaitsAfterMs;
    // Answered from the service's cache: it takes no place in the window and none of its waits,
    // and is read on the taker's thread when it is taken.
    bool Cached = false;
  };

  // The decode step: the bytes of an answer as PCM of the run's output format, changed as the
  // piece says; false when they are no audio it can decode.
  using TDecode = std::function<bool(const std::string& received, const TVolumeAndChannel& sound,
                                     TDecodedSpeech& speech)>;

  // Starts sending `jobs` (in piece order), with at most `width` requests in the window: started,
  // and not yet taken or taken last (the taker may still be using that answer, so with a width of
  // 1 a request leaves only once the taker came back for it). `finalWaitsMs` follow the last
  // request that leaves, as if one more did; Finish waits for them. Waits are slept on `clock`.
  TRequestPipeline(TSynthesisService& service, TTickClock& clock, int32_t width, TDecode decode,
                   std::vector<TJob> jobs, std::vector<int32_t> finalWaitsMs);
  // Stops the requests in flight (their transfers end at once) and the waits, and waits for the
  // threads.
  ~TRequestPipeline();
  TRequestPipeline(const TRequestPipeline&) = delete;
  TRequestPipeline& operator=(const TRequestPipeline&) = delete;

  // The answer for the next job, which must belong to `piece`: waits for it; an exception of the
  // request or its decoding (TInterrupted from an interrupted wait among them) is raised here. A
  // cached job's entry is read now; when it is gone or damaged, its request is sent from here, after
  // its waits, once fewer than `width` requests are on their way.
  TPieceAnswer Take(size_t piece);
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
    TPieceAnswer Answer;
    std::exception_ptr Error;
  };

  static bool IsThere(const TSlot& slot);
  void Stop();
  void Work();
  // The waits, slept with the lock held; false when the pipeline is being stopped.
  bool SleepWaits(const std::vector<int32_t>& waitsMs, std::unique_lock<std::mutex>& lock);
  void SkipCached();
  // The decode step as the use of the job's answer, its speech kept in `piece`.
  TAnswerUse DecodeInto(const TJob& job, TPieceAnswer& piece) const;
  // The job's request with the decode step as its use: the answer, its speech decoded.
  TPieceAnswer Send(const TJob& job);
  // The place of the answer taken before is given back: the taker is done with it.
  void ReleaseHeld();
  // Gives back the place of the answer taken before, then waits until the slot is answered (it
  // keeps its place until the next call); raises TInterrupted for a request that will never leave.
  void Await(TSlot& slot, std::unique_lock<std::mutex>& lock);
  // The request of a cached job whose entry is gone, sent by the taker as Take says.
  TPieceAnswer SendInstead(TSlot& slot, std::unique_lock<std::mutex>& lock);

  TSynthesisService& service_;
  TTickClock& clock_;
  const size_t width_;
  const TDecode decode_;
  std::vector<TSlot> slots_;  // the jobs, then the final waits
  std::stop_source stop_;
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t nextTake_ = 0;
  size_t nextStart_ = 0;      // never a cached job
  size_t window_ = 0;         // started, and not yet taken or taken last
  size_t onTheirWay_ = 0;     // requests started (in their waits or sent) and not yet answered
  bool holding_ = false;      // the answer taken last still counts in the window
  bool sleeping_ = false;     // a thread sleeps the waits before the next start
  bool startsEnded_ = false;  // an interruption ended a wait: nothing more leaves
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace sonacli
