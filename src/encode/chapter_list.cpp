#include "encode/chapter_list.h"

#include <algorithm>
#include <limits>

namespace sonacli {

size_t MaxChapters(TOutputFormat format) {
  switch (format) {
    case TOutputFormat::Opus:
    case TOutputFormat::Flac:
      return 1000;
    case TOutputFormat::Mp3:
      return 255;
    default:
      return std::numeric_limits<size_t>::max();
  }
}

std::u16string OneLineTitle(std::u16string_view title) {
  std::u16string line(title);
  for (char16_t& c : line) {
    // C0 and C1 controls, and the line and paragraph separators.
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029) c = u' ';
  }
  return line;
}

std::vector<TChapterSpan> ChapterSpans(std::vector<TChapterMark> marks, int64_t totalFrames, size_t limit) {
  std::stable_sort(marks.begin(), marks.end(),
                   [](const TChapterMark& a, const TChapterMark& b) { return a.StartFrame < b.StartFrame; });
  std::vector<TChapterSpan> spans;
  for (TChapterMark& mark : marks) {
    if (mark.StartFrame >= totalFrames || spans.size() == limit) break;
    if (!spans.empty()) spans.back().EndFrame = std::max<int64_t>(mark.StartFrame, 0);
    spans.push_back({OneLineTitle(mark.Title), std::max<int64_t>(mark.StartFrame, 0), totalFrames});
  }
  return spans;
}

}  // namespace sonacli
