#include "book/book_chapters.h"

#include <algorithm>

namespace sonacli {
namespace {

std::u16string TitleFromText(const std::u16string& line) {
  if (line.size() <= kMaxTitleFromText) return line;
  size_t cut = line.rfind(u' ', kMaxTitleFromText);
  if (cut == std::u16string::npos || cut == 0) {
    cut = kMaxTitleFromText;
    // Never between the two halves of a surrogate pair.
    if (line[cut - 1] >= 0xD800 && line[cut - 1] <= 0xDBFF) --cut;
  }
  return line.substr(0, cut) + u"\u2026";
}

// Counts the lines that are no headings before each line, so that whether a span of lines holds
// text of its own is known at once.
std::vector<size_t> TextLinesBefore(size_t count, const std::function<bool(size_t)>& isHeading) {
  std::vector<size_t> before(count + 1, 0);
  for (size_t line = 0; line < count; ++line) before[line + 1] = before[line] + (isHeading(line) ? 0 : 1);
  return before;
}

size_t ParentOf(const std::vector<TFoundChapter>& found, size_t index) {
  const size_t parent = found[index].Parent;
  return parent < index ? parent : kNoParent;
}

// The titles of the entries the chapter is nested in, as many of the nearest as fit, from the
// outermost, each followed by ", ".
std::u16string Context(const std::vector<TFoundChapter>& found, size_t index) {
  std::vector<const std::u16string*> titles;
  size_t characters = 0;
  size_t levels = 0;
  for (size_t parent = ParentOf(found, index); parent != kNoParent && levels < kMaxContextLevels;
       parent = ParentOf(found, parent), ++levels) {
    const std::u16string& title = found[parent].Title;
    if (title.empty()) continue;
    if (characters + title.size() + 2 > kMaxContextCharacters) break;
    characters += title.size() + 2;
    titles.push_back(&title);
  }
  std::u16string context;
  context.reserve(characters);
  for (auto title = titles.rbegin(); title != titles.rend(); ++title) context += **title + u", ";
  return context;
}

}  // namespace

std::vector<TBookChapter> FinishChapters(const std::vector<TFoundChapter>& found,
                                         const std::vector<std::u16string>& lines,
                                         const std::function<bool(size_t line)>& isHeading, bool bareTitles) {
  const std::vector<size_t> textBefore = TextLinesBefore(lines.size(), isHeading);
  const auto textBetween = [&](size_t from, size_t to) {
    return textBefore[std::min(to, lines.size())] - textBefore[std::min(from, lines.size())];
  };
  std::vector<size_t> starts(found.size());
  std::vector<bool> kept(found.size());
  for (size_t i = 0; i < found.size(); ++i) {
    starts[i] = found[i].Line;
    kept[i] = found[i].Placed && found[i].Line < lines.size();
  }
  for (size_t i = 0; i + 1 < found.size(); ++i) {
    const size_t child = i + 1;
    if (!kept[i] || !kept[child] || ParentOf(found, child) != i || starts[i] > starts[child]) continue;
    if (textBetween(starts[i], starts[child]) != 0) continue;
    starts[child] = starts[i];
    kept[i] = false;
  }
  std::vector<TBookChapter> chapters;
  for (size_t i = 0; i < found.size(); ++i) {
    if (!kept[i]) continue;
    const std::u16string own = found[i].Title.empty() ? TitleFromText(lines[found[i].Line]) : found[i].Title;
    chapters.push_back({bareTitles ? own : Context(found, i) + own, starts[i]});
  }
  std::stable_sort(chapters.begin(), chapters.end(),
                   [](const TBookChapter& a, const TBookChapter& b) { return a.Line < b.Line; });
  std::vector<TBookChapter> finished;
  for (TBookChapter& chapter : chapters) {
    if (!finished.empty() && finished.back().Line == chapter.Line) finished.pop_back();
    finished.push_back(std::move(chapter));
  }
  return finished;
}

std::vector<TBookChapter> FinishChapters(const std::vector<TBookChapter>& chapters,
                                         const std::vector<std::u16string>& lines) {
  std::vector<TFoundChapter> found;
  found.reserve(chapters.size());
  for (const TBookChapter& chapter : chapters) found.push_back({chapter.Title, chapter.Line});
  return FinishChapters(found, lines, [](size_t) { return false; });
}

}  // namespace sonacli
