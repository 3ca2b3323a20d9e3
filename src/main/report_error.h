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
  // 0 until ReportError was called, then 1.
  int ExitCode() const { return errorReported_ ? 1 : 0; }

 private:
  bool errorReported_ = false;
};

}  // namespace sonacli
