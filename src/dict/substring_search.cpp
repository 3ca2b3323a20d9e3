#include "dict/substring_search.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sonacli {
namespace {

bool SameUnits(const char16_t* a, const char16_t* b, size_t count) {
  return std::memcmp(a, b, count * sizeof(char16_t)) == 0;
}

}  // namespace

size_t FindSubstring(std::u16string_view haystack, std::u16string_view needle, size_t from) {
  const size_t n = needle.size();
  if (n == 0 || haystack.size() < n || from > haystack.size() - n) return std::u16string_view::npos;
  const size_t lastStart = haystack.size() - n;
  const char16_t* text = haystack.data();
  size_t i = from;
#if defined(__SSE2__)
  // Eight starts at once: the first unit of the needle at i + k and its last unit at i + k + n - 1.
  const __m128i first = _mm_set1_epi16(static_cast<short>(needle[0]));
  const __m128i last = _mm_set1_epi16(static_cast<short>(needle[n - 1]));
  for (; i + 7 <= lastStart; i += 8) {
    const __m128i heads = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
    const __m128i tails = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + n - 1));
    unsigned mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi16(heads, first), _mm_cmpeq_epi16(tails, last))));
    while (mask != 0) {
      const size_t at = i + static_cast<size_t>(__builtin_ctz(mask)) / 2;
      if (n <= 2 || SameUnits(text + at + 1, needle.data() + 1, n - 2)) return at;
      mask &= mask - 1;
      mask &= mask - 1;  // two mask bits per code unit
    }
  }
#endif
  for (; i <= lastStart; ++i) {
    if (text[i] == needle[0] && text[i + n - 1] == needle[n - 1] && SameUnits(text + i, needle.data(), n))
      return i;
  }
  return std::u16string_view::npos;
}

}  // namespace sonacli
