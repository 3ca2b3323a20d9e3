#include "main/report_error.h"

#include <cstdio>
#include <string>

#include "common/unicode_text.h"
#include "platform/console.h"

namespace sonacli {

void TErrorReport::ReportError(std::u16string_view message) {
  if (!errorReported_) PrintLine(u"");
  errorReported_ = true;
  PrintLine(std::u16string(u"[Error] ").append(message));
}

void ReportWarning(std::u16string_view message) {
  const std::string line = "[Warning] " + ToUtf8(message) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace sonacli
