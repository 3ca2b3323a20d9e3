#include "main/run_sequence.h"

#include <algorithm>
#include <array>

#include "catalogue/speech_rate.h"
#include "catalogue/value_list.h"
#include "catalogue/voice_catalogue.h"
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
#include "settings/online_global.h"
#include "subtitles/subtitle_format.h"

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
  int Run(const std::vector<std::u16string>& arguments, std::u16string_view executablePath,
          const TSynthesisDriver& driver) {
    ReadOptions(arguments, executablePath);
    if (EndsEarly() || !Validate()) return ExitCode();
    SettleOutputFormat();
    if (!AcquireInput() || !PrepareText()) return ExitCode();
    LoadDictionaries();
    if (SubtitleMode && !ReadSubtitles()) return ExitCode();
    if (!CheckOutputFolder()) return ExitCode();
    SettleSyncOutput();
    SettleProgress();
    Synthesize(driver);
    return ExitCode();
  }

 private:
  void ReadOptions(const std::vector<std::u16string>& arguments, std::u16string_view executablePath) {
    ResetSettings();
    std::u16string configFile = FindConfigFile(arguments, executablePath);
    if (FileExists(configFile)) ReadConfigFile(configFile, state_);
    ReadCommandLine(arguments, state_);
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
    if (state_.SourceKind == TSourceKind::Clipboard) ReadClipboard(InputLines);
    if (state_.UsageRequested) {
      PrintUsage();
      return true;
    }
    if (InputAbsent()) {
      state_.ListRequested ? PrintValueListLines() : PrintUsage();
      return true;
    }
    if (state_.ListRequested) {
      PrintValueListLines();
      return ToStdout;
    }
    return false;
  }

  bool Fail(std::u16string_view message) {
    ReportError(message);
    return false;
  }

  bool Validate() {
    LanguageCode = LookupLanguage(state_.LanguageText);
    if (LanguageCode.empty()) return Fail(u"Not supported language");
    if (!FindVoice(state_.VoiceText)) return Fail(u"Unknown voice name");
    VoiceName = state_.VoiceText;
    EmotionName = NormalizeEmotion(state_.EmotionText);
    if (EmotionName.empty()) return Fail(u"Unknown emotional tone");
    if (!ValidateRate(state_.RateText)) return Fail(u"Rate value out of range");
    SpeechRate = state_.RateText;
    std::optional<int32_t> volumeDelta = ValidateVolume(state_.VolumeText);
    if (!volumeDelta) return Fail(u"Wrong volume value");
    VolumeDelta = *volumeDelta;
    if (!ToStdout && OutputFileName.empty()) return Fail(u"Output file name not defined");
    if (ApiKey.empty()) return Fail(u"API-key not defined");
    return true;
  }

  void SettleOutputFormat() {
    if (!ToStdout) RawOutput = OmitDataLength = false;
    if (RawOutput) OmitDataLength = false;
    SampleRate = SampleRateForFrequency(FrequencyOption);
  }

  TDecodeOptions DecodeOptions() const {
    return {state_.ForceEncoding, state_.ForcedEncoding, SubtitleMode && SubtitleFormat == kSubtitleVtt};
  }

  bool AllInputFilesExist() {
    bool allExist = true;
    for (const std::u16string& name : state_.InputFileNames) {
      if (FileExists(name)) continue;
      allExist = false;
      std::u16string shortName = FileNameOnly(name);
      ReportError(shortName.empty() ? u"Input file not found" : u"Input file not found: " + shortName);
    }
    return allExist;
  }

  bool ReadInputFiles() {
    if (!AllInputFilesExist()) return false;
    const std::u16string& first = state_.InputFileNames.front();
    if (!SubtitleMode && IsSubtitleFileName(first)) SubtitleMode = true;
    if (SubtitleMode && SubtitleFormat == kSubtitleNone) SubtitleFormat = SubtitleFormatFromFileName(first);
    const TDecodeOptions options = DecodeOptions();
    for (size_t i = 0; i < state_.InputFileNames.size(); ++i) {
      const std::u16string& name = state_.InputFileNames[i];
      if (name.empty()) continue;
      if (SubtitleMode && i > 0) break;  // a subtitle run voices one file
      if (!InputLines.empty()) InputLines.insert(InputLines.end(), 2, std::u16string());
      if (!ReadTextFile(name, options, InputLines)) return Fail(u"File reading error");
    }
    return true;
  }

  bool AcquireInput() {
    switch (state_.SourceKind) {
      case TSourceKind::Files:
        return ReadInputFiles();
      case TSourceKind::StandardInput:
        return ReadStandardInput(DecodeOptions(), InputLines) || Fail(u"STDIN reading error");
      case TSourceKind::Clipboard:
        return true;  // read before the early exits
      case TSourceKind::CommandText:
        break;
    }
    bool redecode =
        state_.TextFromCommandLine && state_.ForceEncoding && state_.ForcedEncoding == TEncoding::Utf8;
    InputLines = redecode ? RedecodeCommandText(state_.CommandText) : SplitIntoLines(state_.CommandText);
    return true;
  }

  // Line selection, filters and trimming; false (silently) when no text is left.
  bool PrepareText() {
    if (!LineSelections.empty()) InputLines = SelectLines(InputLines, LineSelections);
    TFilterFlags flags{IgnoreSquareBrackets, IgnoreCurlyBrackets, IgnoreAngleBrackets,
                       IgnoreRoundBrackets,  IgnoreUrls,          IgnoreComments};
    InputLines = FilterInputText(InputLines, flags);
    return !InputLines.empty();
  }

  bool ReadSubtitles() {
    if (SubtitleFormat == kSubtitleNone) return Fail(u"Unknown format of subtitles");
    // The reader of the format fills the subtitle list here, "No text in subtitles" is reported
    // when it stays empty, and the entries are joined and widened. Until the readers exist a
    // subtitle run ends after the checks above.
    return false;
  }

  bool CheckOutputFolder() {
    if (ToStdout) return true;
    std::u16string folder = FolderPart(OutputFileName);
    return folder.empty() || FolderExists(folder) || Fail(u"Output folder not found");
  }

  static void SettleSyncFile(bool& enabled, int32_t& maxLength, std::u16string& fileName,
                             std::u16string_view extension) {
    if (!enabled) return;
    if (OutputFileName.empty() && fileName.empty()) {
      enabled = false;
      return;
    }
    maxLength = std::max(maxLength, 15);
    if (fileName.empty()) fileName = ChangeExtension(OutputFileName, extension);
  }

  void SettleSyncOutput() {
    SettleSyncFile(LrcEnabled, LrcData.MaxLength, LrcData.FileName, u".lrc");
    SettleSyncFile(SrtEnabled, SrtData.MaxLength, SrtData.FileName, u".srt");
    SyncOutput = LrcEnabled || SrtEnabled;
  }

  void SettleProgress() {
    // The tempo library is linked with the program; only the rate limit is left to settle.
    if (SubtitleMode && SubFit) SubMaxRate = static_cast<uint8_t>(std::clamp(state_.SubMaxPercent, 110, 200));
    if (ToStdout) ShowProgress = false;
  }

  void Synthesize(const TSynthesisDriver& driver) {
    if (ShowProgress) SetCursorVisible(false);
    driver();
    if (ShowProgress) SetCursorVisible(true);
  }

  TRunState state_;
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
                const TSynthesisDriver& driver) {
  ResetErrorReport();
  InputLines.clear();
  int exitCode = TRun().Run(arguments, executablePath, driver);
  InputLines.clear();
  return exitCode;
}

}  // namespace sonacli
