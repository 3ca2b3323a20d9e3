// The values that live for one run only: the settings, where the input comes from, the option
// texts that are checked after parsing, and the input text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "input/encoding_detection.h"
#include "platform/clipboard.h"
#include "settings/settings.h"
#include "subtitles/subtitle.h"

namespace sonacli {

// Where the text comes from; the last source option read wins.
enum class TSourceKind : uint8_t { Files = 0, Clipboard = 1, CommandText = 2, StandardInput = 3 };

struct TRunState {
  TSettings Settings;
  TSourceKind SourceKind = TSourceKind::CommandText;
  std::vector<std::u16string> InputFileNames;  // -f and -fl, in the order given
  std::u16string CommandText;                  // the -t texts joined by CR LF
  bool TextFromCommandLine = false;            // a -t came from the command line, not the file
  bool ForceEncoding = false;
  TEncoding ForcedEncoding = TEncoding::Ansi;  // Ansi, Utf8 or Utf16LE
  bool UsageRequested = false;
  bool ListRequested = false;
  bool VersionRequested = false;
  // The first -fl file that could not be used, as its message; empty when all were read.
  std::u16string ListFileError;
  // How the clipboard was read, for -c.
  TClipboardRead ClipboardRead = TClipboardRead::NoText;
  // Whether -l and -n were given, on the command line or in the configuration file.
  bool LanguageGiven = false;
  bool VoiceGiven = false;
  // Option values before validation, lowered.
  std::u16string LanguageText = u"ru-ru";
  std::u16string VoiceText = u"oksana";
  std::u16string EmotionText = u"neutral";
  std::u16string RateText = u"1.0";
  std::u16string VolumeText = u"100";
  int32_t SubMaxPercent = 200;  // --sub-max before clamping
  // The whole input text, one entry per line without line ends: filled by the input step, then read
  // by the driver.
  std::vector<std::u16string> InputLines;
  // Subtitle mode: the entries read from InputLines, joined and widened, for the driver.
  SubtitleList Subtitles;
};

}  // namespace sonacli
