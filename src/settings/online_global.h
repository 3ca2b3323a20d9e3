// The process-wide settings, filled by the option parsers and the run sequence and read-only
// once synthesis starts. Plain data: no logic lives here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonacli {

// LRC output settings; Encoding is 0 for the system ANSI code page, 1 UTF-8, 2 UTF-16LE.
struct TLRCData {
  bool LimitLength = false;
  int32_t MaxLength = 0;  // characters per LRC line
  int32_t Offset = 0;     // ms, written only into the "[offset:" tag
  uint8_t Encoding = 0;
  std::u16string FileName;
  std::u16string Artist;
  std::u16string Album;
  std::u16string Title;
  std::u16string Author;
  std::u16string Creator;
};

// SRT output settings; Encoding as in TLRCData.
struct TSRTData {
  bool LimitLength = false;
  int32_t MaxLength = 0;
  uint8_t Encoding = 0;
  std::u16string FileName;
};

struct TProxySettings {
  std::u16string Host;
  std::u16string Port;
};

struct TRetrySettings {
  bool Enabled = true;
  int32_t WindowMs = 15000;
  int32_t IntervalMs = 1500;
};

extern std::u16string ApiKey;
extern std::u16string LanguageCode;
extern std::u16string VoiceName;
extern std::u16string EmotionName;
extern std::u16string SpeechRate;
extern int32_t VolumeDelta;
extern std::u16string OutputFileName;
extern bool ToStdout;
extern bool RawOutput;
extern bool OmitDataLength;
extern bool Stereo;
extern int32_t FrequencyOption;  // kHz; -1 when -fr was not given
extern int32_t SampleRate;       // Hz
extern int32_t RequestDelayMs;
extern bool ShowProgress;
extern bool SubtitleMode;
extern uint8_t SubtitleFormat;  // 1 srt, 2 ssa, 3 ass, 4 smi, 5 vtt, 6 lrc; 0 unknown
extern bool SubFit;
extern uint8_t SubMaxRate;  // percent
extern bool LrcEnabled;
extern bool SrtEnabled;
extern bool SyncOutput;        // LrcEnabled or SrtEnabled, settled before synthesis
extern uint8_t LrcBlankLines;  // 0 none, 1 after sentences, 2 after paragraphs
extern TLRCData LrcData;
extern TSRTData SrtData;
extern TProxySettings ProxySettings;
extern bool IgnoreSquareBrackets;
extern bool IgnoreCurlyBrackets;
extern bool IgnoreAngleBrackets;
extern bool IgnoreRoundBrackets;
extern bool IgnoreUrls;
extern bool IgnoreComments;
extern std::vector<std::u16string> DictionaryFiles;
extern std::vector<std::u16string> LineSelections;
extern std::u16string ConfigFileName;
extern TRetrySettings RetrySettings;

// The whole input text, one entry per line without line ends: filled once per run by the input
// step, then read by the drivers.
extern std::vector<std::u16string> InputLines;

// Puts every setting back to its value at process start (tests and repeated runs use it).
void ResetSettings();

}  // namespace sonacli
