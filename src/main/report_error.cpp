#include "main/report_error.h"

#include <string>

#include "platform/console.h"

namespace sonacli {

void TErrorReport::ReportError(std::u16string_view message) {
  if (!errorReported_) PrintLine(u"");
  errorReported_ = true;
  PrintLine(std::u16string(u"[Error] ").append(message));
}

}  // namespace sonacli
