// The values that live for one run only: where the input comes from and the option texts that
// are checked after parsing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "input/encoding_detection.h"

namespace sonacli {

// Where the text comes from; the last source option read wins.
enum class TSourceKind : uint8_t { Files = 0, Clipboard = 1, CommandText = 2, StandardInput = 3 };

struct TRunState {
  TSourceKind SourceKind = TSourceKind::CommandText;
  std::vector<std::u16string> InputFileNames;  // -f and -fl, in the order given
  std::u16string CommandText;                  // the -t texts joined by CR LF
  bool TextFromCommandLine = false;            // a -t came from the command line, not the file
  bool ForceEncoding = false;
  TEncoding ForcedEncoding = TEncoding::Ansi;  // Ansi, Utf8 or Utf16LE
  bool UsageRequested = false;
  bool ListRequested = false;
  bool VersionRequested = false;
  // Option values before validation, lowered.
  std::u16string LanguageText = u"ru-ru";
  std::u16string VoiceText = u"oksana";
  std::u16string EmotionText = u"neutral";
  std::u16string RateText = u"1.0";
  std::u16string VolumeText = u"100";
  int32_t SubMaxPercent = 200;  // --sub-max before clamping
};

}  // namespace sonacli
