// Decimal integers written as text.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace sonacli {

// A decimal integer with an optional sign ("+" or "-") that fits 64 bits; nothing else, not even
// spaces around it.
std::optional<int64_t> ParseDecimal(std::u16string_view text);
// The same, for a value that must fit 32 bits.
std::optional<int32_t> ParseDecimal32(std::u16string_view text);

}  // namespace sonacli
