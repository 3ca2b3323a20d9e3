// The steps that both drivers take the same way around their loops: the guard around one step,
// the probe that opens the output, a failed request, the wait after a kept request and the finish.
#pragma once

#include <new>
#include <string>
#include <vector>

#include "audio/audio_error.h"
#include "driver/driver_context.h"
#include "driver/driver_error.h"
#include "driver/pacing.h"
#include "driver/progress_line.h"
#include "driver/run_output.h"
#include "http/http_client.h"
#include "platform/interrupt.h"
#include "service/synthesis_answer.h"

namespace sonacli {

// What a driver loop does after one step.
enum class TStepOutcome {
  Continue,  // on to the next step
  EndLoop,   // the loop ends; what was made is completed and saved
  Abort,     // the driver returns at once; the output's owner discards it unfinished
};

// Runs one step of a driver loop. A wait cut short by an interruption ends the loop (the audio
// made so far is saved); a decoder, conversion or HTTP failure abandons the step only; running out
// of memory is reported and ends the loop.
template <typename Step>
TStepOutcome GuardStep(TRunResult& result, Step&& step) {
  try {
    return step();
  } catch (const TInterrupted&) {
    return TStepOutcome::EndLoop;
  } catch (const std::bad_alloc&) {
    ReportDriverError(result, u"Not enough memory");
    return TStepOutcome::EndLoop;
  } catch (const TAudioError&) {
    return TStepOutcome::Continue;
  } catch (const THttpError&) {
    return TStepOutcome::Continue;
  }
}

// The probe (ProbeOutputFormat), then the output opened in its format; false when either fails.
bool ProbeAndOpenOutput(TDriverContext& context, TPacer& pacer, TRunOutput& output);

// Reports the failed request's message; a request cut short by Ctrl-C is no failure of the
// service and is not reported.
void ReportRequestFailure(TRunResult& result, const TSynthesisAnswer& answer);

// The wait after a successful request whose audio is kept: an interruption during it leaves the
// flag set, so that the loop stops after this piece, but does not drop the piece.
void PauseAfterKeptRequest(TPacer& pacer, bool isLast);

// Completes the output and puts it in place; an interrupted run saves what it has, as after a
// reported error. Reports "Error saving audio file" when a file output was not saved (not after an
// interruption, which may come before anything was written).
void FinishRun(TDriverContext& context, TRunOutput& output, bool interrupted, bool writeSyncFiles,
               const std::vector<std::u16string>& lrcLines, const std::vector<std::u16string>& srtLines);

// Runs a driver (TTextDriver, TSubtitleDriver) over its input, then closes the progress line: it has
// no line end of its own, and an error line after it brings its own.
template <typename Driver, typename Input>
void RunWithProgressLine(TDriverContext& context, const Input& input) {
  TProgressLine progress;
  {
    Driver driver(context, progress);
    driver.Run(input);
  }
  progress.End(!context.Result.ErrorReported);
}

}  // namespace sonacli
