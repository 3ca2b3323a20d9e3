// Acquisition of the input text from files, standard input, the clipboard and the -t text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "input/encoding_detection.h"
#include "input/input_content.h"
#include "platform/clipboard.h"

namespace sonacli {

// How input bytes are to be decoded.
struct TDecodeOptions {
  bool ForceEncoding = false;                  // -enc gave a known encoding
  TEncoding ForcedEncoding = TEncoding::Ansi;  // Ansi, Utf8 or Utf16LE
  bool SubtitleVtt = false;                    // WebVTT subtitles: always UTF-8
  int AnsiCodePage = 1252;                     // of text without byte-order mark that is not UTF-8
};

// Decodes a file's bytes: the forced encoding (its own byte-order mark skipped), else UTF-8 for
// WebVTT, else by the content detector and the byte-order mark; text without mark that is
// well-formed UTF-8 is UTF-8, other text without mark is in the ANSI code page. Where the detector
// names a DOS, KOI8 or ISO code page the text is decoded in that page instead of the ANSI one.
std::u16string DecodeFileBytes(std::string_view bytes, const TDecodeOptions& options);
// Decodes standard input: forced encoding, else UTF-8 for WebVTT, else as DecodeTextFile does.
std::u16string DecodeStreamBytes(std::string_view bytes, const TDecodeOptions& options);

// Input texts larger than this (hundreds of books) are refused: they would take years of speech,
// and an endless source such as /dev/zero would otherwise fill the memory.
inline constexpr size_t kMaxInputTextBytes = size_t{256} << 20;

// Reads the whole file. False when it cannot be read; TInputTooLarge (from platform/text_file.h)
// above kMaxInputTextBytes.
bool ReadInputFile(std::u16string_view fileName, std::string& bytes);
// Reads standard input to its end. False on a read error, TInputTooLarge above kMaxInputTextBytes.
bool ReadStandardInputBytes(std::string& bytes);
// Tells what a file's bytes hold (ClassifyInputBytes). Text is decoded and its lines appended; for
// WebVTT without a forced encoding they replace the lines instead (only one subtitle file is read).
// Anything else leaves the lines alone.
TInputContent AddFileText(std::string_view bytes, const TDecodeOptions& options,
                          std::vector<std::u16string>& lines);
// Tells what the bytes of standard input hold; text replaces the lines, anything else leaves them
// alone.
TInputContent TakeStandardInputText(std::string_view bytes, const TDecodeOptions& options,
                                    std::vector<std::u16string>& lines);
// Replaces the lines with the clipboard's text when it holds any; otherwise leaves them alone.
// Returns how the reading went.
TClipboardRead ReadClipboard(std::vector<std::u16string>& lines);
// The -t text given with -enc utf8, as lines. Arguments arrive here already decoded from UTF-8,
// so the text is split into lines and otherwise kept as it is.
std::vector<std::u16string> RedecodeCommandText(std::u16string_view commandText);

}  // namespace sonacli
