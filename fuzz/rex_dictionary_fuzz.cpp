// Dictionaries of regular-expression ".rex" rules: loading and applying them (PCRE2 with the program's match
// and depth limits). The input is the dictionary file, a NUL, then the text in UTF-8.
#include "common/unicode_text.h"
#include "dict/dictionary_set.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sonacli;
  const auto [dictionary, text] = fuzz::SplitAtNul(fuzz::Bytes(data, size));
  const fuzz::TFuzzFile file(dictionary, ".rex");
  TDictionarySet set;
  set.Load({file.Name16()}, 1251);
  set.Apply(ToUtf16(text));
  return 0;
}
