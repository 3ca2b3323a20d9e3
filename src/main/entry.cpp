#include "main/entry.h"

#include <chrono>
#include <exception>
#include <new>

#include "common/unicode_text.h"
#include "main/report_error.h"
#include "main/run_sequence.h"
#include "main/run_synthesis.h"
#include "platform/interrupt.h"
#include "platform/process.h"
#include "platform/random.h"

namespace sonacli {

namespace {

// On systems set up for Persian in Iran the program does nothing at all.
constexpr uint32_t kPersianIranLocaleId = 0x0429;

}  // namespace

int RunProgram(int argc, char** argv) {
  SeedRandom(static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()));
  KeepAnswerBuffersInTheHeap();
  if (SystemLocaleId() == kPersianIranLocaleId) return 0;
  TErrorReport errors;
  try {
    const int exitCode = RunSequence(DecodeArguments(argc, argv), ExecutablePath(), RunSynthesis, errors);
    return InterruptRequested() ? InterruptExitCode() : exitCode;
  } catch (const std::bad_alloc&) {
    errors.ReportError(u"Not enough memory");
    return errors.ExitCode();
  } catch (const std::exception& error) {
    // Nothing should get here; if something does, the user sees what and the run fails.
    errors.ReportError(ToUtf16(error.what()));
    return errors.ExitCode();
  }
}

}  // namespace sonacli
