#include "main/dry_run_report.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "common/duration_text.h"
#include "common/unicode_text.h"
#include "service/sent_tone.h"

namespace sonacli {

namespace {

std::u16string Number(int64_t value) {
  return ToUtf16(std::to_string(value));
}

// A JSON string of the text: quotes, backslashes and the C0 controls escaped, everything else as it
// is (the line is UTF-8), so that a line end in a text never breaks the line.
std::u16string JsonString(std::u16string_view text) {
  std::u16string out = u"\"";
  for (const char16_t c : text) {
    if (c == u'"' || c == u'\\') {
      out += u'\\';
      out += c;
    } else if (c == u'\n') {
      out += u"\\n";
    } else if (c == u'\r') {
      out += u"\\r";
    } else if (c == u'\t') {
      out += u"\\t";
    } else if (c < 0x20 || c == 0x2028 || c == 0x2029) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(c));
      out += ToUtf16(escaped);
    } else {
      out += c;
    }
  }
  return out + u"\"";
}

std::u16string Field(std::u16string_view name, std::u16string_view jsonValue) {
  return u",\"" + std::u16string(name) + u"\":" + std::u16string(jsonValue);
}

TServiceInterface RouteOf(const TSynthesisRequest& request) {
  return RouteRequest(request.ApiKey, request.Voice);
}

std::u16string RequestsLine(const TDryRunPlan& plan, const TSettings& settings) {
  int64_t cached = 0;
  for (const TPlannedRequest& planned : plan.Requests) cached += planned.Cached ? 1 : 0;
  const auto all = static_cast<int64_t>(plan.Requests.size());
  std::u16string line = u"Requests: would send " + Number(all - cached) + u" of " + Number(all);
  if (!settings.CacheFolder.empty()) line += u" (" + Number(cached) + u" answered from the cache)";
  return line;
}

std::u16string CharactersLine(const TDryRunPlan& plan) {
  int64_t total = 0;
  std::map<TServiceInterface, int64_t> perInterface;
  for (const TPlannedRequest& planned : plan.Requests) {
    if (planned.Cached) continue;
    const int64_t characters = BilledCharacters(planned.Request.Text);
    total += characters;
    perInterface[RouteOf(planned.Request)] += characters;
  }
  std::u16string line = u"Characters billed: " + Number(total);
  std::u16string parts;
  for (const auto& [route, characters] : perInterface) {
    if (!parts.empty()) parts += u", ";
    parts += std::u16string(InterfaceName(route)) + u" " + Number(characters);
  }
  return parts.empty() ? line : line + u" (" + parts + u")";
}

std::u16string VoicesLine(const TDryRunPlan& plan) {
  // In the order of first use.
  std::vector<std::pair<std::u16string, int64_t>> voices;
  for (const TPlannedRequest& planned : plan.Requests) {
    const std::u16string name = planned.Request.Voice + u" (" + planned.Request.Language;
    auto found =
        std::find_if(voices.begin(), voices.end(), [&](const auto& voice) { return voice.first == name; });
    if (found == voices.end()) {
      voices.emplace_back(name, 1);
    } else {
      ++found->second;
    }
  }
  std::u16string line = u"Voices:";
  for (size_t i = 0; i < voices.size(); ++i)
    line += (i == 0 ? u" " : u", ") + voices[i].first + u", " + Number(voices[i].second) +
            (voices[i].second == 1 ? u" request)" : u" requests)");
  return line;
}

std::u16string LengthLine(const TDryRunPlan& plan, const TSettings& settings) {
  std::u16string line = u"Estimated length: " + DurationText(EstimatedAudioMs(plan, settings.SubtitleMode)) +
                        u" (speech at " + Number(kEstimatedCharactersPerSecond) +
                        u" characters a second at rate 1, " +
                        (settings.SubtitleMode ? u"subtitles at their times" : u"pauses as tagged");
  if (plan.NarrationPausesMs > 0)
    line += u", " + DurationText(plan.NarrationPausesMs) + u" of them between paragraphs and at chapters";
  if (plan.AudioInserts > 0)
    line += u", " + Number(int64_t(plan.AudioInserts)) + u" audio inserts not counted";
  return line + u")";
}

std::u16string FormatText(const TSettings& settings) {
  return Number(settings.SampleRate) + u" Hz, " + (settings.Stereo ? u"stereo" : u"mono");
}

void AddOutputLines(const TSettings& settings, std::vector<std::u16string>& lines) {
  if (settings.ToStdout) {
    const std::u16string_view kind = settings.RawOutput ? u"raw PCM" : u"WAV";
    lines.push_back(u"Output: standard output (" + std::u16string(kind) + u", " + FormatText(settings) +
                    u")");
  } else {
    lines.push_back(u"Output: " + settings.OutputFileName + u" (WAV, " + FormatText(settings) + u")");
  }
  // No LRC or SRT file is written in subtitle mode.
  if (!settings.ChapterFileName.empty()) lines.push_back(u"Chapter file: " + settings.ChapterFileName);
  if (settings.SubtitleMode) return;
  if (settings.LrcEnabled) lines.push_back(u"LRC file: " + settings.LrcData.FileName);
  if (settings.SrtEnabled) lines.push_back(u"SRT file: " + settings.SrtData.FileName);
}

// "Chapters: N", then "Chapter K: H:MM:SS Title" for each, at its estimated start; nothing
// without chapters.
void AddChapterLines(const TDryRunPlan& plan, std::vector<std::u16string>& lines) {
  if (plan.Chapters.empty()) return;
  lines.push_back(u"Chapters: " + Number(int64_t(plan.Chapters.size())));
  for (size_t i = 0; i < plan.Chapters.size(); ++i) {
    const TPlannedChapter& chapter = plan.Chapters[i];
    std::u16string line = u"Chapter " + Number(int64_t(i) + 1) + u": " + DurationText(chapter.StartMs);
    if (!chapter.Title.empty()) line += u" " + chapter.Title;
    if (chapter.LineNumber > 0) line += u" (line " + Number(int64_t(chapter.LineNumber)) + u")";
    lines.push_back(std::move(line));
  }
}

// "Left out of novel.epub: Imprint (imprint, 321 characters)" for each part of a book left out,
// then "Cover: ..." for a book's cover that cannot be stored.
void AddBookLines(const TBookNotes& books, std::vector<std::u16string>& lines) {
  for (const TBookNotes::TLeftOut& leftOut : books.LeftOut) {
    const TBookLeftOut& part = leftOut.Part;
    std::u16string line = u"Left out of " + leftOut.Book + u": ";
    if (!part.Title.empty()) line += part.Title + u" ";
    line += u"(" + part.Kind + u", " + Number(int64_t(part.Characters)) +
            (part.Characters == 1 ? u" character)" : u" characters)");
    lines.push_back(std::move(line));
  }
  if (!books.CoverLeftOut.empty())
    lines.push_back(u"Cover: the book's cover is left out, " + books.CoverLeftOut);
}

// What the run's environment changes of the program's own choices, one line each with the
// variable that changes it: the service's URL (the one the run's key reaches), the certificates
// trusted, the ANSI code page, and the hooks of the tests.
void AddEnvironmentLines(const TSettings& settings, const TRunEnvironment& environment,
                         std::vector<std::u16string>& lines) {
  const bool legacyKey = IsLegacyKey(settings.ApiKey);
  const std::string& url = legacyKey ? environment.LegacyServiceUrl : environment.CloudServiceUrl;
  if (!url.empty()) {
    lines.push_back(u"Service: " + ToUtf16(url) +
                    (legacyKey ? u" (SONACLI_LEGACY_URL)" : u" (SONACLI_CLOUD_URL)"));
  }
  if (!environment.CaBundle.empty()) {
    lines.push_back(u"Trusted certificates: " + ToUtf16(environment.CaBundle) +
                    u", beside the system's (SONACLI_CA_BUNDLE)");
  }
  if (environment.AnsiCodePageGiven)
    lines.push_back(u"ANSI code page: " + Number(environment.AnsiCodePage) + u" (SONACLI_ANSI_CODEPAGE)");
  if (environment.RequestTimeoutMs) {
    lines.push_back(u"Request time-out: " + Number(*environment.RequestTimeoutMs) +
                    u" ms (SONACLI_TEST_HTTP_TIMEOUT_MS)");
  }
  if (environment.PlainWavLimit) {
    lines.push_back(u"WAV data beyond " + ToUtf16(std::to_string(*environment.PlainWavLimit)) +
                    u" bytes: RF64 (SONACLI_TEST_PLAIN_WAV_LIMIT)");
  }
}

}  // namespace

std::u16string_view InterfaceName(TServiceInterface route) {
  switch (route) {
    case TServiceInterface::Legacy:
      return u"legacy";
    case TServiceInterface::CloudV1:
      return u"v1";
    case TServiceInterface::CloudV3:
      return u"v3";
    case TServiceInterface::None:
      break;
  }
  return u"none";
}

std::vector<std::u16string> DryRunSummary(const TDryRunPlan& plan, const TSettings& settings,
                                          const TRunEnvironment& environment, const TBookNotes& books) {
  std::vector<std::u16string> lines = {u"Dry run: nothing was sent", RequestsLine(plan, settings),
                                       CharactersLine(plan), VoicesLine(plan), LengthLine(plan, settings)};
  AddChapterLines(plan, lines);
  AddBookLines(books, lines);
  AddOutputLines(settings, lines);
  AddEnvironmentLines(settings, environment, lines);
  return lines;
}

std::u16string RequestLine(size_t number, const TPlannedRequest& planned, bool subtitleMode) {
  const TSynthesisRequest& request = planned.Request;
  const TServiceInterface route = RouteOf(request);
  std::u16string line = u"{\"n\":" + Number(int64_t(number));
  if (subtitleMode) line += Field(u"subtitle", Number(int64_t(planned.Subtitle) + 1));
  line += Field(u"interface", JsonString(InterfaceName(route)));
  line += Field(u"voice", JsonString(request.Voice));
  line += Field(u"language", JsonString(request.Language));
  line += Field(u"rate", JsonString(request.Rate));
  line += Field(u"tone", JsonString(SentTone(route, request.Voice, request.Emotion)));
  line += Field(u"cached", planned.Cached ? u"true" : u"false");
  line += Field(u"characters", Number(BilledCharacters(request.Text)));
  line += Field(u"text", JsonString(request.Text));
  return line + u"}";
}

}  // namespace sonacli
