#include "input/input_reader.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "common/unicode_text.h"
#include "platform/clipboard.h"
#include "platform/text_codec.h"
#include "platform/text_file.h"

namespace sonacli {

namespace {

// Code pages whose text reads wrongly in the ANSI code page although the detector knows them.
constexpr std::array<int, 17> kCorrectedCodePages = {852,   857,   866,   869,   20866, 21866,
                                                     28591, 28592, 28593, 28594, 28595, 28596,
                                                     28597, 28598, 28599, 28603, 38598};

std::u16string DecodeIn(std::string_view bytes, int codePage) {
  std::optional<std::u16string> text = DecodeCodePage(bytes, codePage);
  return text ? *std::move(text) : ToUtf16(bytes);
}

std::u16string DecodeSkippingMark(std::string_view bytes, TEncoding encoding, int ansiCodePage) {
  if (encoding != TEncoding::Ansi && ByteOrderMarkOf(bytes) == encoding)
    bytes.remove_prefix(encoding == TEncoding::Utf8 ? 3 : 2);
  switch (encoding) {
    case TEncoding::Utf8:
      return ToUtf16(bytes);
    case TEncoding::Utf16LE:
      return DecodeIn(bytes, kCodePageUtf16LE);
    case TEncoding::Utf16BE:
      return DecodeIn(bytes, kCodePageUtf16BE);
    case TEncoding::Ansi:
      break;
  }
  return DecodeIn(bytes, ansiCodePage);
}

// ISO-8859-8-I differs from ISO-8859-8 only in the direction of the text, not in its characters.
int ConverterCodePage(int codePage) {
  return codePage == 38598 ? 28598 : codePage;
}

}  // namespace

std::u16string DecodeFileBytes(std::string_view bytes, const TDecodeOptions& options) {
  if (options.ForceEncoding) return DecodeSkippingMark(bytes, options.ForcedEncoding, options.AnsiCodePage);
  if (options.SubtitleVtt) return DecodeSkippingMark(bytes, TEncoding::Utf8, options.AnsiCodePage);
  TDetectedEncoding detected = DetectEncoding(bytes);
  // Text files on this system are UTF-8, and the detector takes a short UTF-8 text with a few
  // accented letters for a single-byte code page ("Café" for cp1250).
  if (detected.ByteOrderMark == TEncoding::Ansi && detected.Content == TEncoding::Ansi &&
      IsWellFormedUtf8(bytes))
    detected.Content = TEncoding::Utf8;
  if (detected.ByteOrderMark == TEncoding::Ansi && detected.Content != TEncoding::Ansi) {
    return DecodeSkippingMark(bytes, detected.Content, options.AnsiCodePage);
  }
  if (detected.ByteOrderMark == TEncoding::Ansi &&
      std::ranges::find(kCorrectedCodePages, detected.CodePage) != kCorrectedCodePages.end()) {
    // Decoded from the bytes themselves: a round trip through the ANSI code page would lose the
    // bytes that page does not define.
    if (auto text = DecodeCodePage(bytes, ConverterCodePage(detected.CodePage))) return *std::move(text);
  }
  return DecodeSkippingMark(bytes, detected.ByteOrderMark, options.AnsiCodePage);
}

std::u16string DecodeStreamBytes(std::string_view bytes, const TDecodeOptions& options) {
  if (options.ForceEncoding) return DecodeSkippingMark(bytes, options.ForcedEncoding, options.AnsiCodePage);
  if (options.SubtitleVtt) return DecodeSkippingMark(bytes, TEncoding::Utf8, options.AnsiCodePage);
  return DecodeTextFile(bytes, options.AnsiCodePage);
}

bool ReadInputFile(std::u16string_view fileName, std::string& bytes) {
  return ReadFileBytes(fileName, bytes, kMaxInputTextBytes);
}

bool ReadStandardInputBytes(std::string& bytes) {
  bytes.clear();
  std::array<char, 1024> block;
  for (;;) {
    ssize_t count = read(STDIN_FILENO, block.data(), block.size());
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return false;
    if (count == 0) return true;
    if (static_cast<size_t>(count) > kMaxInputTextBytes - bytes.size())
      throw TInputTooLarge(u"standard input");
    bytes.append(block.data(), static_cast<size_t>(count));
  }
}

TInputContent AddFileText(std::string_view bytes, const TDecodeOptions& options,
                          std::vector<std::u16string>& lines) {
  const TInputContent content = ClassifyInputBytes(bytes);
  if (content != TInputContent::Text) return content;
  std::vector<std::u16string> fileLines = SplitIntoLines(DecodeFileBytes(bytes, options));
  if (options.SubtitleVtt && !options.ForceEncoding) lines.clear();
  lines.insert(lines.end(), std::make_move_iterator(fileLines.begin()),
               std::make_move_iterator(fileLines.end()));
  return content;
}

TInputContent TakeStandardInputText(std::string_view bytes, const TDecodeOptions& options,
                                    std::vector<std::u16string>& lines) {
  const TInputContent content = ClassifyInputBytes(bytes);
  if (content == TInputContent::Text) lines = SplitIntoLines(DecodeStreamBytes(bytes, options));
  return content;
}

TClipboardRead ReadClipboard(std::vector<std::u16string>& lines) {
  std::u16string text;
  const TClipboardRead read = ReadClipboardText(text);
  if (read == TClipboardRead::Text) lines = SplitIntoLines(text);
  return read;
}

std::vector<std::u16string> RedecodeCommandText(std::u16string_view commandText) {
  return SplitIntoLines(commandText);
}

}  // namespace sonacli
