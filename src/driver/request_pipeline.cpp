#include "driver/request_pipeline.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <system_error>

#include "platform/interrupt.h"

namespace sonacli {

namespace {

// How often a waiting thread looks at the interrupt flag and at the end of the pipeline.
constexpr int32_t kSliceMs = 20;

}  // namespace

TRequestPipeline::TRequestPipeline(TSynthesisService& service, TTickClock& clock, int32_t width,
                                   std::vector<TJob> jobs, std::vector<int32_t> startWaitsMs)
    : service_(service), clock_(clock), width_(static_cast<size_t>(std::max(width, 1))) {
  slots_.reserve(jobs.size());
  for (size_t i = 0; i < jobs.size(); ++i) {
    TSlot slot;
    slot.Job = std::move(jobs[i]);
    slot.StartWaitMs = i < startWaitsMs.size() ? startWaitsMs[i] : 0;
    slot.Job.Request.Abandoned = &abandoned_;
    slots_.push_back(std::move(slot));
  }
  try {
    const size_t threads = std::min(width_, slots_.size());
    for (size_t i = 0; i < threads; ++i) workers_.emplace_back([this] { Work(); });
    dispatcher_ = std::thread([this] { Dispatch(); });
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
  abandoned_ = true;
  changed_.notify_all();
  if (dispatcher_.joinable()) dispatcher_.join();
  for (std::thread& worker : workers_) {
    if (worker.joinable()) worker.join();
  }
}

bool TRequestPipeline::SleepUnlessStopped(int32_t ms) {
  while (true) {
    {
      std::lock_guard lock(mutex_);
      if (stopping_) return false;
    }
    if (ms <= 0) return true;
    const int32_t slice = std::min(ms, kSliceMs);
    clock_.SleepMs(slice);  // raises TInterrupted on an interruptible clock
    ms -= slice;
  }
}

void TRequestPipeline::Dispatch() {
  for (size_t k = 0; k < slots_.size(); ++k) {
    // A cached answer sends nothing, so it needs no pacing and no slot: it is read from the cache
    // only when it is taken, so the answers held in memory still stay within the width.
    if (service_.HasCachedAnswer(slots_[k].Job.Request)) {
      std::lock_guard lock(mutex_);
      if (stopping_) break;
      slots_[k].State = TState::Cached;
      changed_.notify_all();
      continue;
    }
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return stopping_ || busy_ < width_; });
      if (stopping_) break;
    }
    bool waited = false;
    try {
      waited = SleepUnlessStopped(slots_[k].StartWaitMs);
    } catch (const TInterrupted&) {
      // Nothing more is started; the reader sees the interruption itself.
    }
    std::lock_guard lock(mutex_);
    if (!waited || stopping_) break;
    slots_[k].State = TState::Sending;
    ++busy_;
    queue_.push_back(k);
    changed_.notify_all();
  }
  std::lock_guard lock(mutex_);
  dispatchEnded_ = true;
  changed_.notify_all();
}

void TRequestPipeline::Work() {
  while (true) {
    size_t k = 0;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      k = queue_.front();
      queue_.erase(queue_.begin());
    }
    // Only this thread touches the slot's request until it is marked done.
    TSlot& slot = slots_[k];
    TSynthesisAnswer answer;
    std::exception_ptr error;
    try {
      answer = service_.Synthesize(slot.Job.Request);
    } catch (...) {
      // Not swallowed: carried to the reader, which raises it in text order as if it had sent the
      // request itself.
      error = std::current_exception();
    }
    std::lock_guard lock(mutex_);
    slot.Answer = std::move(answer);
    slot.Error = error;
    slot.State = TState::Done;
    changed_.notify_all();
  }
}

TSynthesisAnswer TRequestPipeline::Take(size_t piece) {
  std::unique_lock lock(mutex_);
  if (next_ >= slots_.size() || slots_[next_].Job.Piece != piece) {
    throw std::logic_error("request pipeline: answers are taken in piece order");
  }
  TSlot& slot = slots_[next_];
  while (slot.State == TState::Waiting || slot.State == TState::Sending) {
    // Without its answer the piece is missing: the run ends before it.
    if (InterruptRequested()) throw TInterrupted();
    if (slot.State == TState::Waiting && dispatchEnded_) throw TInterrupted();
    changed_.wait_for(lock, std::chrono::milliseconds(kSliceMs));
  }
  ++next_;
  if (slot.State == TState::Cached) {
    lock.unlock();
    return service_.Synthesize(slot.Job.Request);
  }
  --busy_;
  changed_.notify_all();
  TSynthesisAnswer answer = std::move(slot.Answer);
  const std::exception_ptr error = std::move(slot.Error);
  lock.unlock();
  if (error) std::rethrow_exception(error);
  return answer;
}

bool TRequestPipeline::Arrived(size_t piece) {
  std::lock_guard lock(mutex_);
  if (next_ >= slots_.size() || slots_[next_].Job.Piece != piece) return false;
  return slots_[next_].State == TState::Done || slots_[next_].State == TState::Cached;
}

bool TRequestPipeline::ArrivedBefore(size_t end) {
  std::lock_guard lock(mutex_);
  for (size_t k = next_; k < slots_.size() && slots_[k].Job.Piece < end; ++k) {
    if (slots_[k].State != TState::Done && slots_[k].State != TState::Cached) return false;
  }
  return true;
}

}  // namespace sonacli
