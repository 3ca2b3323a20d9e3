#include "driver/request_sender.h"

#include <stdexcept>

#include "driver/piece_request.h"
#include "text/nothing_to_say.h"

namespace sonacli {

TRequestSender::TNeed TRequestSender::Prepare(size_t index, const TPiece& piece) {
  if (spoken_.size() <= index) spoken_.resize(index + 1);
  spoken_[index] = context_.Dictionaries.Apply(piece.Text);
  prepared_.reset();
  const std::u16string& spoken = spoken_[index];
  if (spoken.empty() || IsNothingToSay(spoken)) return TNeed::Nothing;
  prepared_ = TRequestPipeline::TJob();
  prepared_->Piece = index;
  prepared_->Request = PieceRequest(piece, spoken, context_.Settings.ApiKey);
  prepared_->Sound = VolumeAndChannelOf(piece);
  prepared_->Cached = context_.Service.HasCachedAnswer(prepared_->Request);
  return prepared_->Cached ? TNeed::CachedAnswer : TNeed::Request;
}

void TRequestSender::PlanRequest(size_t index, std::vector<int32_t> waitsIfSentMs,
                                 std::vector<int32_t> waitsAfterIfSentMs) {
  if (!prepared_ || prepared_->Piece != index) throw std::logic_error("request sender: piece not prepared");
  if (prepared_->Cached) {
    prepared_->WaitsMs = std::move(waitsIfSentMs);
    prepared_->WaitsAfterMs = std::move(waitsAfterIfSentMs);
  } else {
    prepared_->WaitsMs = std::move(waitsMs_);
    waitsMs_.clear();
  }
  jobs_.push_back(std::move(*prepared_));
  prepared_.reset();
}

void TRequestSender::Start() {
  const TSpeechDecoder decode = context_.Decode;
  const TSpeechTarget target = SpeechTargetOf(context_.Settings);
  pipeline_ = std::make_unique<TRequestPipeline>(
      context_.Service, context_.Clock, context_.Settings.Jobs,
      [decode, target](const std::string& received, const TVolumeAndChannel& sound, TDecodedSpeech& speech) {
        return decode(received, target, sound, speech);
      },
      std::move(jobs_), std::move(waitsMs_));
  jobs_.clear();
  waitsMs_.clear();
}

const std::u16string& TRequestSender::SpokenText(size_t index) const {
  static const std::u16string kNone;
  return index < spoken_.size() ? spoken_[index] : kNone;
}

TPieceAnswer TRequestSender::Take(size_t index) {
  if (!pipeline_) throw std::logic_error("request sender: not started");
  return pipeline_->Take(index);
}

void TRequestSender::Finish() {
  if (pipeline_) pipeline_->Finish();
}

bool TRequestSender::Arrived(size_t index) {
  return pipeline_ && pipeline_->Arrived(index);
}

bool TRequestSender::ArrivedBefore(size_t end) {
  return pipeline_ && pipeline_->ArrivedBefore(end);
}

}  // namespace sonacli
