#include "driver/request_pipeline.h"

#include <algorithm>
#include <stdexcept>
#include <system_error>

#include "platform/interrupt.h"

namespace sonacli {

namespace {

// Counts one more request on its way for as long as it lives, under the pipeline's lock.
class OnItsWay {
 public:
  OnItsWay(size_t& count, std::condition_variable& changed) : count_(count), changed_(changed) { ++count_; }
  ~OnItsWay() {
    --count_;
    changed_.notify_all();
  }
  OnItsWay(const OnItsWay&) = delete;
  OnItsWay& operator=(const OnItsWay&) = delete;

 private:
  size_t& count_;
  std::condition_variable& changed_;
};

// Releases the lock for as long as it lives.
class Unlocked {
 public:
  explicit Unlocked(std::unique_lock<std::mutex>& lock) : lock_(lock) { lock_.unlock(); }
  ~Unlocked() { lock_.lock(); }
  Unlocked(const Unlocked&) = delete;
  Unlocked& operator=(const Unlocked&) = delete;

 private:
  std::unique_lock<std::mutex>& lock_;
};

}  // namespace

TRequestPipeline::TRequestPipeline(TSynthesisService& service, TTickClock& clock, int32_t width,
                                   TDecode decode, std::vector<TJob> jobs, std::vector<int32_t> finalWaitsMs)
    : service_(service),
      clock_(clock),
      width_(static_cast<size_t>(std::max(width, 1))),
      decode_(std::move(decode)) {
  slots_.reserve(jobs.size() + 1);
  size_t leaving = 0;  // slots that a thread starts
  for (TJob& job : jobs) {
    TSlot slot;
    slot.Job = std::move(job);
    if (!slot.Job.Cached) ++leaving;
    slots_.push_back(std::move(slot));
  }
  if (!finalWaitsMs.empty()) {
    TSlot end;
    end.End = true;
    end.Job.WaitsMs = std::move(finalWaitsMs);
    slots_.push_back(std::move(end));
    ++leaving;
  }
  SkipCached();
  try {
    for (size_t i = 0; i < std::min(width_, leaving); ++i) threads_.emplace_back([this] { Work(); });
  } catch (const std::system_error&) {
    Stop();
    throw;
  }
}

TRequestPipeline::~TRequestPipeline() {
  Stop();
}

void TRequestPipeline::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  stop_.request_stop();
  changed_.notify_all();
  for (std::thread& thread : threads_) {
    if (thread.joinable()) thread.join();
  }
}

void TRequestPipeline::SkipCached() {
  while (nextStart_ < slots_.size() && slots_[nextStart_].Job.Cached) ++nextStart_;
}

bool TRequestPipeline::SleepWaits(const std::vector<int32_t>& waitsMs, std::unique_lock<std::mutex>& lock) {
  for (const int32_t ms : waitsMs) {
    if (!clock_.SleepMsUnless(ms, lock, changed_, [this] { return stopping_; })) return false;
  }
  return !stopping_;
}

TAnswerUse TRequestPipeline::DecodeInto(const TJob& job, TPieceAnswer& piece) const {
  return [this, &job, &piece](const std::string& received) {
    TDecodedSpeech speech;
    if (!decode_(received, job.Sound, speech)) return false;
    piece.Speech = std::move(speech);
    return true;
  };
}

TPieceAnswer TRequestPipeline::Send(const TJob& job) {
  TPieceAnswer piece;
  piece.Answer = service_.Synthesize(job.Request, DecodeInto(job, piece), stop_.get_token());
  // The speech is what counts from here on; the bytes would only double what a slot holds.
  piece.Answer.Received = std::string();
  return piece;
}

void TRequestPipeline::Work() {
  std::unique_lock lock(mutex_);
  while (true) {
    // Starts follow each other in order, each after its waits, within the window.
    changed_.wait(lock, [this] {
      return stopping_ || startsEnded_ || nextStart_ == slots_.size() || (!sleeping_ && window_ < width_);
    });
    if (stopping_ || startsEnded_ || nextStart_ == slots_.size()) return;
    TSlot& slot = slots_[nextStart_++];
    SkipCached();
    slot.State = TState::Started;
    ++window_;
    // The final waits are no request.
    std::optional<OnItsWay> onItsWay;
    if (!slot.End) onItsWay.emplace(onTheirWay_, changed_);
    sleeping_ = true;
    bool due = false;
    try {
      due = SleepWaits(slot.Job.WaitsMs, lock);
    } catch (const TInterrupted&) {
      // Nothing more leaves; the taker meets the interruption at this slot.
      slot.Error = std::current_exception();
      slot.State = TState::Answered;
      startsEnded_ = true;
    }
    sleeping_ = false;
    if (due && slot.End) slot.State = TState::Answered;
    changed_.notify_all();
    if (!due) return;
    if (slot.End) continue;
    // Only this thread touches the slot until it is answered.
    lock.unlock();
    TPieceAnswer answer;
    std::exception_ptr error;
    try {
      answer = Send(slot.Job);
    } catch (...) {
      // Not swallowed: carried to the taker, which raises it in piece order as if it had sent the
      // request itself.
      error = std::current_exception();
    }
    lock.lock();
    slot.Answer = std::move(answer);
    slot.Error = error;
    slot.State = TState::Answered;
    onItsWay.reset();
  }
}

void TRequestPipeline::ReleaseHeld() {
  if (!holding_) return;
  holding_ = false;
  --window_;
  changed_.notify_all();
}

void TRequestPipeline::Await(TSlot& slot, std::unique_lock<std::mutex>& lock) {
  ReleaseHeld();
  changed_.wait(lock, [&] {
    return slot.State == TState::Answered || (slot.State == TState::Planned && startsEnded_);
  });
  // A request that never left is missing: the run ends before it.
  if (slot.State == TState::Planned) throw TInterrupted();
  holding_ = true;
}

TPieceAnswer TRequestPipeline::SendInstead(TSlot& slot, std::unique_lock<std::mutex>& lock) {
  // It takes the place of the answer taken before (or a place of its own, which may briefly make
  // the window one wider than it is), so that no thread starts a later request in its stead.
  if (!holding_) {
    ++window_;
    holding_ = true;
  }
  // The requests started ahead of it keep their places; it only waits until fewer than the
  // window's width are on their way, which needs nothing of the taker.
  changed_.wait(lock, [this] { return stopping_ || startsEnded_ || onTheirWay_ < width_; });
  if (stopping_ || startsEnded_) throw TInterrupted();
  TPieceAnswer answer;
  {
    const OnItsWay onItsWay(onTheirWay_, changed_);
    if (!SleepWaits(slot.Job.WaitsMs, lock)) throw TInterrupted();
    // Locked again before the request stops counting, whatever the request raises.
    const Unlocked unlocked(lock);
    answer = Send(slot.Job);
  }
  try {
    SleepWaits(slot.Job.WaitsAfterMs, lock);
  } catch (const TInterrupted&) {
    // The answer is there and is used; the flag stays set, so the run ends after it.
  }
  return answer;
}

TPieceAnswer TRequestPipeline::Take(size_t piece) {
  std::unique_lock lock(mutex_);
  if (nextTake_ >= slots_.size() || slots_[nextTake_].End || slots_[nextTake_].Job.Piece != piece) {
    throw std::logic_error("request pipeline: answers are taken in piece order");
  }
  TSlot& slot = slots_[nextTake_++];
  // A cached answer is read in the order of the run, without a place in the window.
  if (slot.Job.Cached) {
    lock.unlock();
    TPieceAnswer fromCache;
    if (std::optional<TSynthesisAnswer> cached =
            service_.CachedAnswer(slot.Job.Request, DecodeInto(slot.Job, fromCache))) {
      fromCache.Answer = std::move(*cached);
      fromCache.Answer.Received = std::string();
      return fromCache;
    }
    lock.lock();
    return SendInstead(slot, lock);
  }
  Await(slot, lock);
  TPieceAnswer answer = std::move(slot.Answer);
  const std::exception_ptr error = std::move(slot.Error);
  lock.unlock();
  if (error) std::rethrow_exception(error);
  return answer;
}

void TRequestPipeline::Finish() {
  std::unique_lock lock(mutex_);
  if (slots_.empty() || !slots_.back().End) return;
  if (nextTake_ + 1 != slots_.size())
    throw std::logic_error("request pipeline: finished before every answer");
  TSlot& end = slots_[nextTake_++];
  Await(end, lock);
  const std::exception_ptr error = std::move(end.Error);
  lock.unlock();
  if (error) std::rethrow_exception(error);
}

bool TRequestPipeline::IsThere(const TSlot& slot) {
  return slot.Job.Cached || slot.State == TState::Answered;
}

bool TRequestPipeline::Arrived(size_t piece) {
  std::lock_guard lock(mutex_);
  if (nextTake_ >= slots_.size() || slots_[nextTake_].End || slots_[nextTake_].Job.Piece != piece)
    return false;
  return IsThere(slots_[nextTake_]);
}

bool TRequestPipeline::ArrivedBefore(size_t end) {
  std::lock_guard lock(mutex_);
  for (size_t k = nextTake_; k < slots_.size() && !slots_[k].End && slots_[k].Job.Piece < end; ++k) {
    if (!IsThere(slots_[k])) return false;
  }
  return true;
}

}  // namespace sonacli
