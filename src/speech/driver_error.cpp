#include "speech/driver_error.h"

#include "settings/online_global.h"

namespace sonacli {

namespace {
TErrorPrinter g_printer = nullptr;
}  // namespace

void SetErrorPrinter(TErrorPrinter printer) {
  g_printer = printer;
}

void ReportDriverError(TRunResult& result, std::u16string_view message, bool toStdout) {
  result.ErrorReported = true;
  if (!toStdout && g_printer) g_printer(message);
}

void ReportDriverError(TRunResult& result, std::u16string_view message) {
  ReportDriverError(result, message, ToStdout);
}

}  // namespace sonacli
