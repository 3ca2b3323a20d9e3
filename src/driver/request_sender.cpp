#include "driver/request_sender.h"

#include "driver/piece_request.h"
#include "text/nothing_to_say.h"

namespace sonacli {

bool TRequestSender::Prepare(size_t index, const TPiece& piece) {
  if (spoken_.size() <= index) spoken_.resize(index + 1);
  spoken_[index] = context_.Dictionaries.Apply(piece.Text);
  return !spoken_[index].empty() && !IsNothingToSay(spoken_[index]);
}

void TRequestSender::PlanRequest(size_t index, const TPiece& piece, int32_t waitAfterMs) {
  jobs_.push_back({index, PieceRequest(piece, spoken_[index], context_.Settings.ApiKey)});
  startWaitsMs_.push_back(pendingWaitMs_);
  pendingWaitMs_ = waitAfterMs;
}

void TRequestSender::Start() {
  pipeline_ = std::make_unique<TRequestPipeline>(context_.Service, context_.Clock, context_.Settings.Jobs,
                                                 std::move(jobs_), std::move(startWaitsMs_));
  jobs_.clear();
  startWaitsMs_.clear();
  pendingWaitMs_ = 0;
}

std::u16string TRequestSender::SpokenText(size_t index, const TPiece& piece) {
  if (!pipeline_) return context_.Dictionaries.Apply(piece.Text);
  return index < spoken_.size() ? std::move(spoken_[index]) : std::u16string();
}

TSynthesisAnswer TRequestSender::Send(size_t index, const TSynthesisRequest& request) {
  if (pipeline_) return pipeline_->Take(index);
  return context_.Service.Synthesize(request);
}

bool TRequestSender::Arrived(size_t index) {
  return pipeline_ && pipeline_->Arrived(index);
}

bool TRequestSender::ArrivedBefore(size_t end) {
  return pipeline_ && pipeline_->ArrivedBefore(end);
}

}  // namespace sonacli
