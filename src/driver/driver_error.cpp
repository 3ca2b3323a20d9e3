#include "driver/driver_error.h"

namespace sonacli {

void ReportDriverError(TRunResult& result, std::u16string_view message) {
  result.ErrorReported = true;
  if (result.Printer) result.Printer(message);
}

void ReportDriverWarning(const TRunResult& result, std::u16string_view message) {
  if (result.WarningPrinter) result.WarningPrinter(message);
}

}  // namespace sonacli
