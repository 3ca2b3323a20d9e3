#include "subtitles/lrc_reader.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "common/trim.h"
#include "subtitles/subtitle_time.h"
#include "subtitles/timed_caption.h"

namespace sonacli {

namespace {

// Characters of caption text that one lyrics line may give through its time tags.
constexpr size_t kLineCaptionBudget = 65536;

bool IsLyricsLine(std::u16string_view line) {
  return line.size() >= 3 && line[0] == u'[' && line[1] >= u'0' && line[1] <= u'9' &&
         line.find(u']') != std::u16string_view::npos;
}

// A tag text such as "01:15.50": five characters or more, ":" third or fourth.
bool IsTimeTag(std::u16string_view tag) {
  return tag.size() >= 5 && (tag[2] == u':' || tag[3] == u':');
}

// Appends one caption per leading time tag of the line, each with the text after the tags.
void ReadLyricsLine(std::u16string_view line, std::vector<TTimedCaption>& captions) {
  std::vector<int64_t> times;
  std::u16string_view rest = line;
  while (rest.starts_with(u'[')) {
    const size_t close = rest.find(u']');
    if (close == std::u16string_view::npos) break;
    const std::u16string_view tag = rest.substr(1, close - 1);
    if (!IsTimeTag(tag)) break;
    times.push_back(ParseLrcTime(tag));
    rest.remove_prefix(close + 1);
    while (!rest.empty() && rest.front() <= u' ') rest.remove_prefix(1);  // as TrimLeft
  }
  const std::u16string text = Trim(rest);
  // Every tag copies the text; a crafted line of many tags and a long text would otherwise make
  // the list grow with the square of its length.
  const size_t limit = text.empty() ? times.size() : std::max<size_t>(1, kLineCaptionBudget / text.size());
  times.resize(std::min(times.size(), limit));
  for (int64_t time : times) captions.push_back({time, text});
}

}  // namespace

SubtitleList ReadLrc(const std::vector<std::u16string>& lines) {
  std::vector<TTimedCaption> captions;
  for (const std::u16string& line : lines) {
    if (IsLyricsLine(line)) ReadLyricsLine(line, captions);
  }
  std::stable_sort(captions.begin(), captions.end(),
                   [](const TTimedCaption& a, const TTimedCaption& b) { return a.TimeMs < b.TimeMs; });
  return SubtitlesFromCaptions(std::move(captions));
}

}  // namespace sonacli
