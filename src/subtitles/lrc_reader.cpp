#include "subtitles/lrc_reader.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "subtitles/subtitle_text.h"
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
  const size_t first = captions.size();
  std::u16string_view rest = line;
  while (rest.starts_with(u'[')) {
    const size_t close = rest.find(u']');
    if (close == std::u16string_view::npos) break;
    const std::u16string_view tag = rest.substr(1, close - 1);
    if (!IsTimeTag(tag)) break;
    captions.push_back({ParseLrcTime(tag), {}});
    rest = TrimmedLeftView(rest.substr(close + 1));
  }
  const std::u16string_view text = TrimmedView(rest);
  // Every tag copies the text; a crafted line of many tags and a long text would otherwise make
  // the list grow with the square of its length.
  const size_t limit = text.empty() ? captions.size() : std::max<size_t>(1, kLineCaptionBudget / text.size());
  captions.resize(std::min(captions.size(), first + limit));
  for (size_t i = first; i < captions.size(); ++i) captions[i].Text = text;
}

}  // namespace

SubtitleList ReadLrc(const std::vector<std::u16string>& lines) {
  std::vector<TTimedCaption> captions;
  captions.reserve(lines.size());  // mostly one time tag a line
  for (const std::u16string& line : lines) {
    if (IsLyricsLine(line)) ReadLyricsLine(line, captions);
  }
  const auto earlier = [](const TTimedCaption& a, const TTimedCaption& b) { return a.TimeMs < b.TimeMs; };
  if (!std::is_sorted(captions.begin(), captions.end(), earlier)) {
    std::stable_sort(captions.begin(), captions.end(), earlier);
  }
  return SubtitlesFromCaptions(std::move(captions));
}

}  // namespace sonacli
