#include "main/report_error.h"

#include <string>

#include "platform/console.h"

namespace sonacli {

namespace {

bool g_errorReported = false;

}  // namespace

void ReportError(std::u16string_view message) {
  if (!g_errorReported) PrintLine(u"");
  g_errorReported = true;
  PrintLine(std::u16string(u"[Error] ").append(message));
}

int ExitCode() {
  return g_errorReported ? 1 : 0;
}

void ResetErrorReport() {
  g_errorReported = false;
}

}  // namespace sonacli
