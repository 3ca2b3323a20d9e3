#include "common/duration_text.h"

#include <cstdio>

#include "common/unicode_text.h"

namespace sonacli {

std::u16string DurationText(int64_t ms) {
  const int64_t seconds = (ms + 500) / 1000;
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  return ToUtf16(text);
}

}  // namespace sonacli
