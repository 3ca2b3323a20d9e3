#include "input/input_text.h"

#include <algorithm>
#include <iterator>

namespace sonacli {

namespace {

// A run that would start at the end of the lines holds none: the next run takes its place.
void DropEmptyLastRun(TInputText& text) {
  if (!text.Runs.empty() && text.Runs.back().FirstLine == text.Lines.size()) text.Runs.pop_back();
}

}  // namespace

TInputText UserText(std::vector<std::u16string> lines) {
  TInputText text;
  text.Lines = std::move(lines);
  text.Runs.push_back({TLineSource::UserText, 0, {}, 0, 1});
  return text;
}

void BeginUserText(TInputText& text) {
  DropEmptyLastRun(text);
  if (!text.Runs.empty() && text.Runs.back().Source == TLineSource::UserText) return;
  text.Runs.push_back({TLineSource::UserText, 0, {}, text.Lines.size(), text.Lines.size() + 1});
}

void AppendBookText(TInputText& text, std::vector<std::u16string> lines, std::vector<TLineChapter> chapters,
                    size_t book, std::u16string language) {
  DropEmptyLastRun(text);
  const size_t first = text.Lines.size();
  text.Runs.push_back({TLineSource::Book, book, std::move(language), first, first + 1});
  if (text.Lines.empty()) {
    text.Lines = std::move(lines);
  } else {
    text.Lines.insert(text.Lines.end(), std::make_move_iterator(lines.begin()),
                      std::make_move_iterator(lines.end()));
  }
  for (TLineChapter& chapter : chapters) {
    chapter.Line += first;
    text.Chapters.push_back(std::move(chapter));
  }
}

size_t RunEnd(const TInputText& text, size_t run) {
  return run + 1 < text.Runs.size() ? text.Runs[run + 1].FirstLine : text.Lines.size();
}

size_t RunOfLine(const TInputText& text, size_t line) {
  const auto after = std::upper_bound(text.Runs.begin(), text.Runs.end(), line,
                                      [](size_t at, const TInputRun& run) { return at < run.FirstLine; });
  return after == text.Runs.begin() ? 0 : static_cast<size_t>(after - text.Runs.begin()) - 1;
}

size_t LineNumber(const TInputText& text, size_t line) {
  if (text.Runs.empty()) return line + 1;
  const TInputRun& run = text.Runs[RunOfLine(text, line)];
  return run.FirstNumber == 0 ? 0 : run.FirstNumber + (line - run.FirstLine);
}

bool SameSource(const TInputRun& first, const TInputRun& second) {
  if (first.Source != second.Source) return false;
  return first.Source == TLineSource::UserText || first.Book == second.Book;
}

std::vector<std::u16string> UserLines(const TInputText& text) {
  std::vector<std::u16string> lines;
  for (size_t run = 0; run < text.Runs.size(); ++run) {
    if (text.Runs[run].Source != TLineSource::UserText) continue;
    lines.insert(lines.end(), text.Lines.begin() + text.Runs[run].FirstLine,
                 text.Lines.begin() + RunEnd(text, run));
  }
  return lines;
}

}  // namespace sonacli
