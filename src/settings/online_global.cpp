#include "settings/online_global.h"

namespace sonacli {

std::u16string ApiKey;
std::u16string LanguageCode;
std::u16string VoiceName;
std::u16string EmotionName;
std::u16string SpeechRate;
int32_t VolumeDelta = 0;
std::u16string OutputFileName;
bool ToStdout = false;
bool RawOutput = false;
bool OmitDataLength = false;
bool Stereo = false;
int32_t FrequencyOption = -1;
int32_t SampleRate = 24000;
int32_t RequestDelayMs = 0;
bool ShowProgress = false;
bool SubtitleMode = false;
uint8_t SubtitleFormat = 0;
bool SubFit = false;
uint8_t SubMaxRate = 200;
bool LrcEnabled = false;
bool SrtEnabled = false;
bool SyncOutput = false;
uint8_t LrcBlankLines = 0;
TLRCData LrcData;
TSRTData SrtData;
TProxySettings ProxySettings;
bool IgnoreSquareBrackets = false;
bool IgnoreCurlyBrackets = false;
bool IgnoreAngleBrackets = false;
bool IgnoreRoundBrackets = false;
bool IgnoreUrls = false;
bool IgnoreComments = false;
std::vector<std::u16string> DictionaryFiles;
std::vector<std::u16string> LineSelections;
std::u16string ConfigFileName;
TRetrySettings RetrySettings;
std::vector<std::u16string> InputLines;

void ResetSettings() {
  ApiKey.clear();
  LanguageCode.clear();
  VoiceName.clear();
  EmotionName.clear();
  SpeechRate.clear();
  VolumeDelta = 0;
  OutputFileName.clear();
  ToStdout = RawOutput = OmitDataLength = Stereo = false;
  FrequencyOption = -1;
  SampleRate = 24000;
  RequestDelayMs = 0;
  ShowProgress = SubtitleMode = SubFit = false;
  SubtitleFormat = 0;
  SubMaxRate = 200;
  LrcEnabled = SrtEnabled = SyncOutput = false;
  LrcBlankLines = 0;
  LrcData = TLRCData{};
  SrtData = TSRTData{};
  ProxySettings = TProxySettings{};
  IgnoreSquareBrackets = IgnoreCurlyBrackets = IgnoreAngleBrackets = false;
  IgnoreRoundBrackets = IgnoreUrls = IgnoreComments = false;
  DictionaryFiles.clear();
  LineSelections.clear();
  ConfigFileName.clear();
  RetrySettings = TRetrySettings{};
}

}  // namespace sonacli
