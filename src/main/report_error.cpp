#include "main/report_error.h"

#include <cstdio>
#include <string>

#include "common/unicode_text.h"
#include "platform/console.h"

namespace sonacli {

void TErrorReport::ReportError(std::u16string_view message) {
  const std::u16string line = std::u16string(u"[Error] ").append(message);
  if (toStandardError_) {
    PrintErrorLine(line);
  } else {
    if (!errorReported_) PrintLine(u"");
    PrintLine(line);
  }
  errorReported_ = true;
}

void ReportWarning(std::u16string_view message) {
  const std::string line = "[Warning] " + ToUtf8(message) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace sonacli
