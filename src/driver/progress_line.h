// The progress line of -dp: a 32-character bar with the percentage, redrawn in place.
#pragma once

#include <cstdint>
#include <string>

namespace sonacli {

// round(done x 100 / total), halves to the even neighbour; 0 when total <= 0.
int32_t ProgressPercent(int64_t done, int64_t total);
// CR, "[", round(p x 32 / 100) "#", the rest of the 32 characters ".", "] ", p, "%".
std::u16string ProgressLineText(int32_t percent);
// The progress line of one driver run.
class TProgressLine {
 public:
  // Writes the line for done of total (no line end) unless its percentage is the one last drawn.
  void Draw(int64_t done, int64_t total);
  // Closes a progress line drawn since the last call: with printLineEnd a line end follows it, so
  // that the shell prompt starts on a line of its own (not needed after an error line, which the
  // error report starts on a new line itself).
  void End(bool printLineEnd);

 private:
  int32_t lastPercent_ = -1;  // -1 before the first drawing
  bool lineOpen_ = false;
};

}  // namespace sonacli
