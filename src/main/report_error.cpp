#include "main/report_error.h"

#include <cstdio>
#include <string>

#include "common/unicode_text.h"
#include "platform/console.h"

namespace sonacli {

std::u16string OneLineMessage(std::u16string_view message) {
  std::u16string line(message);
  for (char16_t& c : line) {
    if (c < u' ' || c == u'\x7F' || (c >= u'\x80' && c < u'\xA0')) c = u' ';
  }
  return line;
}

void TErrorReport::ReportError(std::u16string_view message) {
  const std::u16string line = u"[Error] " + OneLineMessage(message);
  if (toStandardError_) {
    PrintErrorLine(line);
  } else {
    if (!errorReported_) PrintLine(u"");
    PrintLine(line);
  }
  errorReported_ = true;
}

void ReportWarning(std::u16string_view message) {
  const std::string line = "[Warning] " + ToUtf8(OneLineMessage(message)) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace sonacli
