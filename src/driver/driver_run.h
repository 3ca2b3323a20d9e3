// What both drivers hold and do the same way around their loops: the guard around one step, the
// loop itself, the probe that opens the output before the first piece and starts the requests, a
// failed request, and the finish.
#pragma once

#include <cstddef>
#include <new>
#include <string>
#include <vector>

#include "audio/audio_error.h"
#include "common/unicode_text.h"
#include "driver/driver_context.h"
#include "driver/driver_error.h"
#include "driver/pacing.h"
#include "driver/progress_line.h"
#include "driver/request_sender.h"
#include "driver/run_output.h"
#include "platform/interrupt.h"

namespace sonacli {

// What a driver loop does after one step.
enum class TStepOutcome {
  Continue,  // on to the next step
  EndLoop,   // the loop ends; what was made is completed and saved
  Abort,     // the driver returns at once; the output's owner discards it unfinished
};

// How a driver loop ended.
enum class TLoopEnd {
  Completed,  // every step ran
  Ended,      // a step ended the loop, or an interruption did
  Aborted,    // a step aborted the run
};

// Runs one step of a driver loop. A wait cut short by an interruption ends the loop (the audio
// made so far is saved). A failure of a conversion (decoding an answer for the output format,
// resampling, the tempo fit) and running out of memory are reported and end the loop as a failed
// request does: skipping the step would leave its piece missing without a word.
template <typename Step>
TStepOutcome GuardStep(TRunResult& result, Step&& step) {
  try {
    return step();
  } catch (const TInterrupted&) {
    return TStepOutcome::EndLoop;
  } catch (const std::bad_alloc&) {
    ReportDriverError(result, u"Not enough memory");
    return TStepOutcome::EndLoop;
  } catch (const TAudioError& error) {
    ReportDriverError(result, ToUtf16(error.what()));
    return TStepOutcome::EndLoop;
  }
}

// The probe (ProbeOutputFormat), then the output opened in its format; false when either fails.
bool ProbeAndOpenOutput(TDriverContext& context, TPacer& pacer, TRunOutput& output);

// Whether a piece's answer can be appended: spoken, with its speech decoded. Otherwise the failure
// is reported (the request's message, or "No audio data" for an answer without speech; a request
// cut short by Ctrl-C is no failure of the service and is not reported) and the caller ends its
// loop.
bool AnswerWithAudio(TRunResult& result, const TPieceAnswer& piece);

// Completes the output and puts it in place; an interrupted run saves what it has, as after a
// reported error. Reports "Error saving audio file" when a file output was not saved although it
// made audio or nothing else failed (not after an interruption, nor after a failed write, which
// reported itself).
void FinishRun(TDriverContext& context, TRunOutput& output, bool interrupted, bool writeSyncFiles,
               const std::vector<std::u16string>& lrcLines, const std::vector<std::u16string>& srtLines);

// The state and the steps that both drivers (TTextDriver, TSubtitleDriver) share.
class TDriverRun {
 public:
  TDriverRun(const TDriverRun&) = delete;
  TDriverRun& operator=(const TDriverRun&) = delete;

 protected:
  // The context and the progress line must outlive the driver.
  TDriverRun(TDriverContext& context, TProgressLine& progress);
  virtual ~TDriverRun() = default;

  // The requests of the pieces from `first` on, planned through `sender_` in the order of the run
  // with the waits one thread would sleep between them, drawn from `pacer_`.
  virtual void PlanRequests(size_t first) = 0;

  // Before the piece at `first` (the first one that makes output): the probe, the output opened in
  // its format, and the requests planned and started. False when the probe or the output failed
  // (reported); nothing is sent then.
  bool OpenOnFirstPiece(size_t first);

  // Runs `step(i)` for i from 0 to count - 1, each in GuardStep, until a step ends or aborts the
  // loop. After an interruption a step runs only when `arrived(i)` says that everything it needs
  // has arrived. A loop that completed waits out the waits planned after its last request. The
  // requests still in flight are abandoned at the end.
  template <typename Arrived, typename Step>
  TLoopEnd RunLoop(size_t count, Arrived&& arrived, Step&& step) {
    TLoopEnd end = TLoopEnd::Completed;
    for (size_t i = 0; i < count && end == TLoopEnd::Completed; ++i) {
      if (InterruptRequested() && !arrived(i)) {
        end = TLoopEnd::Ended;
        break;
      }
      switch (GuardStep(context_.Result, [&] { return step(i); })) {
        case TStepOutcome::Continue:
          break;
        case TStepOutcome::EndLoop:
          end = TLoopEnd::Ended;
          break;
        case TStepOutcome::Abort:
          end = TLoopEnd::Aborted;
          break;
      }
    }
    EndSending(end);
    return end;
  }

  TDriverContext& context_;
  const TSettings& settings_;
  TProgressLine& progress_;
  bool legacyKey_;
  TPacer pacer_;
  TRunOutput output_;
  TRequestSender sender_;

 private:
  void EndSending(TLoopEnd end);
};

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
