#include "main/run_sequence.h"

#include <algorithm>
#include <array>

#include "catalogue/speech_rate.h"
#include "catalogue/value_list.h"
#include "catalogue/voice_catalogue.h"
#include "common/trim.h"
#include "common/unicode_text.h"
#include "dict/dictionary_set.h"
#include "input/input_filters.h"
#include "input/input_reader.h"
#include "input/line_selection.h"
#include "main/command_line.h"
#include "main/config_file.h"
#include "main/report_error.h"
#include "main/run_state.h"
#include "main/usage_text.h"
#include "main/version_text.h"
#include "platform/console.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "service/synthesis_request.h"
#include "subtitles/subtitle_format.h"
#include "subtitles/subtitle_loading.h"

namespace sonacli {

namespace {

struct FrequencyStep {
  int32_t upToKiloHertz;
  int32_t sampleRate;
};

constexpr std::array<FrequencyStep, 7> kFrequencySteps = {
    {{10, 8000}, {15, 11025}, {21, 16000}, {23, 22050}, {31, 24000}, {43, 32000}, {47, 44100}}};

void PrintValueListLines() {
  for (const std::u16string& line : ValueListLines()) PrintLine(line);
}

// One run: the steps in their order; a step that returns false ends the run.
class TRun {
 public:
  TRun(TErrorReport& errors, TRunState& state) : errors_(errors), state_(state) {}

  int Run(const std::vector<std::u16string>& arguments, std::u16string_view executablePath,
          const TSynthesisDriver& driver) {
    ReadOptions(arguments, executablePath);
    if (EndsEarly() || !Validate()) return errors_.ExitCode();
    SettleOutputFormat();
    if (!AcquireInput() || !PrepareText()) return errors_.ExitCode();
    dictionaries_.Load(settings_.DictionaryFiles);
    if (settings_.SubtitleMode && !ReadSubtitles()) return errors_.ExitCode();
    if (!settings_.ToStdout && !CheckTargetPath(settings_.OutputFileName, u"Output"))
      return errors_.ExitCode();
    SettleSyncOutput();
    if (!CheckSyncPaths()) return errors_.ExitCode();
    SettleProgress();
    Synthesize(driver);
    return errors_.ExitCode();
  }

 private:
  void ReadOptions(const std::vector<std::u16string>& arguments, std::u16string_view executablePath) {
    std::u16string configFile = FindConfigFile(arguments, executablePath);
    settings_.ConfigFileName = configFile;
    if (FileExists(configFile)) ReadConfigFile(configFile, state_);
    ReadCommandLine(arguments, state_);
    // The environment keeps the key out of the process list.
    if (settings_.ApiKey.empty()) settings_.ApiKey = EnvironmentVariable("SONACLI_API_KEY");
    errors_.SetToStandardError(settings_.ToStdout);
  }

  bool InputAbsent() const {
    switch (state_.SourceKind) {
      case TSourceKind::Files:
        return state_.InputFileNames.empty() || state_.InputFileNames.front().empty();
      case TSourceKind::CommandText:
        return state_.CommandText.empty();
      case TSourceKind::Clipboard:
      case TSourceKind::StandardInput:
        break;
    }
    return false;
  }

  // Version, usage text and value list; true when the run ends with them.
  bool EndsEarly() {
    if (state_.VersionRequested) {
      PrintVersion();
      return true;
    }
    if (state_.SourceKind == TSourceKind::Clipboard) state_.ClipboardRead = ReadClipboard(state_.InputLines);
    if (state_.UsageRequested) {
      PrintUsage();
      return true;
    }
    if (!state_.ListFileError.empty()) {
      errors_.ReportError(state_.ListFileError);
      return true;
    }
    if (InputAbsent()) {
      state_.ListRequested ? PrintValueListLines() : PrintUsage();
      return true;
    }
    if (state_.ListRequested) {
      PrintValueListLines();
      return settings_.ToStdout;
    }
    return false;
  }

  bool Fail(std::u16string_view message) {
    errors_.ReportError(message);
    return false;
  }

  bool Validate() {
    settings_.LanguageCode = LookupLanguage(state_.LanguageText);
    if (settings_.LanguageCode.empty()) return Fail(u"Not supported language");
    if (!FindVoice(state_.VoiceText)) return Fail(u"Unknown voice name");
    settings_.VoiceName = state_.VoiceText;
    // A language asked for without a voice is spoken by a voice of that language.
    if (state_.LanguageGiven && !state_.VoiceGiven)
      settings_.VoiceName =
          VoiceForLanguage(settings_.LanguageCode, settings_.VoiceName, IsLegacyKey(settings_.ApiKey));
    settings_.EmotionName = NormalizeEmotion(state_.EmotionText);
    if (settings_.EmotionName.empty()) return Fail(u"Unknown emotional tone");
    if (!ValidateRate(state_.RateText)) return Fail(u"Rate value out of range");
    settings_.SpeechRate = state_.RateText;
    std::optional<int32_t> volumeDelta = ValidateVolume(state_.VolumeText);
    if (!volumeDelta) return Fail(u"Wrong volume value");
    settings_.VolumeDelta = *volumeDelta;
    if (!settings_.ToStdout && settings_.OutputFileName.empty()) return Fail(u"Output file name not defined");
    if (settings_.ApiKey.empty()) return Fail(u"API-key not defined");
    return true;
  }

  void SettleOutputFormat() {
    if (!settings_.ToStdout) settings_.RawOutput = settings_.OmitDataLength = false;
    if (settings_.RawOutput) settings_.OmitDataLength = false;
    settings_.SampleRate = SampleRateForFrequency(settings_.FrequencyOption);
  }

  TDecodeOptions DecodeOptions() const {
    return {state_.ForceEncoding, state_.ForcedEncoding,
            settings_.SubtitleMode && settings_.SubtitleFormat == kSubtitleVtt};
  }

  bool AllInputFilesExist() {
    bool allExist = true;
    for (const std::u16string& name : state_.InputFileNames) {
      const bool noText = FolderExists(name) || IsPipeOrSocket(name);
      if (FileExists(name) && !noText) continue;
      allExist = false;
      std::u16string shortName = FileNameOnly(name);
      // A folder, a FIFO or a socket is there but holds no text of its own (and a FIFO would keep
      // the run waiting for a writer). Devices are read: /dev/zero ends in "Too large to read".
      if (noText) {
        errors_.ReportError(u"Input file is not a regular file: " + (shortName.empty() ? name : shortName));
        continue;
      }
      errors_.ReportError(shortName.empty() ? u"Input file not found"
                                            : u"Input file not found: " + shortName);
    }
    return allExist;
  }

  bool ReadInputFiles() {
    if (!AllInputFilesExist()) return false;
    const std::u16string& first = state_.InputFileNames.front();
    if (!settings_.SubtitleMode && IsSubtitleFileName(first)) settings_.SubtitleMode = true;
    if (settings_.SubtitleMode && settings_.SubtitleFormat == kSubtitleNone)
      settings_.SubtitleFormat = SubtitleFormatFromFileName(first);
    const TDecodeOptions options = DecodeOptions();
    for (size_t i = 0; i < state_.InputFileNames.size(); ++i) {
      const std::u16string& name = state_.InputFileNames[i];
      if (name.empty()) continue;
      if (settings_.SubtitleMode && i > 0) break;  // a subtitle run voices one file
      if (!state_.InputLines.empty()) state_.InputLines.insert(state_.InputLines.end(), 2, std::u16string());
      TInputContent content = TInputContent::Text;
      if (!ReadTextFile(name, options, state_.InputLines, content)) return Fail(u"File reading error");
      if (content != TInputContent::Text)
        return Fail(u"Input file is not text (" + std::u16string(InputContentName(content)) + u"): " +
                    FileNameOnly(name));
    }
    return true;
  }

  bool ReadStandardInputText() {
    TInputContent content = TInputContent::Text;
    if (!ReadStandardInput(DecodeOptions(), state_.InputLines, content)) return Fail(u"STDIN reading error");
    return content == TInputContent::Text ||
           Fail(u"Standard input is not text (" + std::u16string(InputContentName(content)) + u")");
  }

  bool AcquireInput() {
    switch (state_.SourceKind) {
      case TSourceKind::Files:
        return ReadInputFiles();
      case TSourceKind::StandardInput:
        return ReadStandardInputText();
      case TSourceKind::Clipboard:  // read before the early exits
        if (state_.ClipboardRead == TClipboardRead::NoProgram)
          return Fail(u"No clipboard program found (wl-paste, xclip or xsel)");
        return state_.ClipboardRead == TClipboardRead::Text || Fail(u"No text in clipboard");
      case TSourceKind::CommandText:
        break;
    }
    bool redecode =
        state_.TextFromCommandLine && state_.ForceEncoding && state_.ForcedEncoding == TEncoding::Utf8;
    state_.InputLines =
        redecode ? RedecodeCommandText(state_.CommandText) : SplitIntoLines(state_.CommandText);
    return true;
  }

  // Line selection, filters and trimming; false when no text is left. An input without any text
  // ends silently, but for subtitles, which the subtitle step reports; one whose text the
  // selection or the filters took away is reported.
  bool PrepareText() {
    const bool hadText = std::any_of(state_.InputLines.begin(), state_.InputLines.end(),
                                     [](const std::u16string& line) { return !Trim(line).empty(); });
    if (!settings_.LineSelections.empty()) {
      state_.InputLines = SelectLines(state_.InputLines, settings_.LineSelections);
      if (state_.InputLines.empty()) return Fail(u"No lines selected");
    }
    TFilterFlags flags{settings_.IgnoreSquareBrackets, settings_.IgnoreCurlyBrackets,
                       settings_.IgnoreAngleBrackets,  settings_.IgnoreRoundBrackets,
                       settings_.IgnoreUrls,           settings_.IgnoreComments};
    state_.InputLines = FilterInputText(state_.InputLines, flags);
    if (!state_.InputLines.empty() || (settings_.SubtitleMode && !hadText)) return true;
    return hadText && Fail(u"No text to speak");
  }

  bool ReadSubtitles() {
    TSubtitleLoading loading = LoadSubtitles(state_.InputLines, settings_.SubtitleFormat, settings_.SmiClass);
    if (!loading.Error.empty()) return Fail(loading.Error);
    state_.Subtitles = std::move(loading.Subtitles);
    return true;
  }

  // A file the run writes is put in place when it is complete, replacing a file (or a symbolic
  // link) at its path; a folder, a FIFO or a device there is never replaced. Checked before any
  // request is paid for. `kind` leads the messages ("Output", "LRC", "SRT").
  bool CheckTargetPath(const std::u16string& fileName, std::u16string_view kind) {
    const std::u16string folder = FolderPart(fileName);
    if (!folder.empty() && !FolderExists(folder)) return Fail(std::u16string(kind) + u" folder not found");
    if (IsOccupiedByNonFile(fileName)) return Fail(std::u16string(kind) + u" path is not a regular file");
    return true;
  }

  static void SettleSyncFile(const std::u16string& outputFileName, bool& enabled, int32_t& maxLength,
                             std::u16string& fileName, std::u16string_view extension) {
    if (!enabled) return;
    if (outputFileName.empty() && fileName.empty()) {
      enabled = false;
      return;
    }
    maxLength = std::max(maxLength, 15);
    if (fileName.empty()) fileName = ChangeExtension(outputFileName, extension);
  }

  void SettleSyncOutput() {
    SettleSyncFile(settings_.OutputFileName, settings_.LrcEnabled, settings_.LrcData.MaxLength,
                   settings_.LrcData.FileName, u".lrc");
    SettleSyncFile(settings_.OutputFileName, settings_.SrtEnabled, settings_.SrtData.MaxLength,
                   settings_.SrtData.FileName, u".srt");
    settings_.SyncOutput = settings_.LrcEnabled || settings_.SrtEnabled;
  }

  bool CheckSyncPaths() {
    if (settings_.SubtitleMode) return true;  // no LRC or SRT file is written there
    return (!settings_.LrcEnabled || CheckTargetPath(settings_.LrcData.FileName, u"LRC")) &&
           (!settings_.SrtEnabled || CheckTargetPath(settings_.SrtData.FileName, u"SRT"));
  }

  void SettleProgress() {
    if (settings_.SubtitleMode && settings_.SubFit)
      settings_.SubMaxRate = static_cast<uint8_t>(std::clamp(state_.SubMaxPercent, 110, 200));
    if (settings_.ToStdout) settings_.ShowProgress = false;
  }

  void Synthesize(const TSynthesisDriver& driver) {
    if (settings_.ShowProgress) SetCursorVisible(false);
    driver(TSynthesisInput{settings_, state_.InputLines, dictionaries_, errors_, state_.Subtitles});
    if (settings_.ShowProgress) SetCursorVisible(true);
  }

  TErrorReport& errors_;
  TRunState& state_;
  TSettings& settings_ = state_.Settings;
  TDictionarySet dictionaries_;
};

}  // namespace

int32_t SampleRateForFrequency(int32_t kiloHertz) {
  if (kiloHertz == -1) return 24000;
  for (const FrequencyStep& step : kFrequencySteps) {
    if (kiloHertz <= step.upToKiloHertz) return step.sampleRate;
  }
  return 48000;
}

int RunSequence(const std::vector<std::u16string>& arguments, std::u16string_view executablePath,
                const TSynthesisDriver& driver, TErrorReport& errors, TRunState& state) {
  return TRun(errors, state).Run(arguments, executablePath, driver);
}

int RunSequence(const std::vector<std::u16string>& arguments, std::u16string_view executablePath,
                const TSynthesisDriver& driver, TErrorReport& errors) {
  TRunState state;
  return RunSequence(arguments, executablePath, driver, errors, state);
}

int RunSequence(const std::vector<std::u16string>& arguments, std::u16string_view executablePath,
                const TSynthesisDriver& driver) {
  TErrorReport errors;
  return RunSequence(arguments, executablePath, driver, errors);
}

}  // namespace sonacli
