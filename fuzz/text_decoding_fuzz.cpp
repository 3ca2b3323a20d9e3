// Decoding of input, configuration, list and dictionary files: byte-order marks, the encoding
// detector, forced encodings, WebVTT, the code pages the detector can name, and back again.
// The first byte chooses the options and a code page; the rest are the file's bytes.
#include <iterator>

#include "fuzz_input.h"
#include "input/input_reader.h"
#include "platform/text_codec.h"

namespace {

// The ANSI, DOS, KOI8, ISO, Mac and CJK pages the detector names, and the Unicode ones.
constexpr int kCodePages[] = {1250, 1251,  1252,  1253,  1254,  1255,  1256,  1257,  866,   437,  850,
                              855,  20866, 21866, 28591, 28592, 28595, 28597, 28599, 10007, 932,  936,
                              949,  950,   51932, 65001, 1200,  1201,  874,   1258,  12000, 54936};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sonacli;
  std::string_view bytes = fuzz::Bytes(data, size);
  const uint8_t choice = fuzz::TakeByte(bytes);
  TDecodeOptions options;
  options.ForceEncoding = choice & 1;
  options.ForcedEncoding = static_cast<TEncoding>((choice >> 1) % 3);
  options.SubtitleVtt = choice & 8;
  options.AnsiCodePage = 1251;
  DecodeFileBytes(bytes, options);
  DecodeStreamBytes(bytes, options);
  DecodeTextFile(bytes, 1251);
  const int codePage = kCodePages[(choice >> 3) % std::size(kCodePages)];
  DecodeByByteOrderMark(bytes, codePage);
  if (const auto text = DecodeCodePage(bytes, codePage)) EncodeCodePage(*text, codePage);
  ChooseContentEncoding(codePage, bytes);
  return 0;
}
