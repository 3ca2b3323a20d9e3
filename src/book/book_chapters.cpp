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

}  // namespace

std::vector<TBookChapter> FinishChapters(std::vector<TBookChapter> chapters,
                                         const std::vector<std::u16string>& lines) {
  std::stable_sort(chapters.begin(), chapters.end(),
                   [](const TBookChapter& a, const TBookChapter& b) { return a.Line < b.Line; });
  std::vector<TBookChapter> finished;
  for (TBookChapter& chapter : chapters) {
    if (chapter.Line >= lines.size()) break;
    if (!finished.empty() && finished.back().Line == chapter.Line) continue;
    if (chapter.Title.empty()) chapter.Title = TitleFromText(lines[chapter.Line]);
    finished.push_back(std::move(chapter));
  }
  return finished;
}

}  // namespace sonacli
