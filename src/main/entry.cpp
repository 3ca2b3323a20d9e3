#include "main/entry.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "common/unicode_text.h"
#include "main/report_error.h"
#include "main/run_sequence.h"
#include "main/run_synthesis.h"
#include "platform/descriptor.h"
#include "platform/interrupt.h"
#include "platform/process.h"
#include "platform/random.h"

namespace sonacli {

namespace {

// On systems set up for Persian in Iran the program does nothing but say so.
constexpr uint32_t kPersianIranLocaleId = 0x0429;
constexpr char16_t kPersianIranRefused[] = u"Not available in the Persian (Iran) locale";

// Whether the command line sends the audio to standard output (-o, any case); the options are not
// read in this locale, but standard output may still be meant for audio only.
bool AsksForStandardOutput(const std::vector<std::u16string>& arguments) {
  return std::ranges::any_of(arguments, [](const std::u16string& argument) {
    return argument.size() == 2 && argument[0] == u'-' && LowerChar(argument[1]) == u'o';
  });
}

int RefusePersianIranLocale(const std::vector<std::u16string>& arguments) {
  TErrorReport errors;
  errors.SetToStandardError(AsksForStandardOutput(arguments));
  errors.ReportError(kPersianIranRefused);
  return errors.ExitCode();
}

}  // namespace

int RunProgram(int argc, char** argv) {
  SeedRandom(static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()));
  KeepAnswerBuffersInTheHeap();
  // Every output reports a file-size limit as it reports a full disk, and keeps what was written.
  IgnoreFileSizeLimitSignal();
  const std::vector<std::u16string> arguments = DecodeArguments(argc, argv);
  if (SystemLocaleId() == kPersianIranLocaleId) return RefusePersianIranLocale(arguments);
  TErrorReport errors;
  try {
    const int exitCode = RunSequence(arguments, ExecutablePath(), RunSynthesis, errors);
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
