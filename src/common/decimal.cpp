#include "common/decimal.h"

namespace sonacli {

std::optional<int64_t> ParseDecimal(std::u16string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == u'-' || text.front() == u'+')) {
    negative = text.front() == u'-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  uint64_t value = 0;
  const uint64_t limit = negative ? uint64_t{INT64_MAX} + 1 : uint64_t{INT64_MAX};
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    const uint64_t digit = c - u'0';
    if (value > (limit - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return negative ? static_cast<int64_t>(0 - value) : static_cast<int64_t>(value);
}

std::optional<int32_t> ParseDecimal32(std::u16string_view text) {
  const std::optional<int64_t> value = ParseDecimal(text);
  if (!value || *value < INT32_MIN || *value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(*value);
}

}  // namespace sonacli
