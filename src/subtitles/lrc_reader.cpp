#include "subtitles/lrc_reader.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

#include "common/decimal.h"
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

// The number of ASCII digits from `at`, at most `most`.
size_t DigitsAt(std::u16string_view text, size_t at, size_t most) {
  size_t count = 0;
  while (count < most && at + count < text.size() && IsAsciiDigit(text[at + count])) ++count;
  return count;
}

// The length of an enhanced-LRC word time at `at` ("<01:02.50>", "<1:02>", "<01:02:50>"), else 0.
size_t WordTimeLength(std::u16string_view text, size_t at) {
  size_t end = at + 1;
  const size_t minutes = DigitsAt(text, end, 3);
  if (minutes == 0 || end + minutes == text.size() || text[end + minutes] != u':') return 0;
  end += minutes + 1;
  const size_t seconds = DigitsAt(text, end, 2);
  if (seconds != 2) return 0;
  end += seconds;
  if (end < text.size() && (text[end] == u'.' || text[end] == u':')) {
    const size_t fraction = DigitsAt(text, end + 1, 3);
    if (fraction == 0) return 0;
    end += 1 + fraction;
  }
  return end < text.size() && text[end] == u'>' ? end + 1 - at : 0;
}

// The text without the word times of enhanced LRC; the spaces on both sides of one become one.
std::u16string StripWordTimes(std::u16string_view text) {
  std::u16string kept;
  kept.reserve(text.size());
  size_t at = 0;
  while (at < text.size()) {
    const size_t open = text.find(u'<', at);
    kept.append(text.substr(at, open == std::u16string_view::npos ? open : open - at));
    if (open == std::u16string_view::npos) break;
    const size_t length = WordTimeLength(text, open);
    if (length == 0) {
      kept.push_back(u'<');
      at = open + 1;
      continue;
    }
    at = open + length;
    if (!kept.empty() && kept.back() == u' ') {
      while (at < text.size() && text[at] == u' ') ++at;
    }
  }
  return kept;
}

// The value of an "[offset:+500]" tag in ms (sign optional), nullopt for any other line.
std::optional<int64_t> OffsetTag(std::u16string_view line) {
  constexpr std::u16string_view kTag = u"[offset:";
  const std::u16string_view trimmed = TrimmedView(line);
  if (trimmed.size() <= kTag.size() || !trimmed.ends_with(u']') || !MatchesCaseless(trimmed, 0, kTag))
    return std::nullopt;
  const std::u16string_view value =
      TrimmedView(trimmed.substr(kTag.size(), trimmed.size() - kTag.size() - 1));
  const std::optional<int32_t> ms = ParseDecimal32(value);
  return ms ? std::optional<int64_t>(*ms) : std::nullopt;
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
  TCleaning cleaning(rest);
  cleaning.Apply(u"<", &StripWordTimes);
  std::u16string text = cleaning.Trimmed();
  // Every tag copies the text; a crafted line of many tags and a long text would otherwise make
  // the list grow with the square of its length.
  const size_t limit = text.empty() ? captions.size() : std::max<size_t>(1, kLineCaptionBudget / text.size());
  captions.resize(std::min(captions.size(), first + limit));
  if (captions.size() == first) return;
  for (size_t i = first; i + 1 < captions.size(); ++i) captions[i].Text = text;
  captions.back().Text = std::move(text);
}

}  // namespace

SubtitleList ReadLrc(const std::vector<std::u16string>& lines) {
  std::vector<TTimedCaption> captions;
  captions.reserve(lines.size());  // mostly one time tag a line
  int64_t offsetMs = 0;
  bool offsetRead = false;
  for (const std::u16string& line : lines) {
    if (IsLyricsLine(line)) {
      ReadLyricsLine(line, captions);
    } else if (!offsetRead) {
      const std::optional<int64_t> offset = OffsetTag(line);
      offsetRead = offset.has_value();
      offsetMs = offset.value_or(0);
    }
  }
  // A positive offset makes the lyrics come sooner; none comes before the start.
  if (offsetMs != 0) {
    for (TTimedCaption& caption : captions) caption.TimeMs = std::max<int64_t>(0, caption.TimeMs - offsetMs);
  }
  const auto earlier = [](const TTimedCaption& a, const TTimedCaption& b) { return a.TimeMs < b.TimeMs; };
  if (!std::is_sorted(captions.begin(), captions.end(), earlier)) {
    std::stable_sort(captions.begin(), captions.end(), earlier);
  }
  return SubtitlesFromCaptions(std::move(captions));
}

}  // namespace sonacli
