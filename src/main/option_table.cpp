#include "main/option_table.h"

#include <vector>

#include "common/unicode_text.h"
#include "input/input_reader.h"
#include "platform/text_file.h"
#include "settings/online_global.h"

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

void SetRequestDelay(Value value) {
  SetInteger(RequestDelayMs, value);
  if (RequestDelayMs < 0) RequestDelayMs = 0;
}

// Options whose effects need neither value nor state.
template <bool* Flag>
void SwitchOn(TRunState&, Value, Source) {
  *Flag = true;
}

constexpr TOption kOptions[] = {
    {u"-k", true, [](TRunState&, Value v, Source) { ApiKey = v; }},
    {u"-l", true, [](TRunState& s, Value v, Source) { s.LanguageText = LowerCase(v); }},
    {u"-n", true, [](TRunState& s, Value v, Source) { s.VoiceText = LowerCase(v); }},
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
    {u"-w", true, [](TRunState&, Value v, Source) { OutputFileName = v; }},
    {u"-c", false, [](TRunState& s, Value, Source) { s.SourceKind = TSourceKind::Clipboard; }},
    {u"-t", true, AddText},
    {u"-i", false, [](TRunState& s, Value, Source) { s.SourceKind = TSourceKind::StandardInput; }},
    {u"-o", false, SwitchOn<&ToStdout>},
    {u"-enc", true, [](TRunState& s, Value v, Source) { SetSourceEncoding(s, v); }},
    {u"--encoding", true, [](TRunState& s, Value v, Source) { SetSourceEncoding(s, v); }},
    {u"-ln", true, [](TRunState&, Value v, Source) { AddLineSelection(v); }},
    {u"-d", true, [](TRunState&, Value v, Source) { DictionaryFiles.emplace_back(v); }},
    {u"-lrc", false, SwitchOn<&LrcEnabled>},
    {u"-srt", false, SwitchOn<&SrtEnabled>},
    {u"-sub", false, SwitchOn<&SubtitleMode>},
    {u"-host", true, [](TRunState&, Value v, Source) { ProxySettings.Host = v; }},
    {u"-port", true, [](TRunState&, Value v, Source) { ProxySettings.Port = v; }},
    {u"-fr", true, [](TRunState&, Value v, Source) { SetInteger(FrequencyOption, v); }},
    {u"-dp", false, SwitchOn<&ShowProgress>},
    // The configuration file was chosen before any option was read.
    {u"-cfg", true, [](TRunState&, Value, Source) {}},
    {u"-stereo", false, SwitchOn<&Stereo>},
    {u"-dbr", true, [](TRunState&, Value v, Source) { SetRequestDelay(v); }},
    {u"-isb", false, SwitchOn<&IgnoreSquareBrackets>},
    {u"--ignore-square-brackets", false, SwitchOn<&IgnoreSquareBrackets>},
    {u"-icb", false, SwitchOn<&IgnoreCurlyBrackets>},
    {u"--ignore-curly-brackets", false, SwitchOn<&IgnoreCurlyBrackets>},
    {u"-iab", false, SwitchOn<&IgnoreAngleBrackets>},
    {u"--ignore-angle-brackets", false, SwitchOn<&IgnoreAngleBrackets>},
    {u"-irb", false, SwitchOn<&IgnoreRoundBrackets>},
    {u"--ignore-round-brackets", false, SwitchOn<&IgnoreRoundBrackets>},
    {u"-iu", false, SwitchOn<&IgnoreUrls>},
    {u"--ignore-url", false, SwitchOn<&IgnoreUrls>},
    {u"-ic", false, SwitchOn<&IgnoreComments>},
    {u"--ignore-comments", false, SwitchOn<&IgnoreComments>},
    {u"-?", false, [](TRunState& s, Value, Source) { s.UsageRequested = true; }},
    {u"-h", false, [](TRunState& s, Value, Source) { s.UsageRequested = true; }},
    {u"--version", false, [](TRunState& s, Value, Source) { s.VersionRequested = true; }},
    {u"-version", false, [](TRunState& s, Value, Source) { s.VersionRequested = true; }},
    {u"--lrc-length", true,
     [](TRunState&, Value v, Source) { SetLength(LrcData.LimitLength, LrcData.MaxLength, v); }},
    {u"--lrc-fname", true, [](TRunState&, Value v, Source) { LrcData.FileName = v; }},
    {u"--lrc-enc", true,
     [](TRunState&, Value v, Source) {
       if (auto code = EncodingCode(v)) LrcData.Encoding = *code;
     }},
    {u"--lrc-offset", true, [](TRunState&, Value v, Source) { SetInteger(LrcData.Offset, v); }},
    {u"--lrc-artist", true, [](TRunState&, Value v, Source) { LrcData.Artist = v; }},
    {u"--lrc-album", true, [](TRunState&, Value v, Source) { LrcData.Album = v; }},
    {u"--lrc-title", true, [](TRunState&, Value v, Source) { LrcData.Title = v; }},
    {u"--lrc-author", true, [](TRunState&, Value v, Source) { LrcData.Author = v; }},
    {u"--lrc-creator", true, [](TRunState&, Value v, Source) { LrcData.Creator = v; }},
    {u"--lrc-sent", false, [](TRunState&, Value, Source) { LrcBlankLines = 1; }},
    {u"--lrc-para", false, [](TRunState&, Value, Source) { LrcBlankLines = 2; }},
    {u"--srt-length", true,
     [](TRunState&, Value v, Source) { SetLength(SrtData.LimitLength, SrtData.MaxLength, v); }},
    {u"--srt-fname", true, [](TRunState&, Value v, Source) { SrtData.FileName = v; }},
    {u"--srt-enc", true,
     [](TRunState&, Value v, Source) {
       if (auto code = EncodingCode(v)) SrtData.Encoding = *code;
     }},
    {u"--raw", false, SwitchOn<&RawOutput>},
    {u"--ignore-length", false, SwitchOn<&OmitDataLength>},
    {u"-il", false, SwitchOn<&OmitDataLength>},
    {u"--sub-format", true,
     [](TRunState&, Value v, Source) {
       if (auto code = SubtitleFormatCode(v)) SubtitleFormat = *code;
     }},
    {u"--sub-fit", false, SwitchOn<&SubFit>},
    {u"-sf", false, SwitchOn<&SubFit>},
    {u"--sub-max", true, [](TRunState& s, Value v, Source) { SetSubMax(s, v); }},
    {u"-sm", true, [](TRunState& s, Value v, Source) { SetSubMax(s, v); }},
};

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
  bool negative = false;
  if (!text.empty() && (text.front() == u'-' || text.front() == u'+')) {
    negative = text.front() == u'-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c - u'0');
    if (value > int64_t{INT32_MAX} + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

void AddLineSelection(std::u16string_view text) {
  size_t dash = text.find(u'-');
  std::optional<int32_t> first = ParseInteger(text.substr(0, dash));
  if (!first || *first <= 0) return;
  std::u16string entry = ToUtf16(std::to_string(*first));
  if (dash != std::u16string_view::npos) {
    std::optional<int32_t> last = ParseInteger(text.substr(dash + 1));
    if (!last || *last <= 0) return;
    entry += u"-" + ToUtf16(std::to_string(*last));
  }
  LineSelections.push_back(std::move(entry));
}

void ReadListFile(std::u16string_view fileName, TRunState& state) {
  std::vector<std::u16string> lines;
  if (!ReadTextLines(fileName, lines)) return;
  for (std::u16string& line : lines) {
    if (!line.empty()) state.InputFileNames.push_back(std::move(line));
  }
}

}  // namespace sonacli
