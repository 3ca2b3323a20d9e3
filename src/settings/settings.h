// The settings of a run as the resolve step settled them from the options (main/resolve_run), then
// passed by const reference to everything that reads them. Plain data with its defaults: no logic
// lives here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonacli {

// The encoding of an LRC or SRT file: the ANSI code page (without byte-order mark), UTF-8 or
// UTF-16LE (each with its mark).
enum class TSyncEncoding : uint8_t { Ansi, Utf8, Utf16LE };

// The format of a subtitle file; Unknown when neither an option nor the file's extension says.
enum class TSubtitleFormat : uint8_t { Unknown, Srt, Ssa, Ass, Smi, Vtt, Lrc };

// Where the LRC file gets blank lines: nowhere, after every sentence (--lrc-sent), after
// paragraphs only (--lrc-para).
enum class TLrcBlankLines : uint8_t { None, AfterSentences, AfterParagraphs };

// LRC output settings.
struct TLRCData {
  bool LimitLength = false;
  int32_t MaxLength = 0;  // characters per LRC line
  int32_t Offset = 0;     // ms, written only into the "[offset:" tag
  TSyncEncoding Encoding = TSyncEncoding::Ansi;
  std::u16string FileName;
  std::u16string Artist;
  std::u16string Album;
  std::u16string Title;
  std::u16string Author;
  std::u16string Creator;
};

// SRT output settings.
struct TSRTData {
  bool LimitLength = false;
  int32_t MaxLength = 0;
  TSyncEncoding Encoding = TSyncEncoding::Ansi;
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
  // -l or -n was given (on the command line or in a configuration file): a book's language then
  // chooses no voice.
  bool VoiceNamed = false;
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
  TSubtitleFormat SubtitleFormat = TSubtitleFormat::Unknown;
  bool SubFit = false;
  uint8_t SubMaxRate = 200;  // percent
  std::u16string SmiClass;   // the class of a SAMI file's paragraphs to read; empty: its first
  bool LrcEnabled = false;
  bool SrtEnabled = false;
  bool SyncOutput = false;  // LrcEnabled or SrtEnabled
  TLrcBlankLines LrcBlankLines = TLrcBlankLines::None;
  TLRCData LrcData;
  TSRTData SrtData;
  // The chapter list written beside a WAV or raw output (--chapters): an FFmpeg metadata file or a
  // CUE sheet by its extension; empty: none.
  std::u16string ChapterFileName;
  TProxySettings ProxySettings;
  // The pauses of a narrator, in ms (--paragraph-pause, --chapter-pause): between a book's
  // paragraphs, and at the end of a chapter (a quarter of it before a chapter's heading, half of it
  // after). The user's own text gets them only when the options are given.
  int32_t BookParagraphPauseMs = 700;
  int32_t BookChapterPauseMs = 2000;
  int32_t TextParagraphPauseMs = 0;
  int32_t TextChapterPauseMs = 0;
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
  // How books are read: every part, boilerplate too (--book-parts all); chapter titles without the
  // titles of the parts they are nested in (--chapter-titles bare).
  bool BookAllParts = false;
  bool BareChapterTitles = false;
  bool ListLines = false;  // the input's lines printed with their -ln numbers; nothing sent
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
