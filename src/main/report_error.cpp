#include "main/report_error.h"

#include <string>

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

}  // namespace sonacli
