// The progress line of -dp: a 32-character bar with the percentage, redrawn in place; on a terminal
// followed by the pieces done of all and the time left.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/tick_clock.h"

namespace sonacli {

// round(done x 100 / total), halves to the even neighbour; 0 when total <= 0.
int32_t ProgressPercent(int64_t done, int64_t total);
// CR, "[", round(p x 32 / 100) "#", the rest of the 32 characters ".", "] ", p, "%".
std::u16string ProgressLineText(int32_t percent);
// What a terminal shows after the percentage: " done/total", then ", H:MM:SS left" when the time
// left is known, then the erasure of the rest of the line (ESC "[K"), which a shorter line than the
// one before would otherwise leave behind.
std::u16string ProgressDetailText(int64_t done, int64_t total, std::optional<int64_t> leftMs);
// The time left at the pace so far: the time since the first drawing shared out over the pieces
// done, for the pieces still to do; unknown before the first piece is done.
std::optional<int64_t> ProgressTimeLeftMs(int64_t elapsedMs, int64_t done, int64_t total);

// The progress line of one driver run.
class TProgressLine {
 public:
  // With the details when standard output is a terminal, timed on the system clock.
  TProgressLine();
  // With the details or without, timed on `clock`, which must outlive the line.
  TProgressLine(bool details, TTickClock& clock);

  // Writes the line for done of total (no line end) unless it would show what was last drawn:
  // the same percentage, and with the details the same number done.
  void Draw(int64_t done, int64_t total);
  // Closes a progress line drawn since the last call: with printLineEnd a line end follows it, so
  // that the shell prompt starts on a line of its own (not needed after an error line, which the
  // error report starts on a new line itself).
  void End(bool printLineEnd);

 private:
  bool details_;
  TTickClock& clock_;
  int64_t startMs_ = 0;       // when the line was first drawn
  int32_t lastPercent_ = -1;  // -1 before the first drawing
  int64_t lastDone_ = -1;
  bool lineOpen_ = false;
};

}  // namespace sonacli
