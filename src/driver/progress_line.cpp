#include "driver/progress_line.h"

#include "common/unicode_text.h"
#include "platform/console.h"

namespace sonacli {

namespace {

constexpr int32_t kBarWidth = 32;

// numerator / denominator rounded to the nearest integer, halves to even (both non-negative).
int64_t RoundHalfEven(int64_t numerator, int64_t denominator) {
  int64_t quotient = numerator / denominator;
  int64_t twiceRest = 2 * (numerator % denominator);
  if (twiceRest > denominator || (twiceRest == denominator && quotient % 2 != 0)) ++quotient;
  return quotient;
}

}  // namespace

int32_t ProgressPercent(int64_t done, int64_t total) {
  if (total <= 0 || done <= 0) return 0;
  return static_cast<int32_t>(RoundHalfEven(done * 100, total));
}

std::u16string ProgressLineText(int32_t percent) {
  int32_t filled = static_cast<int32_t>(RoundHalfEven(int64_t{percent} * kBarWidth, 100));
  std::u16string line = u"\r[";
  line.append(filled, u'#');
  line.append(kBarWidth - filled, u'.');
  line += u"] " + ToUtf16(std::to_string(percent)) + u"%";
  return line;
}

void TProgressLine::Draw(int64_t done, int64_t total) {
  int32_t percent = ProgressPercent(done, total);
  if (percent == lastPercent_) return;
  lastPercent_ = percent;
  PrintText(ProgressLineText(percent));
  lineOpen_ = true;
}

void TProgressLine::End(bool printLineEnd) {
  if (lineOpen_ && printLineEnd) PrintLine(u"");
  lineOpen_ = false;
}

}  // namespace sonacli
