// The input filters (-isb, -icb, -iab, -irb, -iu, -ic): the first byte switches them on, the rest
// is the input text in UTF-8.
#include "common/unicode_text.h"
#include "fuzz_input.h"
#include "input/input_filters.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sonacli;
  std::string_view bytes = fuzz::Bytes(data, size);
  const uint8_t switches = fuzz::TakeByte(bytes);
  TFilterFlags flags;
  flags.SquareBrackets = switches & 1;
  flags.CurlyBrackets = switches & 2;
  flags.AngleBrackets = switches & 4;
  flags.RoundBrackets = switches & 8;
  flags.Urls = switches & 16;
  flags.Comments = switches & 32;
  FilterInputText(SplitIntoLines(ToUtf16(bytes)), flags);
  return 0;
}
