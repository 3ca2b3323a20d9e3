#include "main/resolve_run.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <optional>

#include "catalogue/speech_rate.h"
#include "catalogue/voice_catalogue.h"
#include "common/decimal.h"
#include "common/unicode_text.h"
#include "encode/bitrate.h"
#include "encode/chapter_file.h"
#include "encode/output_format.h"
#include "input/input_reader.h"
#include "main/option_table.h"
#include "platform/file_system.h"
#include "service/sent_tone.h"
#include "service/synthesis_request.h"
#include "subtitles/subtitle_format.h"

namespace sonacli {

namespace {

struct FrequencyStep {
  int32_t upToKiloHertz;
  int32_t sampleRate;
};

constexpr std::array<FrequencyStep, 7> kFrequencySteps = {
    {{10, 8000}, {15, 11025}, {21, 16000}, {23, 22050}, {31, 24000}, {43, 32000}, {47, 44100}}};

// The shortest line length that LRC and SRT text is cut to.
constexpr int32_t kMinSyncLineLength = 15;

bool InputAbsent(const TRunOptions& options) {
  switch (options.SourceKind) {
    case TSourceKind::Files:
      return options.InputFileNames.empty() || options.InputFileNames.front().empty();
    case TSourceKind::CommandText:
      return options.CommandText.empty();
    case TSourceKind::Clipboard:
    case TSourceKind::StandardInput:
      break;
  }
  return false;
}

TRunStart StartOf(const TRunOptions& options) {
  if (options.VersionRequested) return TRunStart::Version;
  if (options.UsageRequested) return TRunStart::Usage;
  if (!options.ListFileError.empty()) return TRunStart::Run;  // the run ends with that error
  if (InputAbsent(options)) return options.ListRequested ? TRunStart::ValueList : TRunStart::Usage;
  if (!options.ListRequested) return TRunStart::Run;
  return options.ToStdout ? TRunStart::ValueList : TRunStart::ValueListThenRun;
}

// The values that the run uses as they were given.
void TakeGivenValues(const TRunOptions& options, TSettings& settings) {
  // The environment keeps the key out of the process list.
  settings.ApiKey = options.ApiKey.empty() ? options.EnvironmentApiKey : options.ApiKey;
  settings.OutputFileName = options.OutputFileName;
  settings.ToStdout = options.ToStdout;
  settings.Stereo = options.Stereo;
  settings.RequestDelayMs = options.RequestDelayMs;
  settings.SubFit = options.SubFit;
  settings.SmiClass = options.SmiClass;
  settings.LrcBlankLines = options.LrcBlankLines;
  settings.LrcData = options.LrcData;
  settings.SrtData = options.SrtData;
  settings.ChapterFileName = options.ChapterFileName;
  settings.ProxySettings = options.ProxySettings;
  settings.IgnoreSquareBrackets = options.IgnoreSquareBrackets;
  settings.IgnoreCurlyBrackets = options.IgnoreCurlyBrackets;
  settings.IgnoreAngleBrackets = options.IgnoreAngleBrackets;
  settings.IgnoreRoundBrackets = options.IgnoreRoundBrackets;
  settings.IgnoreUrls = options.IgnoreUrls;
  settings.IgnoreComments = options.IgnoreComments;
  settings.DictionaryFiles = options.DictionaryFiles;
  // A pause asked for applies to the user's text as well as to books.
  if (options.ParagraphPauseMs >= 0)
    settings.BookParagraphPauseMs = settings.TextParagraphPauseMs = options.ParagraphPauseMs;
  if (options.ChapterPauseMs >= 0)
    settings.BookChapterPauseMs = settings.TextChapterPauseMs = options.ChapterPauseMs;
  settings.LineSelections = options.LineSelections;
  settings.CacheFolder = options.CacheFolder;
  settings.Jobs = options.Jobs;
  settings.DryRun = options.DryRun;
  settings.BookAllParts = options.BookPartsText == u"all";
  settings.BareChapterTitles = options.ChapterTitlesText == u"bare";
  settings.ListLines = options.ListLines;
  settings.ListRequests = options.ListRequests;
  settings.AnsiCodePage = options.Environment.AnsiCodePage;
  if (options.Environment.PlainWavLimit) settings.PlainWavLimit = *options.Environment.PlainWavLimit;
}

// Whether the value, in any case, is one of the names.
bool IsOneOf(std::u16string_view value, std::initializer_list<std::u16string_view> names) {
  const std::u16string lowered = LowerCase(value);
  return std::find(names.begin(), names.end(), lowered) != names.end();
}

// The message for a value of --paragraph-pause or --chapter-pause that cannot be used.
std::optional<std::u16string> CheckPauseValue(std::u16string_view name, const std::u16string& value) {
  const bool paragraph = name == u"--paragraph-pause";
  const std::optional<int32_t> ms = ParseDecimal32(value);
  if (!ms) return (paragraph ? u"Wrong paragraph pause value: " : u"Wrong chapter pause value: ") + value;
  if (*ms < 0 || *ms > kMaxPauseMs) {
    return (paragraph ? u"Paragraph" : u"Chapter") +
           (u" pause value out of range (0 to " + ToUtf16(std::to_string(kMaxPauseMs)) + u" ms): " + value);
  }
  return std::nullopt;
}

// The values of the options that the program has beyond the classic ones: unlike those, a value
// that cannot be used is an error, since running on without it (one job in place of the nine asked
// for, no cache) would cost the user time or a paid request. Every occurrence is checked, the
// configuration file's included.
std::optional<std::u16string> CheckAddedOptionValues(const TRunOptions& options) {
  for (const TGivenOption& given : options.Given) {
    if (given.Name == u"--jobs") {
      const std::optional<int32_t> jobs = ParseDecimal32(given.Value);
      if (!jobs) return u"Wrong jobs value: " + given.Value;
      if (*jobs < 1 || *jobs > kMaxJobs)
        return u"Jobs value out of range (1 to " + ToUtf16(std::to_string(kMaxJobs)) + u"): " + given.Value;
    }
    if (given.Name == u"--cache" && given.Value.empty()) return u"Cache folder not defined";
    if (given.Name == u"--book-parts" && !IsOneOf(given.Value, {u"all", u"text"}))
      return u"Unknown book parts: " + given.Value + u" (known: all, text)";
    if (given.Name == u"--chapter-titles" && !IsOneOf(given.Value, {u"full", u"bare"}))
      return u"Unknown chapter titles: " + given.Value + u" (known: full, bare)";
    if (given.Name == u"--paragraph-pause" || given.Name == u"--chapter-pause") {
      if (std::optional<std::u16string> failed = CheckPauseValue(given.Name, given.Value)) return failed;
    }
  }
  return std::nullopt;
}

// The language, voice, tone, rate and volume, checked in this order; the message of the first
// that fails, and the later ones stay empty.
std::optional<std::u16string> ResolveVoice(const TRunOptions& options, TSettings& settings) {
  settings.LanguageCode = LookupLanguage(options.LanguageText);
  if (settings.LanguageCode.empty()) return u"Not supported language";
  if (!FindVoice(options.VoiceText)) return u"Unknown voice name";
  settings.VoiceName = options.VoiceText;
  settings.VoiceNamed = options.LanguageGiven || options.VoiceGiven;
  // A language asked for without a voice is spoken by a voice of that language.
  if (options.LanguageGiven && !options.VoiceGiven)
    settings.VoiceName =
        VoiceForLanguage(settings.LanguageCode, settings.VoiceName, IsLegacyKey(settings.ApiKey));
  settings.EmotionName = NormalizeEmotion(options.EmotionText);
  if (settings.EmotionName.empty()) return u"Unknown emotional tone";
  if (!ValidateRate(options.RateText)) return u"Rate value out of range";
  settings.SpeechRate = options.RateText;
  const std::optional<int32_t> volumeDelta = ValidateVolume(options.VolumeText);
  if (!volumeDelta) return u"Wrong volume value";
  settings.VolumeDelta = *volumeDelta;
  return std::nullopt;
}

// The chapter file's kind follows its extension, and it must not take the place of another file
// of the run.
std::optional<std::u16string> CheckChapterFileName(const TRunOptions& options) {
  const std::u16string& name = options.ChapterFileName;
  if (name.empty()) return std::nullopt;
  if (!ChapterFileKindFromName(name)) {
    return u"Unknown chapter file extension (known: " + KnownChapterFileExtensions() + u"): " +
           FileNameOnly(name);
  }
  if (name == options.OutputFileName || name == options.LrcData.FileName || name == options.SrtData.FileName)
    return u"Chapter file name is the name of another file of the run: " + FileNameOnly(name);
  // A CUE sheet names the audio file: the output's, or with -o its own name with the audio's extension.
  std::u16string error;
  if (ChapterFileKindFromName(name) == TChapterFileKind::Cue &&
      !CheckCueSheetCanName(FileNameOnly(options.ToStdout ? name : options.OutputFileName), error))
    return error;
  return std::nullopt;
}

std::u16string FirstFailedCheck(const TRunOptions& options, TSettings& settings) {
  if (!options.ListFileError.empty()) return options.ListFileError;
  if (std::optional<std::u16string> failed = CheckAddedOptionValues(options)) return *failed;
  if (std::optional<std::u16string> failed = ResolveVoice(options, settings)) return *failed;
  if (std::optional<std::u16string> failed = CheckChapterFileName(options)) return *failed;
  // Listing the lines writes nothing and sends nothing.
  if (settings.ListLines) return {};
  if (!settings.ToStdout && settings.OutputFileName.empty()) return u"Output file name not defined";
  // A dry run sends nothing and needs no key.
  if (settings.ApiKey.empty() && !settings.DryRun) return u"API-key not defined";
  return {};
}

// What the run goes on without, one line each: options that are none, and a tone that the voice
// does not have on the interface its requests go to.
std::vector<std::u16string> WarningsOf(const TRunOptions& options, const TRunPlan& plan) {
  std::vector<std::u16string> warnings;
  for (const std::u16string& name : options.UnknownOptions)
    warnings.push_back(u"Unknown option ignored: " + name);
  const TSettings& settings = plan.Settings;
  if (plan.Error.empty() && ToneDropped(RouteRequest(settings.ApiKey, settings.VoiceName), settings.VoiceName,
                                        settings.EmotionName))
    warnings.push_back(u"Voice " + settings.VoiceName + u" has no tone " + settings.EmotionName +
                       u", it speaks without one");
  return warnings;
}

void ResolveOutput(const TRunOptions& options, TSettings& settings) {
  // --raw and --ignore-length concern standard output only; --raw wins over --ignore-length.
  settings.RawOutput = options.ToStdout && options.RawOutput;
  settings.OmitDataLength = options.ToStdout && options.OmitDataLength && !options.RawOutput;
  settings.SampleRate = SampleRateForFrequency(options.FrequencyOption);
  // Standard output carries the audio, not a progress line.
  settings.ShowProgress = options.ShowProgress && !options.ToStdout;
  // A dry run draws no progress: it prints its plan at once.
  if (options.DryRun) settings.ShowProgress = false;
}

// Subtitle mode, switched on by -sub or by the extension of the first input file, which also names
// the format when --sub-format does not.
void ResolveSubtitles(const TRunOptions& options, TSettings& settings) {
  const bool fromFiles = options.SourceKind == TSourceKind::Files && !options.InputFileNames.empty();
  const std::u16string_view first = fromFiles ? options.InputFileNames.front() : std::u16string_view();
  settings.SubtitleMode = options.SubtitleMode || (fromFiles && IsSubtitleFileName(first));
  settings.SubtitleFormat = options.SubtitleFormat;
  if (settings.SubtitleMode && settings.SubtitleFormat == TSubtitleFormat::Unknown && fromFiles)
    settings.SubtitleFormat = SubtitleFormatFromFileName(first);
  if (settings.SubtitleMode && settings.SubFit)
    settings.SubMaxRate = static_cast<uint8_t>(std::clamp(options.SubMaxPercent, 110, 200));
}

// An LRC or SRT file needs a name: its own, or the output's with the extension. Without either it
// is not written.
void ResolveSyncFile(const std::u16string& outputFileName, bool& enabled, int32_t& maxLength,
                     std::u16string& fileName, std::u16string_view extension) {
  if (!enabled) return;
  if (outputFileName.empty() && fileName.empty()) {
    enabled = false;
    return;
  }
  maxLength = std::max(maxLength, kMinSyncLineLength);
  if (fileName.empty()) fileName = ChangeExtension(outputFileName, extension);
}

void ResolveSyncFiles(const TRunOptions& options, TSettings& settings) {
  settings.LrcEnabled = options.LrcEnabled;
  settings.SrtEnabled = options.SrtEnabled;
  ResolveSyncFile(settings.OutputFileName, settings.LrcEnabled, settings.LrcData.MaxLength,
                  settings.LrcData.FileName, u".lrc");
  ResolveSyncFile(settings.OutputFileName, settings.SrtEnabled, settings.SrtData.MaxLength,
                  settings.SrtData.FileName, u".srt");
  settings.SyncOutput = settings.LrcEnabled || settings.SrtEnabled;
}

// The format of standard output: --format, or WAV, or raw PCM with --raw.
std::optional<std::u16string> StreamFormat(const TRunOptions& options, TOutputFormat& format) {
  format = options.RawOutput ? TOutputFormat::Raw : TOutputFormat::Wav;
  if (options.FormatText.empty()) return std::nullopt;
  const std::optional<TOutputFormat> named = FormatFromName(options.FormatText);
  if (!named)
    return u"Unknown output format: " + options.FormatText + u" (known: " + StreamFormatNames() + u")";
  if (!CanStream(*named))
    return std::u16string(FormatTitle(*named)) + u" output needs a file it can seek in: use -w with .m4b";
  if (options.RawOutput && *named != TOutputFormat::Raw && *named != TOutputFormat::Wav)
    return u"--raw does not go with --format " + options.FormatText;
  if (*named == TOutputFormat::Raw || !options.RawOutput) format = *named;
  return std::nullopt;
}

// The format of a file: its extension's (no extension is WAV, as always), and --format must agree.
std::optional<std::u16string> FileFormat(const TRunOptions& options, TOutputFormat& format) {
  const std::u16string extension = ExtensionOf(options.OutputFileName);
  const std::optional<TOutputFormat> byName = FormatFromFileName(options.OutputFileName);
  if (!extension.empty() && !byName)
    return u"Unknown output file extension: " + extension + u" (known: " + KnownExtensions() + u")";
  format = byName.value_or(TOutputFormat::Wav);
  if (options.FormatText.empty()) return std::nullopt;
  const std::optional<TOutputFormat> named = FormatFromName(options.FormatText);
  if (!named || *named == TOutputFormat::Raw)
    return u"Unknown output format for a file: " + options.FormatText +
           u" (the -w file's extension chooses it)";
  if (!extension.empty() && *named != format)
    return u"--format " + options.FormatText + u" does not match the output file's extension " + extension;
  format = *named;
  return std::nullopt;
}

// The encoded output's format and bitrate, checked against the rate and channels the run makes;
// the message of the first that fails.
std::optional<std::u16string> ResolveEncoding(const TRunOptions& options, TRunPlan& plan) {
  TSettings& settings = plan.Settings;
  TOutputChoice& choice = plan.Output;
  choice.SplitChaptersFolder = options.SplitChaptersFolder;
  std::optional<std::u16string> failed =
      settings.ToStdout ? StreamFormat(options, choice.Format) : FileFormat(options, choice.Format);
  if (failed) return failed;
  settings.RawOutput = choice.Format == TOutputFormat::Raw;
  if (choice.Format != TOutputFormat::Wav) settings.OmitDataLength = false;
  std::u16string error;
  const int32_t channels = settings.Stereo ? 2 : 1;
  if (IsEncoded(choice.Format) && !CheckFormatCarries(choice.Format, settings.SampleRate, channels, error))
    return error;
  if (!options.BitrateGiven) return std::nullopt;
  if (!ParseBitrate(options.BitrateText, choice.BitrateKbps, error) ||
      !CheckBitrate(choice.Format, settings.SampleRate, channels, choice.BitrateKbps, error))
    return error;
  return std::nullopt;
}

void ResolveTags(const TRunOptions& options, TRunPlan& plan) {
  plan.Tags.Title = options.Title;
  plan.Tags.Author = options.Author;
  plan.CoverFileName = options.CoverFileName;
  if (options.SourceKind == TSourceKind::Files && !options.InputFileNames.empty()) {
    const std::u16string name = FileNameOnly(options.InputFileNames.front());
    plan.DefaultTitle = name.substr(0, name.size() - ExtensionOf(name).size());
  }
}

TInputPlan InputPlanOf(const TRunOptions& options, const TSettings& settings) {
  TInputPlan input;
  input.Kind = options.SourceKind;
  if (input.Kind == TSourceKind::Files) {
    input.FileNames = options.InputFileNames;
    input.FirstFileOnly = settings.SubtitleMode;
    // A subtitle file is read as subtitles, where a tag in its first line would spoil the entry.
    if (!settings.SubtitleMode) input.ChapterFiles = options.InputFileChapters;
  }
  if (input.Kind == TSourceKind::CommandText) {
    const bool redecode =
        options.TextFromCommandLine && options.ForceEncoding && options.ForcedEncoding == TEncoding::Utf8;
    input.CommandTextLines =
        redecode ? RedecodeCommandText(options.CommandText) : SplitIntoLines(options.CommandText);
  }
  input.Decode = {options.ForceEncoding, options.ForcedEncoding,
                  settings.SubtitleMode && settings.SubtitleFormat == TSubtitleFormat::Vtt,
                  settings.AnsiCodePage};
  return input;
}

}  // namespace

int32_t SampleRateForFrequency(int32_t kiloHertz) {
  if (kiloHertz == -1) return 24000;
  for (const FrequencyStep& step : kFrequencySteps) {
    if (kiloHertz <= step.upToKiloHertz) return step.sampleRate;
  }
  return 48000;
}

TRunPlan ResolveRun(const TRunOptions& options) {
  TRunPlan plan;
  TSettings& settings = plan.Settings;
  TakeGivenValues(options, settings);
  plan.Start = StartOf(options);
  plan.Error = FirstFailedCheck(options, settings);
  ResolveOutput(options, settings);
  const std::optional<std::u16string> encodingFailed = ResolveEncoding(options, plan);
  if (plan.Error.empty() && encodingFailed) plan.Error = *encodingFailed;
  ResolveTags(options, plan);
  ResolveSubtitles(options, settings);
  ResolveSyncFiles(options, settings);
  plan.Input = InputPlanOf(options, settings);
  plan.ListFileNames = options.ListFileNames;
  for (const std::u16string& name : {options.UserConfigFileName, options.ConfigFileName}) {
    if (!name.empty()) plan.ConfigFileNames.push_back(name);
  }
  plan.Environment = options.Environment;
  plan.Warnings = WarningsOf(options, plan);
  return plan;
}

}  // namespace sonacli
