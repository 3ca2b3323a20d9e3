#include "driver/subtitle_driver.h"

#include <algorithm>
#include <optional>

#include "audio/fit_to_duration.h"
#include "audio/silence.h"
#include "audio/trim_silence.h"
#include "audio/wav_header.h"
#include "catalogue/voice_catalogue.h"
#include "driver/driver_error.h"
#include "platform/interrupt.h"
#include "subtitles/subtitle_time_available.h"
#include "subtitles/sync_time.h"
#include "text/nothing_to_say.h"
#include "text/piece_lists.h"
#include "text/text_parts.h"

namespace sonacli {

namespace {

// The service takes shorter texts for subtitles than for running text.
constexpr int32_t kSubtitlePieceLimit = 400;
// What stands in for a subtitle with nothing to say.
constexpr int64_t kPlaceholderSilenceMs = 100;
// After the last subtitle.
constexpr int64_t kTrailingSilenceMs = 1000;
// Share of the quiet stretch cut at the end and at the start of a subtitle's speech.
constexpr double kTrailingTrimFactor = 0.7;
constexpr double kLeadingTrimFactor = 0.6;

}  // namespace

int64_t BufferDurationMs(const std::string& pcm, const TOutputData& format) {
  return PcmDurationMs(static_cast<int64_t>(pcm.size()), format.Channels, format.SampleRate,
                       format.BitsPerSample);
}

TSubtitleDriver::TSubtitleDriver(TDriverContext& context, TProgressLine& progress)
    : TDriverRun(context, progress) {}

void TSubtitleDriver::Run(const SubtitleList& subtitles) {
  if (!output_.Prepare(false)) return;  // reported; nothing was sent
  BuildPieces(subtitles);
  // Subtitles whose answers all arrived before an interruption are still voiced, in order.
  const TLoopEnd end = RunLoop(
      subtitles.size(), [this](size_t j) { return ArrivedWhole(j); },
      [&](size_t j) { return HandleSubtitle(subtitles, j); });
  if (end == TLoopEnd::Aborted) return;  // the output's owner discards it unfinished
  FinishRun(context_, output_, InterruptRequested(), false, {}, {});
}

TDryRunPlan TSubtitleDriver::Plan(const SubtitleList& subtitles) {
  TDryRunPlan plan;
  BuildPieces(subtitles);
  PlanRequests(0);
  for (const TRequestPipeline::TJob& job : sender_.Planned()) {
    // The subtitle whose pieces hold the request's piece.
    const auto after = std::upper_bound(subtitleStarts_.begin(), subtitleStarts_.end(), job.Piece);
    plan.Requests.push_back({job.Request, job.Cached, size_t(after - subtitleStarts_.begin()) - 1});
  }
  for (const TSubtitle& subtitle : subtitles) plan.SubtitleStartsMs.push_back(subtitle.StartMs);
  // A chapter starts where its subtitle's speech does.
  const std::vector<int64_t> placesMs = EstimatedSubtitlePlacesMs(plan);
  for (size_t j = 0; j + 1 < subtitleStarts_.size(); ++j) {
    for (size_t k = subtitleStarts_[j]; k < subtitleStarts_[j + 1]; ++k) {
      if (pieces_[k].Kind == TPieceKind::Chapter) plan.Chapters.push_back({pieces_[k].Text, placesMs[j]});
    }
  }
  return plan;
}

void TSubtitleDriver::BuildPieces(const SubtitleList& subtitles) {
  for (const TSubtitle& subtitle : subtitles) {
    subtitleStarts_.push_back(pieces_.size());
    const TTextParts parts(subtitle.Text, TPartSettings::FromSettings(settings_));
    for (size_t i = 0; i < parts.Count(); ++i) {
      const TTextPart& part = parts.Part(i);
      const int32_t limit = std::min(MaxRequestLength(part.Voice, legacyKey_), kSubtitlePieceLimit);
      SplitSubtitleText(part.Text, TPiece::Of(part), limit, pieces_);
    }
  }
  subtitleStarts_.push_back(pieces_.size());
}

void TSubtitleDriver::PlanRequests(size_t first) {
  for (size_t j = first; j + 1 < subtitleStarts_.size(); ++j) {
    sender_.PlanWait(pacer_.BetweenPiecesMs());
    const size_t end = subtitleStarts_[j + 1];
    for (size_t k = subtitleStarts_[j]; k < end; ++k) {
      const TPiece& piece = pieces_[k];
      if (piece.Kind != TPieceKind::Speech || piece.Text.empty()) continue;
      const TRequestSender::TNeed need = sender_.Prepare(k, piece);
      if (need == TRequestSender::TNeed::Nothing) continue;
      // The last piece of a subtitle waits as the last piece of a text does. An answer in the cache
      // takes no wait, but has it drawn for its request should the entry be gone when it is used.
      const int32_t afterMs = pacer_.AfterRequestMs(k + 1 == end);
      if (need == TRequestSender::TNeed::CachedAnswer) {
        sender_.PlanRequest(k, {}, {afterMs});
        continue;
      }
      sender_.PlanRequest(k);
      sender_.PlanWait(afterMs);
    }
  }
}

bool TSubtitleDriver::ArrivedWhole(size_t index) {
  return sender_.ArrivedBefore(subtitleStarts_[index + 1]);
}

TStepOutcome TSubtitleDriver::HandleSubtitle(const SubtitleList& subtitles, size_t index) {
  if (!OpenOnFirstPiece(index)) return TStepOutcome::EndLoop;
  const auto count = static_cast<int64_t>(subtitles.size());
  if (settings_.ShowProgress) progress_.Draw(static_cast<int64_t>(index), count);
  const TSubtitle& subtitle = subtitles[index];
  // One millisecond short of the start; speech that ran past it is simply followed.
  const int64_t currentMs = OutputMs();
  if (currentMs + 1 < subtitle.StartMs && !AppendGap(subtitle.StartMs - currentMs - 1)) {
    return TStepOutcome::EndLoop;
  }
  const int64_t speechStartMs = OutputMs();
  StartChapters(index);
  SubtitleSpeech speech;
  const TStepOutcome voiced = VoiceSubtitle(index, speech);
  if (voiced != TStepOutcome::Continue) return voiced;
  if (settings_.SubFit) FitSpeech(subtitles, index, speechStartMs, speech.Pcm);
  const bool appended =
      speech.Voiced ? output_.AppendPcm(speech.Pcm) : output_.AppendSilence(kPlaceholderSilenceMs);
  if (!appended) return TStepOutcome::EndLoop;  // reported by the output; what reached it is kept
  if (index + 1 == subtitles.size()) {
    if (settings_.ShowProgress) progress_.Draw(count, count);
    AppendGap(kTrailingSilenceMs);  // reported there; the speech before it is kept
  }
  return TStepOutcome::Continue;
}

void TSubtitleDriver::StartChapters(size_t index) {
  for (size_t k = subtitleStarts_[index]; k < subtitleStarts_[index + 1]; ++k) {
    if (pieces_[k].Kind == TPieceKind::Chapter) output_.AddChapter(pieces_[k].Text);
  }
}

TStepOutcome TSubtitleDriver::VoiceSubtitle(size_t index, SubtitleSpeech& speech) {
  const size_t end = subtitleStarts_[index + 1];
  for (size_t k = subtitleStarts_[index]; k < end; ++k) {
    if (pieces_[k].Text.empty()) continue;
    // A subtitle is voiced whole or not at all: an interruption drops its rest, unless all of its
    // answers arrived before it.
    if (InterruptRequested() && !ArrivedWhole(index)) return TStepOutcome::EndLoop;
    const TStepOutcome outcome = GuardStep(context_.Result, [&] { return AddPiece(k, speech); });
    if (outcome != TStepOutcome::Continue) return outcome;
  }
  return TStepOutcome::Continue;
}

TStepOutcome TSubtitleDriver::AddPiece(size_t index, SubtitleSpeech& speech) {
  const TPiece& piece = pieces_[index];
  // Audio inserts and pauses are not voiced in subtitle mode.
  if (piece.Kind != TPieceKind::Speech) return TStepOutcome::Continue;
  const std::u16string& spoken = sender_.SpokenText(index);
  // Unlike running text, a piece with nothing to say adds nothing, not even silence.
  if (spoken.empty() || IsNothingToSay(spoken)) return TStepOutcome::Continue;
  const TPieceAnswer answer = sender_.Take(index);
  // On failure the rest of the subtitle is dropped and the subtitle is not appended.
  if (!AnswerWithAudio(context_.Result, answer)) return TStepOutcome::EndLoop;
  speech.Voiced = true;
  speech.Pcm.append(answer.Speech->Pcm);
  TrimSilence(speech.Pcm, output_.Format().Format(), kTrailingTrimFactor, kLeadingTrimFactor);
  return TStepOutcome::Continue;
}

void TSubtitleDriver::FitSpeech(const SubtitleList& subtitles, size_t index, int64_t speechStartMs,
                                std::string& pcm) const {
  const std::optional<TTimeAvailable> time = SubtitleTimeAvailable(subtitles, index, speechStartMs);
  const TOutputData& format = output_.Format();
  if (!time || BufferDurationMs(pcm, format) <= time->ThresholdMs) return;
  FitToDuration(pcm, time->AvailableMs, format.SampleRate, settings_.SubMaxRate, format.BitsPerSample,
                format.Channels);
}

bool TSubtitleDriver::AppendGap(int64_t ms) {
  return output_.AppendSilence(ms);  // a failed write is reported by the output
}

TStepOutcome TSubtitleDriver::SpeechBufferFailed() {
  // The subtitle cannot be completed; what the output holds so far is kept.
  ReportDriverError(context_.Result, u"Failed to save audio file");
  return TStepOutcome::EndLoop;
}

int64_t TSubtitleDriver::OutputMs() const {
  return AudioDurationMs(output_.Sink());
}

void SpeakSubtitles(TDriverContext& context, const SubtitleList& subtitles) {
  RunWithProgressLine<TSubtitleDriver>(context, subtitles);
}

}  // namespace sonacli
