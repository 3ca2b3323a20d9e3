#include "main/option_table.h"

#include <algorithm>
#include <vector>

#include "common/decimal.h"
#include "common/unicode_text.h"
#include "input/input_reader.h"
#include "platform/file_system.h"
#include "platform/text_file.h"

namespace sonacli {

namespace {

using Value = std::u16string_view;
using Source = TOptionSource;

// Encoding names of -enc, --lrc-enc and --srt-enc, in any case: "ansi", "utf8", "unicode" (UTF-16LE).
std::optional<TEncoding> EncodingOf(Value value) {
  std::u16string lowered = LowerCase(value);
  if (lowered == u"ansi") return TEncoding::Ansi;
  if (lowered == u"utf8") return TEncoding::Utf8;
  if (lowered == u"unicode") return TEncoding::Utf16LE;
  return std::nullopt;
}

std::optional<TSyncEncoding> SyncEncodingOf(Value value) {
  const std::optional<TEncoding> encoding = EncodingOf(value);
  if (!encoding) return std::nullopt;
  if (*encoding == TEncoding::Utf8) return TSyncEncoding::Utf8;
  return *encoding == TEncoding::Utf16LE ? TSyncEncoding::Utf16LE : TSyncEncoding::Ansi;
}

std::optional<TSubtitleFormat> SubtitleFormatOf(Value value) {
  static constexpr std::pair<std::u16string_view, TSubtitleFormat> kFormats[] = {
      {u"srt", TSubtitleFormat::Srt}, {u"ssa", TSubtitleFormat::Ssa}, {u"ass", TSubtitleFormat::Ass},
      {u"smi", TSubtitleFormat::Smi}, {u"vtt", TSubtitleFormat::Vtt}, {u"lrc", TSubtitleFormat::Lrc}};
  const std::u16string lowered = LowerCase(value);
  for (const auto& [name, format] : kFormats) {
    if (lowered == name) return format;
  }
  return std::nullopt;
}

void SetInteger(int32_t& target, Value value) {
  if (auto number = ParseInteger(value)) target = *number;
}

void SetLength(bool& limitLength, int32_t& maxLength, Value value) {
  std::optional<int32_t> number = ParseInteger(value);
  limitLength = number.has_value();
  if (number) maxLength = *number;
}

void SetSourceEncoding(TRunOptions& options, Value value) {
  const std::optional<TEncoding> encoding = EncodingOf(value);
  options.ForceEncoding = encoding.has_value();
  if (encoding) options.ForcedEncoding = *encoding;
}

void AddText(TRunOptions& options, Value value, Source source) {
  if (!options.CommandText.empty()) options.CommandText += u"\r\n";
  options.CommandText += value;
  options.SourceKind = TSourceKind::CommandText;
  if (source == Source::CommandLine) options.TextFromCommandLine = true;
}

void SetSubMax(TRunOptions& options, Value value) {
  if (value.ends_with(u'%')) value.remove_suffix(1);
  SetInteger(options.SubMaxPercent, value);
}

void SetRequestDelay(TRunOptions& options, Value value) {
  SetInteger(options.RequestDelayMs, value);
  if (options.RequestDelayMs < 0) options.RequestDelayMs = 0;
}

// A value out of range changes nothing here; the resolve step reports it.
void SetJobs(TRunOptions& options, Value value) {
  std::optional<int32_t> jobs = ParseInteger(value);
  if (jobs && *jobs >= 1 && *jobs <= kMaxJobs) options.Jobs = *jobs;
}

// A pause in ms, from 0 to kMaxPauseMs; anything else changes nothing here, the resolve step
// reports it.
void SetPause(int32_t& target, Value value) {
  const std::optional<int32_t> ms = ParseInteger(value);
  if (ms && *ms >= 0 && *ms <= kMaxPauseMs) target = *ms;
}

// Options that only switch a setting on.
template <bool TRunOptions::*Flag>
void SwitchOn(TRunOptions& options, Value, Source) {
  options.*Flag = true;
}

constexpr TOption kOptions[] = {
    {u"-k", true, [](TRunOptions& o, Value v, Source) { o.ApiKey = v; }},
    {u"-l", true,
     [](TRunOptions& o, Value v, Source) {
       o.LanguageText = LowerCase(v);
       o.LanguageGiven = true;
     }},
    {u"-n", true,
     [](TRunOptions& o, Value v, Source) {
       o.VoiceText = LowerCase(v);
       o.VoiceGiven = true;
     }},
    {u"-e", true, [](TRunOptions& o, Value v, Source) { o.EmotionText = LowerCase(v); }},
    {u"-s", true, [](TRunOptions& o, Value v, Source) { o.RateText = LowerCase(v); }},
    {u"-v", true, [](TRunOptions& o, Value v, Source) { o.VolumeText = LowerCase(v); }},
    {u"-m", false, [](TRunOptions& o, Value, Source) { o.ListRequested = true; }},
    {u"-f", true,
     [](TRunOptions& o, Value v, Source) {
       o.InputFileNames.emplace_back(v);
       o.InputFileChapters.push_back(false);
       o.SourceKind = TSourceKind::Files;
     }},
    {u"-fl", true,
     [](TRunOptions& o, Value v, Source) {
       o.ListFileNames.emplace_back(v);
       ReadListFile(v, o);
       o.SourceKind = TSourceKind::Files;
     }},
    {u"-w", true, [](TRunOptions& o, Value v, Source) { o.OutputFileName = v; }},
    {u"-c", false, [](TRunOptions& o, Value, Source) { o.SourceKind = TSourceKind::Clipboard; }},
    {u"-t", true, AddText},
    {u"-i", false, [](TRunOptions& o, Value, Source) { o.SourceKind = TSourceKind::StandardInput; }},
    {u"-o", false, SwitchOn<&TRunOptions::ToStdout>},
    {u"-enc", true, [](TRunOptions& o, Value v, Source) { SetSourceEncoding(o, v); }},
    {u"--encoding", true, [](TRunOptions& o, Value v, Source) { SetSourceEncoding(o, v); }},
    {u"-ln", true, [](TRunOptions& o, Value v, Source) { AddLineSelection(v, o.LineSelections); }},
    {u"-d", true, [](TRunOptions& o, Value v, Source) { o.DictionaryFiles.emplace_back(v); }},
    {u"-lrc", false, SwitchOn<&TRunOptions::LrcEnabled>},
    {u"-srt", false, SwitchOn<&TRunOptions::SrtEnabled>},
    {u"-sub", false, SwitchOn<&TRunOptions::SubtitleMode>},
    {u"-host", true, [](TRunOptions& o, Value v, Source) { o.ProxySettings.Host = v; }},
    {u"-port", true, [](TRunOptions& o, Value v, Source) { o.ProxySettings.Port = v; }},
    {u"-fr", true, [](TRunOptions& o, Value v, Source) { SetInteger(o.FrequencyOption, v); }},
    {u"-dp", false, SwitchOn<&TRunOptions::ShowProgress>},
    // The configuration file was chosen before any option was read.
    {u"-cfg", true, [](TRunOptions&, Value, Source) {}},
    {u"-stereo", false, SwitchOn<&TRunOptions::Stereo>},
    {u"-dbr", true, [](TRunOptions& o, Value v, Source) { SetRequestDelay(o, v); }},
    {u"-isb", false, SwitchOn<&TRunOptions::IgnoreSquareBrackets>},
    {u"--ignore-square-brackets", false, SwitchOn<&TRunOptions::IgnoreSquareBrackets>},
    {u"-icb", false, SwitchOn<&TRunOptions::IgnoreCurlyBrackets>},
    {u"--ignore-curly-brackets", false, SwitchOn<&TRunOptions::IgnoreCurlyBrackets>},
    {u"-iab", false, SwitchOn<&TRunOptions::IgnoreAngleBrackets>},
    {u"--ignore-angle-brackets", false, SwitchOn<&TRunOptions::IgnoreAngleBrackets>},
    {u"-irb", false, SwitchOn<&TRunOptions::IgnoreRoundBrackets>},
    {u"--ignore-round-brackets", false, SwitchOn<&TRunOptions::IgnoreRoundBrackets>},
    {u"-iu", false, SwitchOn<&TRunOptions::IgnoreUrls>},
    {u"--ignore-url", false, SwitchOn<&TRunOptions::IgnoreUrls>},
    {u"-ic", false, SwitchOn<&TRunOptions::IgnoreComments>},
    {u"--ignore-comments", false, SwitchOn<&TRunOptions::IgnoreComments>},
    {u"-?", false, [](TRunOptions& o, Value, Source) { o.UsageRequested = true; }},
    {u"-h", false, [](TRunOptions& o, Value, Source) { o.UsageRequested = true; }},
    {u"--version", false, [](TRunOptions& o, Value, Source) { o.VersionRequested = true; }},
    {u"-version", false, [](TRunOptions& o, Value, Source) { o.VersionRequested = true; }},
    {u"--lrc-length", true,
     [](TRunOptions& o, Value v, Source) { SetLength(o.LrcData.LimitLength, o.LrcData.MaxLength, v); }},
    {u"--lrc-fname", true, [](TRunOptions& o, Value v, Source) { o.LrcData.FileName = v; }},
    {u"--lrc-enc", true,
     [](TRunOptions& o, Value v, Source) {
       if (auto encoding = SyncEncodingOf(v)) o.LrcData.Encoding = *encoding;
     }},
    {u"--lrc-offset", true, [](TRunOptions& o, Value v, Source) { SetInteger(o.LrcData.Offset, v); }},
    {u"--lrc-artist", true, [](TRunOptions& o, Value v, Source) { o.LrcData.Artist = v; }},
    {u"--lrc-album", true, [](TRunOptions& o, Value v, Source) { o.LrcData.Album = v; }},
    {u"--lrc-title", true, [](TRunOptions& o, Value v, Source) { o.LrcData.Title = v; }},
    {u"--lrc-author", true, [](TRunOptions& o, Value v, Source) { o.LrcData.Author = v; }},
    {u"--lrc-creator", true, [](TRunOptions& o, Value v, Source) { o.LrcData.Creator = v; }},
    {u"--lrc-sent", false,
     [](TRunOptions& o, Value, Source) { o.LrcBlankLines = TLrcBlankLines::AfterSentences; }},
    {u"--lrc-para", false,
     [](TRunOptions& o, Value, Source) { o.LrcBlankLines = TLrcBlankLines::AfterParagraphs; }},
    {u"--srt-length", true,
     [](TRunOptions& o, Value v, Source) { SetLength(o.SrtData.LimitLength, o.SrtData.MaxLength, v); }},
    {u"--srt-fname", true, [](TRunOptions& o, Value v, Source) { o.SrtData.FileName = v; }},
    {u"--srt-enc", true,
     [](TRunOptions& o, Value v, Source) {
       if (auto encoding = SyncEncodingOf(v)) o.SrtData.Encoding = *encoding;
     }},
    {u"--raw", false, SwitchOn<&TRunOptions::RawOutput>},
    {u"--ignore-length", false, SwitchOn<&TRunOptions::OmitDataLength>},
    {u"-il", false, SwitchOn<&TRunOptions::OmitDataLength>},
    {u"--sub-format", true,
     [](TRunOptions& o, Value v, Source) {
       if (auto format = SubtitleFormatOf(v)) o.SubtitleFormat = *format;
     }},
    {u"--sub-fit", false, SwitchOn<&TRunOptions::SubFit>},
    {u"-sf", false, SwitchOn<&TRunOptions::SubFit>},
    {u"--sub-max", true, [](TRunOptions& o, Value v, Source) { SetSubMax(o, v); }},
    {u"--smi-class", true, [](TRunOptions& o, Value v, Source) { o.SmiClass = v; }},
    {u"-sm", true, [](TRunOptions& o, Value v, Source) { SetSubMax(o, v); }},
    {u"--cache", true, [](TRunOptions& o, Value v, Source) { o.CacheFolder = v; }},
    {u"--jobs", true, [](TRunOptions& o, Value v, Source) { SetJobs(o, v); }},
    {u"--format", true, [](TRunOptions& o, Value v, Source) { o.FormatText = LowerCase(v); }},
    {u"--bitrate", true,
     [](TRunOptions& o, Value v, Source) {
       o.BitrateText = v;
       o.BitrateGiven = true;
     }},
    {u"--title", true, [](TRunOptions& o, Value v, Source) { o.Title = v; }},
    {u"--author", true, [](TRunOptions& o, Value v, Source) { o.Author = v; }},
    {u"--cover", true, [](TRunOptions& o, Value v, Source) { o.CoverFileName = v; }},
    {u"--split-chapters", true, [](TRunOptions& o, Value v, Source) { o.SplitChaptersFolder = v; }},
    {u"--chapters", true, [](TRunOptions& o, Value v, Source) { o.ChapterFileName = v; }},
    {u"--paragraph-pause", true, [](TRunOptions& o, Value v, Source) { SetPause(o.ParagraphPauseMs, v); }},
    {u"--chapter-pause", true, [](TRunOptions& o, Value v, Source) { SetPause(o.ChapterPauseMs, v); }},
    {u"--book-parts", true, [](TRunOptions& o, Value v, Source) { o.BookPartsText = LowerCase(v); }},
    {u"--chapter-titles", true, [](TRunOptions& o, Value v, Source) { o.ChapterTitlesText = LowerCase(v); }},
    {u"--list-lines", false, SwitchOn<&TRunOptions::ListLines>},
    {u"--dry-run", false, SwitchOn<&TRunOptions::DryRun>},
    {u"--list-requests", false,
     [](TRunOptions& o, Value, Source) {
       o.DryRun = true;
       o.ListRequests = true;
     }},
};

// Characters no file name in a list holds: the C0 controls but the tab, and what a decoder makes
// of bytes that are no text.
bool HoldsControlCharacter(const std::u16string& line) {
  return std::any_of(line.begin(), line.end(),
                     [](char16_t c) { return (c < u' ' && c != u'\t') || c == u'\uFFFD'; });
}

// Keeps the first failure of the -fl files for the run to report.
void NoteListFileError(TRunOptions& options, std::u16string_view message, std::u16string_view fileName) {
  if (options.ListFileError.empty()) options.ListFileError = std::u16string(message) + FileNameOnly(fileName);
}

}  // namespace

std::span<const TOption> OptionTable() {
  return kOptions;
}

void ApplyOption(const TOption& option, std::u16string_view value, TOptionSource source,
                 TRunOptions& options) {
  options.Given.push_back({option.Name, std::u16string(value), source});
  option.Apply(options, value, source);
}

const TOption* FindOption(std::u16string_view loweredName) {
  for (const TOption& option : kOptions) {
    if (option.Name == loweredName) return &option;
  }
  return nullptr;
}

std::optional<int32_t> ParseInteger(std::u16string_view text) {
  return ParseDecimal32(text);
}

void AddLineSelection(std::u16string_view text, std::vector<std::u16string>& lineSelections) {
  size_t dash = text.find(u'-');
  std::optional<int32_t> first = ParseInteger(text.substr(0, dash));
  if (!first || *first <= 0) return;
  std::u16string entry = ToUtf16(std::to_string(*first));
  if (dash != std::u16string_view::npos) {
    std::optional<int32_t> last = ParseInteger(text.substr(dash + 1));
    if (!last || *last <= 0) return;
    entry += u"-" + ToUtf16(std::to_string(*last));
  }
  lineSelections.push_back(std::move(entry));
}

void ReadListFile(std::u16string_view fileName, TRunOptions& options) {
  std::vector<std::u16string> lines;
  if (!FileExists(fileName) || !ReadTextLines(fileName, lines, options.Environment.AnsiCodePage)) {
    NoteListFileError(options, u"List file not found: ", fileName);
    return;
  }
  // A binary file would give a "name" per line of garbage; none of it is looked for.
  if (std::any_of(lines.begin(), lines.end(), HoldsControlCharacter)) {
    NoteListFileError(options, u"Not a list of file names: ", fileName);
    return;
  }
  for (std::u16string& line : lines) {
    if (line.empty()) continue;
    options.InputFileNames.push_back(std::move(line));
    options.InputFileChapters.push_back(true);
  }
}

}  // namespace sonacli
