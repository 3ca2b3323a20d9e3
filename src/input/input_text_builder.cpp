#include "input/input_text_builder.h"

#include <algorithm>
#include <iterator>

namespace sonacli {

namespace {

// The last mark at or before the line, as an index of the chapters; none before the first.
std::optional<size_t> ChapterOfLine(const std::vector<TLineChapter>& chapters, size_t line) {
  const auto after = std::upper_bound(chapters.begin(), chapters.end(), line,
                                      [](size_t at, const TLineChapter& mark) { return at < mark.Line; });
  if (after == chapters.begin()) return std::nullopt;
  return static_cast<size_t>(after - chapters.begin()) - 1;
}

}  // namespace

void TInputTextBuilder::AddLine(std::u16string line, size_t origin) {
  const size_t runIndex = RunOfLine(from_, origin);
  const TInputRun fallback;  // a text without runs is the user's
  const TInputRun& run = from_.Runs.empty() ? fallback : from_.Runs[runIndex];
  ContinueRun(run, LineNumber(from_, origin));
  if (run.Source == TLineSource::Book) {
    const std::optional<size_t> chapter = ChapterOfLine(from_.Chapters, origin);
    if (chapter && chapter != lastChapter_)
      to_.Chapters.push_back({to_.Lines.size(), from_.Chapters[*chapter].Title});
    lastChapter_ = chapter;
  }
  to_.Lines.push_back(std::move(line));
}

void TInputTextBuilder::AddRewrittenUserLines(std::vector<std::u16string> lines) {
  if (lines.empty()) return;
  ContinueRun(TInputRun{}, 0);
  to_.Lines.insert(to_.Lines.end(), std::make_move_iterator(lines.begin()),
                   std::make_move_iterator(lines.end()));
  lastNumber_ = 0;
}

void TInputTextBuilder::ContinueRun(const TInputRun& run, size_t number) {
  const bool numbersGoOn = number == 0 ? lastNumber_ == 0 : number == lastNumber_ + 1;
  if (to_.Runs.empty() || !SameSource(to_.Runs.back(), run) || !numbersGoOn) {
    TInputRun& added = to_.Runs.emplace_back(run);
    added.FirstLine = to_.Lines.size();
    added.FirstNumber = number;
  }
  lastNumber_ = number;
}

TInputText TInputTextBuilder::Take() {
  TInputText taken = std::move(to_);
  to_ = TInputText();
  lastNumber_ = 0;
  lastChapter_.reset();
  return taken;
}

}  // namespace sonacli
