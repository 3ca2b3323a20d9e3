// The settings of a run as the resolve step settled them from the options (main/resolve_run), then
// passed by const reference to everything that reads them. Plain data with its defaults: no logic
// lives here.
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

// Every setting of a run with its start value: --raw and --ignore-length count only on standard
// output, LRC and SRT are enabled only with a file name, which they then have.
struct TSettings {
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
  int32_t SampleRate = 24000;  // Hz
  int32_t RequestDelayMs = 0;
  bool ShowProgress = false;
  bool SubtitleMode = false;
  uint8_t SubtitleFormat = 0;  // 1 srt, 2 ssa, 3 ass, 4 smi, 5 vtt, 6 lrc; 0 unknown
  bool SubFit = false;
  uint8_t SubMaxRate = 200;  // percent
  std::u16string SmiClass;   // the class of a SAMI file's paragraphs to read; empty: its first
  bool LrcEnabled = false;
  bool SrtEnabled = false;
  bool SyncOutput = false;    // LrcEnabled or SrtEnabled
  uint8_t LrcBlankLines = 0;  // 0 none, 1 after sentences, 2 after paragraphs
  TLRCData LrcData;
  TSRTData SrtData;
  // The chapter list written beside a WAV or raw output (--chapters): an FFmpeg metadata file or a
  // CUE sheet by its extension; empty: none.
  std::u16string ChapterFileName;
  TProxySettings ProxySettings;
  bool IgnoreSquareBrackets = false;
  bool IgnoreCurlyBrackets = false;
  bool IgnoreAngleBrackets = false;
  bool IgnoreRoundBrackets = false;
  bool IgnoreUrls = false;
  bool IgnoreComments = false;
  std::vector<std::u16string> DictionaryFiles;
  std::vector<std::u16string> LineSelections;
  TRetrySettings RetrySettings;
  std::u16string CacheFolder;  // the answer cache; empty: none
  int32_t Jobs = 1;            // requests in flight at once, 1 to 8
  // The Windows code page of the files read and written without byte-order mark (dictionaries,
  // LRC and SRT files in the ANSI encoding), from the run's environment.
  int32_t AnsiCodePage = 1252;
  // The size of a WAV's data beyond which the output becomes RF64: the most that the plain format's
  // 32-bit sizes hold, unless the run's environment (a test) lowers it.
  uint64_t PlainWavLimit = 0xFFFFFFFFull - 36;
  bool DryRun = false;        // everything up to the requests, then their plan printed in place of them
  bool ListRequests = false;  // the dry run prints one line per request in place of its summary
};

}  // namespace sonacli
