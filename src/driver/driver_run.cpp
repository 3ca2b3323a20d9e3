#include "driver/driver_run.h"

#include "driver/probe_output_format.h"
#include "service/synthesis_request.h"

namespace sonacli {

bool ProbeAndOpenOutput(TDriverContext& context, TPacer& pacer, TRunOutput& output) {
  TOutputData format;
  if (!ProbeOutputFormat(context, pacer, format)) return false;
  return output.Open(format);
}

bool AnswerWithAudio(TRunResult& result, const TPieceAnswer& piece) {
  if (!piece.Answer.Spoken()) {
    if (!InterruptRequested()) ReportDriverError(result, piece.Answer.ErrorText);
    return false;
  }
  if (!piece.Speech) {
    // The service's contract; an answer without audio must not become a missing piece.
    ReportDriverError(result, u"No audio data");
    return false;
  }
  return true;
}

void FinishRun(TDriverContext& context, TRunOutput& output, bool interrupted, bool writeSyncFiles,
               const std::vector<std::u16string>& lrcLines, const std::vector<std::u16string>& srtLines) {
  // An interrupted run saves what it has, as after a reported error.
  const bool saved =
      output.Finish(context.Result.ErrorReported || interrupted, writeSyncFiles, lrcLines, srtLines);
  // An interrupted run that never got to write audio has nothing to report. A run that made no
  // audio leaves an old output as it was, and the failure that stopped it was reported already, as
  // is a failed write.
  if (context.Settings.ToStdout || saved || interrupted || output.WriteFailed()) return;
  if (output.MadeAudio() || !context.Result.ErrorReported)
    ReportDriverError(context.Result, u"Error saving audio file");
}

TDriverRun::TDriverRun(TDriverContext& context, TProgressLine& progress)
    : context_(context),
      settings_(context.Settings),
      progress_(progress),
      legacyKey_(IsLegacyKey(settings_.ApiKey)),
      pacer_(context.Clock, context.Random, legacyKey_, settings_.RequestDelayMs),
      output_(settings_, context.Result, context.Output, context.Tags),
      sender_(context) {}

bool TDriverRun::OpenOnFirstPiece(size_t first) {
  if (output_.IsOpen()) return true;
  if (!ProbeAndOpenOutput(context_, pacer_, output_)) return false;
  PlanRequests(first);
  sender_.Start();
  return true;
}

void TDriverRun::EndSending(TLoopEnd end) {
  if (end == TLoopEnd::Completed) {
    try {
      sender_.Finish();
    } catch (const TInterrupted&) {
      // The flag stays set: the run saves what it has.
    }
  }
  // Requests of later pieces are abandoned: their answers are never used.
  sender_.Stop();
}

}  // namespace sonacli
