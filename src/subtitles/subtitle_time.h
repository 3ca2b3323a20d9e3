// The time stamps of the subtitle formats, read into milliseconds.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace sonacli {

// ASCII digits only, no sign, no spaces, and a value that fits a signed 32-bit integer.
std::optional<int32_t> ParseDecimalInteger(std::u16string_view text);

// Each parser trims the text first. A time whose parts are not all decimal integers (or overflow)
// is malformed and gives 0. The fraction counts as a decimal fraction of a second while it has up
// to three digits ("5" and "50" are 500 ms); longer fractions are taken as milliseconds as they
// stand. A missing fraction adds nothing.

// "h:m:s,f" or "h:m:s.f": with no ":" the time is 0, with one ":" only the hours count.
int64_t ParseSrtTime(std::u16string_view text);
// "h:m:s.f" only, otherwise as ParseSrtTime.
int64_t ParseSsaTime(std::u16string_view text);
// "h:m:s.f" when the text holds exactly two ":", else "m:s.f".
int64_t ParseVttTime(std::u16string_view text);
// "m:s.f".
int64_t ParseLrcTime(std::u16string_view text);

}  // namespace sonacli
