#include "subtitles/ssa_reader.h"

#include <optional>
#include <string_view>
#include <utility>

#include "common/trim.h"
#include "common/unicode_text.h"
#include "subtitles/subtitle_text.h"
#include "subtitles/subtitle_time.h"

namespace sonacli {

namespace {

using Lines = std::vector<std::u16string>;

// 1-based positions of the fields that matter and the number of fields.
struct EventFormat {
  size_t Start = 0;
  size_t End = 0;
  size_t Text = 0;
  size_t Count = 0;
};

bool BeginsCaseless(std::u16string_view line, std::u16string_view lowerPrefix) {
  return line.size() >= lowerPrefix.size() && LowerCase(line.substr(0, lowerPrefix.size())) == lowerPrefix;
}

// Marks the lines inside the events section: those after a "[Events]" line, up to the next section.
std::vector<bool> EventLines(const Lines& lines) {
  std::vector<bool> inEvents(lines.size(), false);
  bool inside = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].starts_with(u'[')) {
      inside = BeginsCaseless(lines[i], u"[events]");
    } else {
      inEvents[i] = inside;
    }
  }
  return inEvents;
}

std::optional<EventFormat> ReadFormat(std::u16string_view afterColon) {
  const std::u16string names = LowerCase(afterColon);
  if (Trim(names).empty()) return std::nullopt;
  EventFormat format;
  size_t from = 0;
  while (true) {
    const size_t comma = names.find(u',', from);
    const std::u16string name = Trim(std::u16string_view(names).substr(from, comma - from));
    ++format.Count;
    if (name == u"start") format.Start = format.Count;
    if (name == u"end") format.End = format.Count;
    if (name == u"text") format.Text = format.Count;
    if (comma == std::u16string::npos) break;
    from = comma + 1;
  }
  if (format.Start == 0 || format.End == 0 || format.Text == 0) return std::nullopt;
  return format;
}

// The `count` comma-separated fields of a Dialogue line; the last takes the rest of the line.
std::vector<std::u16string_view> SplitFields(std::u16string_view text, size_t count) {
  std::vector<std::u16string_view> fields;
  size_t from = 0;
  while (fields.size() + 1 < count) {
    const size_t comma = text.find(u',', from);
    if (comma == std::u16string_view::npos) break;
    fields.push_back(text.substr(from, comma - from));
    from = comma + 1;
  }
  fields.push_back(text.substr(from));
  fields.resize(count);  // fields a short line lacks stay empty
  return fields;
}

std::u16string CleanDialogueText(std::u16string_view text) {
  TCleaning cleaning(text);
  cleaning.Apply(u"{", &StripOverrideBlocks);
  cleaning.Apply(u"<", &StripAngleTags);
  cleaning.Apply(u"{{", &KeepLangAndChapterTags);
  cleaning.Apply(u"\\", &ReplaceBreakCodes);
  return cleaning.Trimmed();
}

}  // namespace

SubtitleList ReadSsa(const Lines& lines) {
  SubtitleList subtitles;
  const std::vector<bool> inEvents = EventLines(lines);
  std::optional<EventFormat> format;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (inEvents[i] && BeginsCaseless(lines[i], u"format:")) {
      format = ReadFormat(std::u16string_view(lines[i]).substr(7));
      break;
    }
  }
  if (!format) return subtitles;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!inEvents[i] || !BeginsCaseless(lines[i], u"dialogue:")) continue;
    const auto fields = SplitFields(std::u16string_view(lines[i]).substr(9), format->Count);
    const int64_t startMs = ParseSsaTime(fields[format->Start - 1]);
    const int64_t endMs = ParseSsaTime(fields[format->End - 1]);
    std::u16string text = CleanDialogueText(fields[format->Text - 1]);
    // An event that lasts no time is never shown (placeholders, karaoke timing).
    if (text.empty() || endMs == startMs) continue;
    subtitles.push_back({startMs, endMs, std::move(text)});
  }
  return subtitles;
}

}  // namespace sonacli
