// Validation of the speech rate and volume values that the user types.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace sonacli {

// A decimal number with "." as the separator, whatever the locale; an optional sign (a leading "+"
// too), an optional exponent. Infinities and NaNs are not numbers here.
std::optional<double> ParseRate(std::u16string_view text);
// The rate text parses as a number ("." as the decimal separator, whatever the locale) and
// round(v x 1000), halves to even, lies in 100..3000. The caller keeps the text as typed.
bool ValidateRate(std::u16string_view text);
// The same test within round(minimum x 1000)..round(maximum x 1000); an empty text passes.
bool RateInRange(std::u16string_view text, double maximum, double minimum);
// True for the four spellings of the default rate: "1.00", "1.0", "1" and "1.".
bool IsDefaultRate(std::u16string_view text);

// The volume delta (typed value minus 100) when the text is a decimal integer; no range check
// beyond what the delta can hold. Empty when the text is not a number.
std::optional<int32_t> ValidateVolume(std::u16string_view text);

}  // namespace sonacli
