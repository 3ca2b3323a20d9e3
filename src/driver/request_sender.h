// How a driver gets the answers of its pieces: sent one after another by its own thread, or, with
// more than one job (--jobs), every request planned before the first one leaves and sent ahead by a
// TRequestPipeline, the answers taken strictly in piece order. Both drivers send through it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "driver/driver_context.h"
#include "driver/request_pipeline.h"
#include "text/piece.h"

namespace sonacli {

class TRequestSender {
 public:
  // The context's service, clock, dictionaries, API key and number of jobs; it must outlive this.
  explicit TRequestSender(TDriverContext& context) : context_(context) {}

  // Planning, before Start. A wait that one thread would sleep before the next request; waits
  // planned between two requests add up.
  void PlanWait(int32_t ms) { pendingWaitMs_ += ms; }
  // Applies the dictionaries to the speech piece at `index` and keeps the result for SpokenText;
  // true when it has something to say, so that it needs a request.
  bool Prepare(size_t index, const TPiece& piece);
  // The request of a prepared piece that has something to say, started after the waits planned
  // since the one before it; `waitAfterMs` is what one thread would sleep after it.
  void PlanRequest(size_t index, const TPiece& piece, int32_t waitAfterMs);
  // Starts sending the planned requests, up to the run's number of jobs at once.
  void Start();
  bool Pipelined() const { return pipeline_ != nullptr; }

  // The piece's text after the dictionaries: once started, the one kept by Prepare (empty for a
  // piece that was not prepared); before, made now.
  std::u16string SpokenText(size_t index, const TPiece& piece);
  // The answer of the piece at `index`: taken from the pipeline, or `request` sent now. As
  // TSynthesisService::Synthesize; a pipelined answer missing at an interruption raises
  // TInterrupted.
  TSynthesisAnswer Send(size_t index, const TSynthesisRequest& request);
  // Whether, after an interruption, the run may still use the answers up to `index` (Arrived) or
  // of every piece before `end` (ArrivedBefore): only sent-ahead answers that have all arrived.
  bool Arrived(size_t index);
  bool ArrivedBefore(size_t end);
  // Abandons the requests still in flight; their answers are never used.
  void Stop() { pipeline_.reset(); }

 private:
  TDriverContext& context_;
  std::vector<std::u16string> spoken_;
  std::vector<TRequestPipeline::TJob> jobs_;
  std::vector<int32_t> startWaitsMs_;
  int32_t pendingWaitMs_ = 0;
  std::unique_ptr<TRequestPipeline> pipeline_;
};

}  // namespace sonacli
