#include "subtitles/subtitle_time.h"

#include <algorithm>
#include <limits>

#include "subtitles/subtitle_text.h"

namespace sonacli {

namespace {

constexpr int64_t kHourMs = 3600000;
constexpr int64_t kMinuteMs = 60000;
constexpr int64_t kSecondMs = 1000;
constexpr size_t kNone = std::u16string_view::npos;

// Where the seconds end: at the first `separator` or `alternative`, else kNone.
size_t FractionMark(std::u16string_view text, char16_t separator, char16_t alternative) {
  for (size_t at = 0; at < text.size(); ++at) {
    if (text[at] == separator || text[at] == alternative) return at;
  }
  return kNone;
}

// The seconds up to the fraction mark (or to the end) and the fraction after it, in milliseconds.
std::optional<int64_t> SecondsAndFraction(std::u16string_view text, char16_t separator,
                                          char16_t alternative) {
  const size_t at = FractionMark(text, separator, alternative);
  const std::optional<int32_t> seconds = ParseDecimalInteger(text.substr(0, at));
  if (!seconds) return std::nullopt;
  const int64_t ms = *seconds * kSecondMs;
  if (at == kNone || at + 1 == text.size()) return ms;
  const std::u16string_view digits = text.substr(at + 1);
  const std::optional<int32_t> fraction = ParseDecimalInteger(digits);
  if (!fraction) return std::nullopt;
  // Short fractions are tenths or hundredths of a second; longer ones count as milliseconds.
  const int64_t scale = digits.size() == 1 ? 100 : digits.size() == 2 ? 10 : 1;
  return ms + *fraction * scale;
}

// "h:m:s<separator>f" (or <alternative>); with one ":" only the hours count.
int64_t ParseHoursFirst(std::u16string_view trimmed, char16_t separator, char16_t alternative) {
  const size_t first = trimmed.find(u':');
  if (first == kNone) return 0;
  const std::optional<int32_t> hours = ParseDecimalInteger(trimmed.substr(0, first));
  if (!hours) return 0;
  const std::u16string_view rest = trimmed.substr(first + 1);
  const size_t second = rest.find(u':');
  if (second == kNone) return *hours * kHourMs;
  const std::optional<int32_t> minutes = ParseDecimalInteger(rest.substr(0, second));
  const std::optional<int64_t> seconds = SecondsAndFraction(rest.substr(second + 1), separator, alternative);
  if (!minutes || !seconds) return 0;
  return *hours * kHourMs + *minutes * kMinuteMs + *seconds;
}

// "m:s.f".
std::optional<int64_t> ParseMinutesFirst(std::u16string_view text) {
  const size_t colon = text.find(u':');
  if (colon == kNone) return std::nullopt;
  const std::optional<int32_t> minutes = ParseDecimalInteger(text.substr(0, colon));
  const std::optional<int64_t> seconds = SecondsAndFraction(text.substr(colon + 1), u'.', u'.');
  if (!minutes || !seconds) return std::nullopt;
  return *minutes * kMinuteMs + *seconds;
}

}  // namespace

std::optional<int32_t> ParseDecimalInteger(std::u16string_view text) {
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c - u'0');
    if (value > std::numeric_limits<int32_t>::max()) return std::nullopt;
  }
  return static_cast<int32_t>(value);
}

int64_t ParseSrtTime(std::u16string_view text) {
  // Many SRT files in circulation are written with the "." of the other formats.
  return ParseHoursFirst(TrimmedView(text), u',', u'.');
}

int64_t ParseSsaTime(std::u16string_view text) {
  return ParseHoursFirst(TrimmedView(text), u'.', u'.');
}

int64_t ParseVttTime(std::u16string_view text) {
  const std::u16string_view trimmed = TrimmedView(text);
  std::u16string_view rest = trimmed;
  int64_t hoursMs = 0;
  if (std::count(trimmed.begin(), trimmed.end(), u':') == 2) {
    const size_t colon = trimmed.find(u':');
    const std::optional<int32_t> hours = ParseDecimalInteger(rest.substr(0, colon));
    if (!hours) return 0;
    hoursMs = *hours * kHourMs;
    rest = rest.substr(colon + 1);
  }
  const std::optional<int64_t> restMs = ParseMinutesFirst(rest);
  return restMs ? hoursMs + *restMs : 0;
}

int64_t ParseLrcTime(std::u16string_view text) {
  return ParseMinutesFirst(TrimmedView(text)).value_or(0);
}

}  // namespace sonacli
