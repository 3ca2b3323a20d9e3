// The one way a user-visible error is printed, and the process exit code it decides.
#pragma once

#include <string>
#include <string_view>

namespace sonacli {

// The error report of one run.
class TErrorReport {
 public:
  // Prints "[Error] " and the message on standard output, preceded by one empty line before the
  // first error of the run, and makes the exit code 1. The run goes on; the caller decides. The
  // message is one line (OneLineMessage), whatever it quotes.
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

// Prints "[Warning] " and the message, made one line, on standard error (standard output may carry
// the audio); the run goes on and the exit code is not changed.
void ReportWarning(std::u16string_view message);

// The message as one line: every control character (a line break in a file name or in a library's
// text, a terminal's escape) becomes a space, so that each message is exactly one line of output
// that a script can find by its prefix and that cannot move the terminal's cursor.
std::u16string OneLineMessage(std::u16string_view message);

}  // namespace sonacli
