// How the synthesis drivers report a failure to the run that called them.
#pragma once

#include <functional>
#include <string_view>

namespace sonacli {

// The program's printer of user-visible error lines (ReportError of the run sequence, which sits
// above this layer).
using TErrorPrinter = std::function<void(std::u16string_view message)>;

// What a driver run tells its caller, and how it reports on the way.
struct TRunResult {
  TErrorPrinter Printer;  // empty: nothing is printed
  bool ToStdout = false;  // the audio goes to standard output; the printer then uses standard error
  bool ErrorReported = false;
  TErrorPrinter WarningPrinter = nullptr;  // empty: warnings are not printed
};

// Records the failure in the result and prints the message; the exit code becomes 1. (With -o the
// printer writes to standard error, so that standard output stays a clean audio stream.)
void ReportDriverError(TRunResult& result, std::u16string_view message);

// Prints a warning: the run goes on and its result is not changed.
void ReportDriverWarning(const TRunResult& result, std::u16string_view message);

}  // namespace sonacli
