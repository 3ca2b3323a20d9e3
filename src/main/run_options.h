// The options of a run as the user gave them, in the configuration file, on the command line and in
// the environment: filled by the option parsers, then read by the resolve step, which turns them into
// the run's settings. Nothing here is checked or derived yet.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "input/encoding_detection.h"
#include "settings/run_environment.h"
#include "settings/settings.h"

namespace sonacli {

// Where the text comes from; the last source option read wins.
enum class TSourceKind : uint8_t { Files = 0, Clipboard = 1, CommandText = 2, StandardInput = 3 };

enum class TOptionSource : uint8_t { ConfigFile, CommandLine };

// One option as it was given: its name in the option table and its value as written (empty for a
// switch), whether or not the value could be used.
struct TGivenOption {
  std::u16string_view Name;
  std::u16string Value;
  TOptionSource Source;
};

struct TRunOptions {
  // Every option read, in order: the configuration file's, then the command line's.
  std::vector<TGivenOption> Given;
  std::u16string UserConfigFileName;  // read first when it exists
  std::u16string ConfigFileName;      // beside the program, or -cfg's; read second
  std::u16string EnvironmentApiKey;   // SONACLI_API_KEY, read when no option gives a key
  TRunEnvironment Environment;        // read before the files: their code page comes from it

  bool UsageRequested = false;
  bool ListRequested = false;
  bool VersionRequested = false;

  // The input.
  TSourceKind SourceKind = TSourceKind::CommandText;
  std::vector<std::u16string> InputFileNames;  // -f and -fl, in the order given
  // One entry per input file name: true for a file named in a -fl list, which starts a chapter.
  std::vector<bool> InputFileChapters;
  std::vector<std::u16string> ListFileNames;  // the -fl files, in the order given
  // The first -fl file that could not be used, as its message; empty when all were read.
  std::u16string ListFileError;
  std::u16string CommandText;        // the -t texts joined by CR LF
  bool TextFromCommandLine = false;  // a -t came from the command line, not the file
  bool ForceEncoding = false;
  TEncoding ForcedEncoding = TEncoding::Ansi;  // Ansi, Utf8 or Utf16LE
  std::vector<std::u16string> LineSelections;  // normalised "N" and "N-M"
  bool IgnoreSquareBrackets = false;
  bool IgnoreCurlyBrackets = false;
  bool IgnoreAngleBrackets = false;
  bool IgnoreRoundBrackets = false;
  bool IgnoreUrls = false;
  bool IgnoreComments = false;
  std::vector<std::u16string> DictionaryFiles;
  // The pauses of a narrator (--paragraph-pause, --chapter-pause), in ms; -1 when not given.
  int32_t ParagraphPauseMs = -1;
  int32_t ChapterPauseMs = -1;

  // The voice; the texts are lowered, as the checks compare them.
  std::u16string ApiKey;
  std::u16string LanguageText = u"ru-ru";
  std::u16string VoiceText = u"oksana";
  std::u16string EmotionText = u"neutral";
  std::u16string RateText = u"1.0";
  std::u16string VolumeText = u"100";
  bool LanguageGiven = false;  // -l was given, on the command line or in the configuration file
  bool VoiceGiven = false;     // -n was given

  // The output.
  std::u16string OutputFileName;
  bool ToStdout = false;
  bool RawOutput = false;
  bool OmitDataLength = false;
  bool Stereo = false;
  int32_t FrequencyOption = -1;  // kHz; -1 when -fr was not given
  bool ShowProgress = false;

  // Encoded outputs and their tags, as written.
  std::u16string FormatText;   // --format; empty when not given
  std::u16string BitrateText;  // --bitrate
  bool BitrateGiven = false;
  std::u16string Title;
  std::u16string Author;
  std::u16string CoverFileName;
  std::u16string SplitChaptersFolder;

  // Subtitles.
  bool SubtitleMode = false;                                  // -sub
  TSubtitleFormat SubtitleFormat = TSubtitleFormat::Unknown;  // --sub-format
  bool SubFit = false;
  int32_t SubMaxPercent = 200;  // --sub-max before clamping
  std::u16string SmiClass;

  // LRC and SRT files.
  bool LrcEnabled = false;
  bool SrtEnabled = false;
  TLrcBlankLines LrcBlankLines = TLrcBlankLines::None;
  TLRCData LrcData;
  TSRTData SrtData;
  std::u16string ChapterFileName;  // --chapters

  // The service.
  TProxySettings ProxySettings;
  int32_t RequestDelayMs = 0;
  std::u16string CacheFolder;
  int32_t Jobs = 1;

  // How books are read, as written (--book-parts, --chapter-titles); empty when not given.
  std::u16string BookPartsText;
  std::u16string ChapterTitlesText;
  bool ListLines = false;  // --list-lines

  // The dry run: the plan printed, nothing sent.
  bool DryRun = false;
  bool ListRequests = false;  // the dry run lists its requests in place of the plan

  // Command-line arguments that look like options but are none, in order; they change nothing.
  std::vector<std::u16string> UnknownOptions;
};

}  // namespace sonacli
