#include "driver/request_pipeline.h"

#include <algorithm>
#include <stdexcept>
#include <system_error>

#include "platform/interrupt.h"

namespace sonacli {

TRequestPipeline::TRequestPipeline(TSynthesisService& service, TTickClock& clock, int32_t width,
                                   std::vector<TJob> jobs, std::vector<int32_t> finalWaitsMs)
    : service_(service), clock_(clock), width_(static_cast<size_t>(std::max(width, 1))) {
  slots_.reserve(jobs.size() + 1);
  size_t leaving = 0;  // slots that a thread starts
  for (TJob& job : jobs) {
    TSlot slot;
    slot.Job = std::move(job);
    slot.Job.Request.Abandoned = &abandoned_;
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
  abandoned_ = true;
  changed_.notify_all();
  for (std::thread& thread : threads_) {
    if (thread.joinable()) thread.join();
  }
}

void TRequestPipeline::SkipCached() {
  while (nextStart_ < slots_.size() && slots_[nextStart_].Job.Cached) ++nextStart_;
}

bool TRequestPipeline::SleepWaits(const TSlot& slot, std::unique_lock<std::mutex>& lock) {
  for (const int32_t ms : slot.Job.WaitsMs) {
    if (!clock_.SleepMsUnless(ms, lock, changed_, [this] { return stopping_; })) return false;
  }
  return !stopping_;
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
    sleeping_ = true;
    bool due = false;
    try {
      due = SleepWaits(slot, lock);
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
    TSynthesisAnswer answer;
    std::exception_ptr error;
    try {
      answer = service_.Synthesize(slot.Job.Request);
    } catch (...) {
      // Not swallowed: carried to the taker, which raises it in piece order as if it had sent the
      // request itself.
      error = std::current_exception();
    }
    lock.lock();
    slot.Answer = std::move(answer);
    slot.Error = error;
    slot.State = TState::Answered;
    changed_.notify_all();
  }
}

void TRequestPipeline::Await(TSlot& slot, std::unique_lock<std::mutex>& lock) {
  // The taker is done with the answer it took before.
  if (holding_) {
    holding_ = false;
    --window_;
    changed_.notify_all();
  }
  changed_.wait(lock, [&] {
    return slot.State == TState::Answered || (slot.State == TState::Planned && startsEnded_);
  });
  // A request that never left is missing: the run ends before it.
  if (slot.State == TState::Planned) throw TInterrupted();
  holding_ = true;
}

TSynthesisAnswer TRequestPipeline::Take(size_t piece) {
  std::unique_lock lock(mutex_);
  if (nextTake_ >= slots_.size() || slots_[nextTake_].End || slots_[nextTake_].Job.Piece != piece) {
    throw std::logic_error("request pipeline: answers are taken in piece order");
  }
  TSlot& slot = slots_[nextTake_++];
  // A cached answer is read in the order of the run, without a place in the window.
  if (slot.Job.Cached) {
    lock.unlock();
    return service_.Synthesize(slot.Job.Request);
  }
  Await(slot, lock);
  TSynthesisAnswer answer = std::move(slot.Answer);
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
