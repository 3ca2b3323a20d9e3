// The one way a user-visible error is printed, and the process exit code it decides.
#pragma once

#include <string_view>

namespace sonacli {

// The error report of one run.
class TErrorReport {
 public:
  // Prints "[Error] " and the message on standard output, preceded by one empty line before the
  // first error of the run, and makes the exit code 1. The run goes on; the caller decides.
  void ReportError(std::u16string_view message);
  // While the audio goes to standard output, that carries only audio: the error lines go to
  // standard error instead, without the empty line (there is no progress line to end there).
  void SetToStandardError(bool on) { toStandardError_ = on; }
  // 0 until ReportError was called, then 1.
  int ExitCode() const { return errorReported_ ? 1 : 0; }

 private:
  bool errorReported_ = false;
  bool toStandardError_ = false;
};

// Prints "[Warning] " and the message on standard error (standard output may carry the audio); the
// run goes on and the exit code is not changed.
void ReportWarning(std::u16string_view message);

}  // namespace sonacli
