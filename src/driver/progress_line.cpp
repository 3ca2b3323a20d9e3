#include "driver/progress_line.h"

#include "common/duration_text.h"
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

std::u16string ProgressDetailText(int64_t done, int64_t total, std::optional<int64_t> leftMs) {
  std::u16string text = u" " + ToUtf16(std::to_string(done)) + u"/" + ToUtf16(std::to_string(total));
  if (leftMs) {
    text += u", " + DurationText(*leftMs) + u" left";
  }
  return text + u"\x1b[K";
}

std::optional<int64_t> ProgressTimeLeftMs(int64_t elapsedMs, int64_t done, int64_t total) {
  if (done <= 0 || total < done) return std::nullopt;
  return elapsedMs * (total - done) / done;
}

TProgressLine::TProgressLine() : TProgressLine(IsStdoutTerminal(), SystemTickClock()) {}

TProgressLine::TProgressLine(bool details, TTickClock& clock) : details_(details), clock_(clock) {}

void TProgressLine::Draw(int64_t done, int64_t total) {
  const int32_t percent = ProgressPercent(done, total);
  if (percent == lastPercent_ && (!details_ || done == lastDone_)) return;
  const bool first = lastPercent_ < 0;
  lastPercent_ = percent;
  lastDone_ = done;
  if (!details_) {
    PrintText(ProgressLineText(percent));
  } else {
    const int64_t nowMs = clock_.TickCountMs();
    if (first) startMs_ = nowMs;
    PrintText(ProgressLineText(percent) +
              ProgressDetailText(done, total, ProgressTimeLeftMs(nowMs - startMs_, done, total)));
  }
  lineOpen_ = true;
}

void TProgressLine::End(bool printLineEnd) {
  if (lineOpen_ && printLineEnd) PrintLine(u"");
  lineOpen_ = false;
}

}  // namespace sonacli
