// An input text made of the lines of another, in any order and as they were changed: each line
// brings its source and its -ln number along, and a book's line its chapter. A chapter starts
// wherever a line of it follows a line of the books that is not of it, so a chapter whose first
// line was left out starts at its first line that was kept.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "input/input_text.h"

namespace sonacli {

class TInputTextBuilder {
 public:
  // Only the runs and the chapters of `from` are read: its lines may be moved away meanwhile.
  explicit TInputTextBuilder(const TInputText& from) : from_(from) {}

  // A line that comes from the line at `origin` of `from`.
  void AddLine(std::u16string line, size_t origin);
  // Lines of the user's text that no longer match lines of `from` one to one (the filters joined
  // and split them): they have no -ln numbers.
  void AddRewrittenUserLines(std::vector<std::u16string> lines);
  // The text made; the builder is empty afterwards.
  TInputText Take();

 private:
  // Lines of `run` from `number` on (0: without numbers) go on at the end of the text.
  void ContinueRun(const TInputRun& run, size_t number);

  const TInputText& from_;
  TInputText to_;
  size_t lastNumber_ = 0;              // the -ln number of the last line added; 0: none
  std::optional<size_t> lastChapter_;  // the chapter of the last book line added, a mark of `from_`
};

}  // namespace sonacli
