// Guessing the encoding of input files: byte-order marks, a character-set detector (uchardet)
// whose answers are Windows code page numbers, and a strict UTF-8 test.
#pragma once

#include <cstdint>
#include <string_view>

namespace sonacli {

// Text encodings of the input. The first three values are also the -enc codes 0, 1 and 2.
enum class TEncoding : uint8_t { Ansi = 0, Utf8 = 1, Utf16LE = 2, Utf16BE = 3 };

struct TDetectedEncoding {
  TEncoding ByteOrderMark = TEncoding::Ansi;  // Ansi: the bytes have no mark
  TEncoding Content = TEncoding::Ansi;        // Ansi: the content gave no reason to leave ANSI
  uint16_t CodePage = 0;                      // the detector's code page (low 16 bits); 0 with a mark
};

// The encoding of the bytes' byte-order mark; Ansi when there is none.
TEncoding ByteOrderMarkOf(std::string_view bytes);
// UTF-16 without byte-order mark, told by its zero bytes: 1200 (little-endian), 1201 (big-endian),
// or -1 for neither.
int Utf16CodePageByZeros(std::string_view bytes);
// Asks the detector only when there is no byte-order mark.
TDetectedEncoding DetectEncoding(std::string_view bytes);
// The encoding the detector's answer leads to: UTF-16LE for 1200 above 800 bytes, UTF-8 for 65001,
// and for -1 (undecided) UTF-8 up to 50 bytes or when the bytes are well-formed UTF-8; else Ansi.
TEncoding ChooseContentEncoding(int codePage, std::string_view bytes);
// The detector's guess for the bytes as a Windows code page number; -1 when it has none.
int DetectCharsetCodePage(std::string_view bytes);
// The Windows code page number of a charset name as the detector gives it; -1 for unknown names.
int CharsetCodePage(std::string_view charsetName);

}  // namespace sonacli
