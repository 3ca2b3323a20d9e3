// How the synthesis drivers report a failure to the run that called them.
#pragma once

#include <string_view>

#include "speech/yandex_tts_object.h"

namespace sonacli {

// The program's printer of user-visible error lines (ReportError of the run sequence, which sits
// above this layer); set once before a driver runs. Without one nothing is printed.
using TErrorPrinter = void (*)(std::u16string_view message);
void SetErrorPrinter(TErrorPrinter printer);

// Records the failure in the result and, unless the audio goes to standard output (which then
// carries only audio), prints the message. With -o the exit code therefore stays 0.
void ReportDriverError(TRunResult& result, std::u16string_view message, bool toStdout);
void ReportDriverError(TRunResult& result, std::u16string_view message);  // ToStdout of the run

}  // namespace sonacli
