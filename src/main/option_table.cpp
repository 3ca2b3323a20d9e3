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

// Encoding names of -enc, --lrc-enc and --srt-enc, by their codes 0, 1 and 2.
std::optional<uint8_t> EncodingCode(Value value) {
  std::u16string lowered = LowerCase(value);
  if (lowered == u"ansi") return 0;
  if (lowered == u"utf8") return 1;
  if (lowered == u"unicode") return 2;
  return std::nullopt;
}

std::optional<uint8_t> SubtitleFormatCode(Value value) {
  static constexpr std::u16string_view kFormats[] = {u"srt", u"ssa", u"ass", u"smi", u"vtt", u"lrc"};
  std::u16string lowered = LowerCase(value);
  for (uint8_t i = 0; i < std::size(kFormats); ++i) {
    if (lowered == kFormats[i]) return static_cast<uint8_t>(i + 1);
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

void SetSourceEncoding(TRunState& state, Value value) {
  std::optional<uint8_t> code = EncodingCode(value);
  state.ForceEncoding = code.has_value();
  if (code) state.ForcedEncoding = static_cast<TEncoding>(*code);
}

void AddText(TRunState& state, Value value, Source source) {
  if (!state.CommandText.empty()) state.CommandText += u"\r\n";
  state.CommandText += value;
  state.SourceKind = TSourceKind::CommandText;
  if (source == Source::CommandLine) state.TextFromCommandLine = true;
}

void SetSubMax(TRunState& state, Value value) {
  if (value.ends_with(u'%')) value.remove_suffix(1);
  SetInteger(state.SubMaxPercent, value);
}

void SetRequestDelay(TSettings& settings, Value value) {
  SetInteger(settings.RequestDelayMs, value);
  if (settings.RequestDelayMs < 0) settings.RequestDelayMs = 0;
}

// More requests at once than this gain little and strain the service.
constexpr int32_t kMaxJobs = 8;

void SetJobs(TSettings& settings, Value value) {
  std::optional<int32_t> jobs = ParseInteger(value);
  if (jobs && *jobs >= 1 && *jobs <= kMaxJobs) settings.Jobs = *jobs;
}

// Options that only switch a setting on.
template <bool TSettings::*Flag>
void SwitchOn(TRunState& state, Value, Source) {
  state.Settings.*Flag = true;
}

constexpr TOption kOptions[] = {
    {u"-k", true, [](TRunState& s, Value v, Source) { s.Settings.ApiKey = v; }},
    {u"-l", true,
     [](TRunState& s, Value v, Source) {
       s.LanguageText = LowerCase(v);
       s.LanguageGiven = true;
     }},
    {u"-n", true,
     [](TRunState& s, Value v, Source) {
       s.VoiceText = LowerCase(v);
       s.VoiceGiven = true;
     }},
    {u"-e", true, [](TRunState& s, Value v, Source) { s.EmotionText = LowerCase(v); }},
    {u"-s", true, [](TRunState& s, Value v, Source) { s.RateText = LowerCase(v); }},
    {u"-v", true, [](TRunState& s, Value v, Source) { s.VolumeText = LowerCase(v); }},
    {u"-m", false, [](TRunState& s, Value, Source) { s.ListRequested = true; }},
    {u"-f", true,
     [](TRunState& s, Value v, Source) {
       s.InputFileNames.emplace_back(v);
       s.SourceKind = TSourceKind::Files;
     }},
    {u"-fl", true,
     [](TRunState& s, Value v, Source) {
       ReadListFile(v, s);
       s.SourceKind = TSourceKind::Files;
     }},
    {u"-w", true, [](TRunState& s, Value v, Source) { s.Settings.OutputFileName = v; }},
    {u"-c", false, [](TRunState& s, Value, Source) { s.SourceKind = TSourceKind::Clipboard; }},
    {u"-t", true, AddText},
    {u"-i", false, [](TRunState& s, Value, Source) { s.SourceKind = TSourceKind::StandardInput; }},
    {u"-o", false, SwitchOn<&TSettings::ToStdout>},
    {u"-enc", true, [](TRunState& s, Value v, Source) { SetSourceEncoding(s, v); }},
    {u"--encoding", true, [](TRunState& s, Value v, Source) { SetSourceEncoding(s, v); }},
    {u"-ln", true, [](TRunState& s, Value v, Source) { AddLineSelection(v, s.Settings.LineSelections); }},
    {u"-d", true, [](TRunState& s, Value v, Source) { s.Settings.DictionaryFiles.emplace_back(v); }},
    {u"-lrc", false, SwitchOn<&TSettings::LrcEnabled>},
    {u"-srt", false, SwitchOn<&TSettings::SrtEnabled>},
    {u"-sub", false, SwitchOn<&TSettings::SubtitleMode>},
    {u"-host", true, [](TRunState& s, Value v, Source) { s.Settings.ProxySettings.Host = v; }},
    {u"-port", true, [](TRunState& s, Value v, Source) { s.Settings.ProxySettings.Port = v; }},
    {u"-fr", true, [](TRunState& s, Value v, Source) { SetInteger(s.Settings.FrequencyOption, v); }},
    {u"-dp", false, SwitchOn<&TSettings::ShowProgress>},
    // The configuration file was chosen before any option was read.
    {u"-cfg", true, [](TRunState&, Value, Source) {}},
    {u"-stereo", false, SwitchOn<&TSettings::Stereo>},
    {u"-dbr", true, [](TRunState& s, Value v, Source) { SetRequestDelay(s.Settings, v); }},
    {u"-isb", false, SwitchOn<&TSettings::IgnoreSquareBrackets>},
    {u"--ignore-square-brackets", false, SwitchOn<&TSettings::IgnoreSquareBrackets>},
    {u"-icb", false, SwitchOn<&TSettings::IgnoreCurlyBrackets>},
    {u"--ignore-curly-brackets", false, SwitchOn<&TSettings::IgnoreCurlyBrackets>},
    {u"-iab", false, SwitchOn<&TSettings::IgnoreAngleBrackets>},
    {u"--ignore-angle-brackets", false, SwitchOn<&TSettings::IgnoreAngleBrackets>},
    {u"-irb", false, SwitchOn<&TSettings::IgnoreRoundBrackets>},
    {u"--ignore-round-brackets", false, SwitchOn<&TSettings::IgnoreRoundBrackets>},
    {u"-iu", false, SwitchOn<&TSettings::IgnoreUrls>},
    {u"--ignore-url", false, SwitchOn<&TSettings::IgnoreUrls>},
    {u"-ic", false, SwitchOn<&TSettings::IgnoreComments>},
    {u"--ignore-comments", false, SwitchOn<&TSettings::IgnoreComments>},
    {u"-?", false, [](TRunState& s, Value, Source) { s.UsageRequested = true; }},
    {u"-h", false, [](TRunState& s, Value, Source) { s.UsageRequested = true; }},
    {u"--version", false, [](TRunState& s, Value, Source) { s.VersionRequested = true; }},
    {u"-version", false, [](TRunState& s, Value, Source) { s.VersionRequested = true; }},
    {u"--lrc-length", true,
     [](TRunState& s, Value v, Source) {
       SetLength(s.Settings.LrcData.LimitLength, s.Settings.LrcData.MaxLength, v);
     }},
    {u"--lrc-fname", true, [](TRunState& s, Value v, Source) { s.Settings.LrcData.FileName = v; }},
    {u"--lrc-enc", true,
     [](TRunState& s, Value v, Source) {
       if (auto code = EncodingCode(v)) s.Settings.LrcData.Encoding = *code;
     }},
    {u"--lrc-offset", true, [](TRunState& s, Value v, Source) { SetInteger(s.Settings.LrcData.Offset, v); }},
    {u"--lrc-artist", true, [](TRunState& s, Value v, Source) { s.Settings.LrcData.Artist = v; }},
    {u"--lrc-album", true, [](TRunState& s, Value v, Source) { s.Settings.LrcData.Album = v; }},
    {u"--lrc-title", true, [](TRunState& s, Value v, Source) { s.Settings.LrcData.Title = v; }},
    {u"--lrc-author", true, [](TRunState& s, Value v, Source) { s.Settings.LrcData.Author = v; }},
    {u"--lrc-creator", true, [](TRunState& s, Value v, Source) { s.Settings.LrcData.Creator = v; }},
    {u"--lrc-sent", false, [](TRunState& s, Value, Source) { s.Settings.LrcBlankLines = 1; }},
    {u"--lrc-para", false, [](TRunState& s, Value, Source) { s.Settings.LrcBlankLines = 2; }},
    {u"--srt-length", true,
     [](TRunState& s, Value v, Source) {
       SetLength(s.Settings.SrtData.LimitLength, s.Settings.SrtData.MaxLength, v);
     }},
    {u"--srt-fname", true, [](TRunState& s, Value v, Source) { s.Settings.SrtData.FileName = v; }},
    {u"--srt-enc", true,
     [](TRunState& s, Value v, Source) {
       if (auto code = EncodingCode(v)) s.Settings.SrtData.Encoding = *code;
     }},
    {u"--raw", false, SwitchOn<&TSettings::RawOutput>},
    {u"--ignore-length", false, SwitchOn<&TSettings::OmitDataLength>},
    {u"-il", false, SwitchOn<&TSettings::OmitDataLength>},
    {u"--sub-format", true,
     [](TRunState& s, Value v, Source) {
       if (auto code = SubtitleFormatCode(v)) s.Settings.SubtitleFormat = *code;
     }},
    {u"--sub-fit", false, SwitchOn<&TSettings::SubFit>},
    {u"-sf", false, SwitchOn<&TSettings::SubFit>},
    {u"--sub-max", true, [](TRunState& s, Value v, Source) { SetSubMax(s, v); }},
    {u"--smi-class", true, [](TRunState& s, Value v, Source) { s.Settings.SmiClass = v; }},
    {u"-sm", true, [](TRunState& s, Value v, Source) { SetSubMax(s, v); }},
    {u"--cache", true, [](TRunState& s, Value v, Source) { s.Settings.CacheFolder = v; }},
    {u"--jobs", true, [](TRunState& s, Value v, Source) { SetJobs(s.Settings, v); }},
};

// Characters no file name in a list holds: the C0 controls but the tab, and what a decoder makes
// of bytes that are no text.
bool HoldsControlCharacter(const std::u16string& line) {
  return std::any_of(line.begin(), line.end(),
                     [](char16_t c) { return (c < u' ' && c != u'\t') || c == u'\uFFFD'; });
}

// Keeps the first failure of the -fl files for the run to report.
void NoteListFileError(TRunState& state, std::u16string_view message, std::u16string_view fileName) {
  if (state.ListFileError.empty()) state.ListFileError = std::u16string(message) + FileNameOnly(fileName);
}

}  // namespace

std::span<const TOption> OptionTable() {
  return kOptions;
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

void ReadListFile(std::u16string_view fileName, TRunState& state) {
  std::vector<std::u16string> lines;
  if (!FileExists(fileName) || !ReadTextLines(fileName, lines)) {
    NoteListFileError(state, u"List file not found: ", fileName);
    return;
  }
  // A binary file would give a "name" per line of garbage; none of it is looked for.
  if (std::any_of(lines.begin(), lines.end(), HoldsControlCharacter)) {
    NoteListFileError(state, u"Not a list of file names: ", fileName);
    return;
  }
  for (std::u16string& line : lines) {
    if (!line.empty()) state.InputFileNames.push_back(std::move(line));
  }
}

}  // namespace sonacli
