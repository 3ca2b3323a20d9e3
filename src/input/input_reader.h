// Acquisition of the input text from files, standard input, the clipboard and the -t text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "input/encoding_detection.h"

namespace sonacli {

// How input bytes are to be decoded.
struct TDecodeOptions {
  bool ForceEncoding = false;                  // -enc gave a known encoding
  TEncoding ForcedEncoding = TEncoding::Ansi;  // Ansi, Utf8 or Utf16LE
  bool SubtitleVtt = false;                    // WebVTT subtitles: always UTF-8
};

// Decodes a file's bytes: the forced encoding (its own byte-order mark skipped), else UTF-8 for
// WebVTT, else by the content detector and the byte-order mark, with the system ANSI code page
// for text without mark. Where the detector names a DOS, KOI8 or ISO code page the text is
// decoded in that page instead of the ANSI one.
std::u16string DecodeFileBytes(std::string_view bytes, const TDecodeOptions& options);
// Decodes standard input: forced encoding, else UTF-8 for WebVTT, else as DecodePlainText.
std::u16string DecodeStreamBytes(std::string_view bytes, const TDecodeOptions& options);
// Text that is not worth the detector (standard input, configuration and list files): a
// byte-order mark selects its encoding; without one, well-formed UTF-8 (the encoding of pipes and
// files on this system) is read as UTF-8 and anything else in the ANSI code page.
std::u16string DecodePlainText(std::string_view bytes);
// Reads a file decoded by DecodePlainText as lines; false when it cannot be read.
bool ReadPlainTextLines(std::u16string_view fileName, std::vector<std::u16string>& lines);

// Appends the file's lines; for WebVTT without a forced encoding they replace the lines instead
// (only one subtitle file is read). False when the file cannot be read.
bool ReadTextFile(std::u16string_view fileName, const TDecodeOptions& options,
                  std::vector<std::u16string>& lines);
// Reads standard input to its end and replaces the lines with its text; false on a read error.
bool ReadStandardInput(const TDecodeOptions& options, std::vector<std::u16string>& lines);
// Replaces the lines with the clipboard's text when it holds any; otherwise leaves them alone.
void ReadClipboard(std::vector<std::u16string>& lines);
// The -t text given with -enc utf8, as lines. Arguments arrive here already decoded from UTF-8,
// so the text is split into lines and otherwise kept as it is.
std::vector<std::u16string> RedecodeCommandText(std::u16string_view commandText);

}  // namespace sonacli
