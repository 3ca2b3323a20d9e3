// How a driver gets the answers of its pieces: every request planned, with the waits one thread
// would sleep between them, before the first one leaves; then sent by a TRequestPipeline as wide
// as the run's number of jobs (--jobs), the answers taken strictly in piece order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "driver/driver_context.h"
#include "driver/request_pipeline.h"
#include "text/piece.h"

namespace sonacli {

class TRequestSender {
 public:
  // What a speech piece needs.
  enum class TNeed {
    Nothing,       // nothing to say once the dictionaries are through: no request
    Request,       // a request to the service
    CachedAnswer,  // an answer that the service has in its cache: nothing is sent
  };

  // The context's service, clock, dictionaries, decode step, API key, output format and number of
  // jobs; it must outlive this.
  explicit TRequestSender(TDriverContext& context) : context_(context) {}

  // Planning, in the order of the run, before Start. Applies the dictionaries to the speech piece
  // at `index` and keeps the result for SpokenText; tells what the piece needs.
  TNeed Prepare(size_t index, const TPiece& piece);
  // A wait that one thread would sleep at this point of the run.
  void PlanWait(int32_t ms) { waitsMs_.push_back(ms); }
  // The request of the piece just prepared, when it needs one: it leaves after the waits planned
  // since the request before it. An answer from the cache leaves nothing and takes none of them:
  // `waitsIfSentMs` and `waitsAfterIfSentMs` are the waits its request would have had before and
  // after it, slept only when its entry is gone by the time it is used.
  void PlanRequest(size_t index, std::vector<int32_t> waitsIfSentMs = {},
                   std::vector<int32_t> waitsAfterIfSentMs = {});
  // Starts sending the planned requests; the waits planned after the last one come after it.
  void Start();
  // Before Start: the requests planned so far, in the order they would leave.
  const std::vector<TRequestPipeline::TJob>& Planned() const { return jobs_; }

  // The piece's text after the dictionaries; empty for a piece that was not prepared.
  const std::u16string& SpokenText(size_t index) const;
  // The answer of the piece at `index`, decoded for the output; one that is missing at an
  // interruption raises TInterrupted.
  TPieceAnswer Take(size_t index);
  // After every answer was taken: the waits after the last request. Raises TInterrupted when they
  // are cut short.
  void Finish();
  // Whether, after an interruption, the run may still use the answer of the piece at `index`
  // (Arrived) or of every piece before `end` (ArrivedBefore): only answers that are all there.
  bool Arrived(size_t index);
  bool ArrivedBefore(size_t end);
  // Abandons the requests still in flight; their answers are never used.
  void Stop() { pipeline_.reset(); }

 private:
  TDriverContext& context_;
  std::vector<std::u16string> spoken_;
  std::optional<TRequestPipeline::TJob> prepared_;
  std::vector<TRequestPipeline::TJob> jobs_;
  std::vector<int32_t> waitsMs_;  // planned since the last request that leaves
  std::unique_ptr<TRequestPipeline> pipeline_;
};

}  // namespace sonacli
