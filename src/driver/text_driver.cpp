#include "driver/text_driver.h"

#include <algorithm>

#include "audio/convert_wav.h"
#include "catalogue/voice_catalogue.h"
#include "common/unicode_text.h"
#include "driver/driver_error.h"
#include "driver/driver_run.h"
#include "driver/progress_line.h"
#include "platform/interrupt.h"
#include "subtitles/sync_entry.h"
#include "text/input_pieces.h"
#include "text/nothing_to_say.h"
#include "text/text_parts.h"

namespace sonacli {

namespace {

// What replaces a piece with nothing to pronounce.
constexpr int64_t kPlaceholderSilenceMs = 100;

// A piece that does nothing: one without text, but for a chapter, which is one without a title.
bool IsIdle(const TPiece& piece) {
  return piece.Text.empty() && piece.Kind != TPieceKind::Chapter;
}

}  // namespace

TTextDriver::TTextDriver(TDriverContext& context, TProgressLine& progress)
    : TDriverRun(context, progress), syncSettings_(SyncSettingsFrom(settings_)) {}

bool TTextDriver::BuildSpokenPieces(const TInputText& text) {
  BuildPieces(text);
  // Tags alone make no audio; saying so beats a failure to save a file that was never made.
  if (std::none_of(pieces_.begin(), pieces_.end(), [](const TPiece& piece) {
        return piece.Kind != TPieceKind::Chapter && !piece.Text.empty();
      })) {
    ReportDriverError(context_.Result, u"No text to speak");
    return false;
  }
  return true;
}

TDryRunPlan TTextDriver::Plan(const TInputText& text) {
  TDryRunPlan plan;
  if (!BuildSpokenPieces(text)) return plan;
  PlanRequests(0);
  const std::vector<TRequestPipeline::TJob>& jobs = sender_.Planned();
  for (const TRequestPipeline::TJob& job : jobs) plan.Requests.push_back({job.Request, job.Cached, 0});
  // The pieces in order, with the estimated length so far, where each chapter starts.
  int64_t positionMs = 0;
  size_t nextJob = 0;
  for (size_t i = 0; i < pieces_.size(); ++i) {
    const TPiece& piece = pieces_[i];
    if (nextJob < jobs.size() && jobs[nextJob].Piece == i) {
      positionMs += EstimatedSpeechMs(jobs[nextJob++].Request);
    } else if (piece.Kind == TPieceKind::Chapter) {
      plan.Chapters.push_back({piece.Text, positionMs, piece.LineNumber});
    } else if (piece.Text.empty()) {
      continue;
    } else if (piece.Kind == TPieceKind::Audio) {
      ++plan.AudioInserts;
    } else if (piece.Kind == TPieceKind::Pause || piece.Kind == TPieceKind::PausePara) {
      plan.PausesMs += piece.PauseMs;
      if (piece.Narration) plan.NarrationPausesMs += piece.PauseMs;
      positionMs += piece.PauseMs;
    }
  }
  return plan;
}

void TTextDriver::Run(const TInputText& text) {
  if (!BuildSpokenPieces(text)) return;
  if (!output_.Prepare(true)) return;  // reported; nothing was sent
  WriteLrcHeader(lrcLines_, settings_.LrcEnabled, settings_.LrcData);
  const size_t count = pieces_.size();
  // Answers that arrived before an interruption are still appended, in text order.
  const TLoopEnd end = RunLoop(
      count, [this](size_t i) { return sender_.Arrived(i); },
      [this](size_t i) { return IsIdle(pieces_[i]) ? TNext::Continue : HandlePiece(i); });
  if (end == TLoopEnd::Aborted) return;  // the output's owner discards it unfinished
  const bool interrupted = InterruptRequested();
  if (settings_.ShowProgress && end == TLoopEnd::Completed && !interrupted && output_.IsOpen()) {
    progress_.Draw(int64_t(count), int64_t(count));
  }
  Finish(interrupted);
}

void TTextDriver::BuildPieces(const TInputText& text) {
  pieces_ = BuildInputPieces(text, TPieceRules::FromSettings(settings_, legacyKey_));
  syncState_.BlankPending = false;
  syncState_.BlankAfterCurrent = false;
}

void TTextDriver::PlanRequests(size_t first) {
  for (size_t i = first; i < pieces_.size(); ++i) {
    const TPiece& piece = pieces_[i];
    // A chapter mark takes no time: no wait is drawn for it.
    if (piece.Text.empty() || piece.Kind == TPieceKind::Chapter) continue;
    if (piece.Kind != TPieceKind::Speech) {
      // A narrator's pause leaves no request to pace.
      if (!piece.Narration) sender_.PlanWait(pacer_.BetweenPiecesMs());
      continue;
    }
    const bool isLast = i + 1 == pieces_.size();
    const TRequestSender::TNeed need = sender_.Prepare(i, piece);
    if (need == TRequestSender::TNeed::CachedAnswer) {
      // An answer already in the cache needs no pacing: nothing is sent. Its waits are drawn all
      // the same, for its request should the entry be gone by the time it is used.
      const int32_t beforeMs = pacer_.BetweenPiecesMs();
      const int32_t afterMs = pacer_.AfterRequestMs(isLast);
      sender_.PlanRequest(i, {beforeMs}, {afterMs});
      continue;
    }
    sender_.PlanWait(pacer_.BetweenPiecesMs());
    if (need == TRequestSender::TNeed::Nothing) continue;
    sender_.PlanRequest(i);
    sender_.PlanWait(pacer_.AfterRequestMs(isLast));
  }
}

TTextDriver::TNext TTextDriver::HandlePiece(size_t index) {
  if (!OpenOnFirstPiece(index)) return TNext::EndLoop;
  if (settings_.ShowProgress) progress_.Draw(int64_t(index), int64_t(pieces_.size()));
  const TPiece& piece = pieces_[index];
  if (piece.Kind == TPieceKind::Speech) return HandleTextPiece(index);
  if (piece.Kind == TPieceKind::Chapter) {
    output_.AddChapter(piece.Text);
    return TNext::Continue;
  }
  const bool sync = settings_.SyncOutput;
  if (piece.Kind == TPieceKind::Audio) {
    if (sync) ClearBlankFlags();
    return InsertAudioFile(piece.Text) ? TNext::Continue : TNext::EndLoop;
  }
  // A pause.
  if (sync) ClearBlankFlags();
  if (!AppendPause(piece.PauseMs)) return TNext::EndLoop;
  if (piece.Kind == TPieceKind::PausePara && sync) {
    syncState_.BlankPending = true;
    SyncEntry(u"", false);
  }
  return TNext::Continue;
}

TTextDriver::TNext TTextDriver::HandleTextPiece(size_t index) {
  const TPiece& piece = pieces_[index];
  if (settings_.SyncOutput) {
    syncState_.BlankAfterCurrent =
        BlankAfterMarker(piece.Marker, settings_.LrcBlankLines, syncState_.BlankAfterCurrent);
  }
  const std::u16string& spoken = sender_.SpokenText(index);
  if (spoken.empty()) return TNext::Continue;
  // LRC and SRT show the piece as written, not as the dictionaries changed it.
  const std::u16string& syncText = piece.Text;
  if (IsNothingToSay(spoken)) {
    if (!output_.AppendSilence(kPlaceholderSilenceMs)) return TNext::EndLoop;
    SyncEntry(syncText, false);
    return TNext::Continue;
  }
  const TPieceAnswer answer = sender_.Take(index);
  if (!AnswerWithAudio(context_.Result, answer)) return TNext::EndLoop;
  const bool isLast = index + 1 == pieces_.size();
  if (!output_.AppendPcm(answer.Speech->Pcm)) return TNext::EndLoop;
  SyncEntry(syncText, false);
  if (settings_.ShowProgress && isLast) progress_.Draw(int64_t(pieces_.size()), int64_t(pieces_.size()));
  return TNext::Continue;
}

bool TTextDriver::InsertAudioFile(const std::u16string& fileName) {
  // A missing file or one of another kind is passed over silently.
  if (IsAudioInsertInvalid(fileName)) return true;
  std::string converted;
  bool ok = false;
  const TOutputData& format = output_.Format();
  if (LoadAudioInsert(fileName, converted, format.SampleRate, format.BitsPerSample, format.Channels)) {
    ok = output_.AppendWav(converted);
  } else {
    ReportDriverError(context_.Result, u"Failed to read audio file");
  }
  SyncEntry(u"", true);
  return ok;
}

bool TTextDriver::AppendPause(int64_t ms) {
  // A failure is reported by the output.
  const bool ok = output_.AppendSilence(ms);
  SyncEntry(u"", false);
  return ok;
}

void TTextDriver::SyncEntry(std::u16string_view text, bool forceEntry) {
  AppendSyncEntry(syncSettings_, output_.Sink(), lrcLines_, srtLines_, text, forceEntry, syncState_);
}

void TTextDriver::ClearBlankFlags() {
  syncState_.BlankPending = false;
  syncState_.BlankAfterCurrent = false;
}

void TTextDriver::Finish(bool interrupted) {
  pieces_.clear();
  FinishRun(context_, output_, interrupted, true, lrcLines_, srtLines_);
  lrcLines_.clear();
  srtLines_.clear();
}

void SpeakText(TDriverContext& context, const TInputText& text) {
  RunWithProgressLine<TTextDriver>(context, text);
}

}  // namespace sonacli
