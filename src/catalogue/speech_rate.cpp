#include "catalogue/speech_rate.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

namespace sonacli {

namespace {

constexpr double kMinRate = 0.1;
constexpr double kMaxRate = 3.0;

// ASCII copy of the text; empty when it holds anything else, which no number does.
std::string AsciiOnly(std::u16string_view text) {
  std::string ascii;
  ascii.reserve(text.size());
  for (char16_t c : text) {
    if (c > 0x7F) return {};
    ascii.push_back(static_cast<char>(c));
  }
  return ascii;
}

// Steps over a leading "+", which the number parser does not take; false for "+-".
bool SkipPlus(const char*& first, const char* last) {
  if (first == last || *first != '+') return true;
  ++first;
  return first == last || *first != '-';
}

// round(value x 1000) with halves to the even neighbour (the default rounding mode).
double Milli(double value) {
  return std::nearbyint(value * 1000.0);
}

bool Within(std::u16string_view text, double maximum, double minimum) {
  std::optional<double> value = ParseRate(text);
  if (!value) return false;
  double milli = Milli(*value);
  return milli >= Milli(minimum) && milli <= Milli(maximum);
}

}  // namespace

std::optional<double> ParseRate(std::u16string_view text) {
  std::string ascii = AsciiOnly(text);
  const char* first = ascii.data();
  const char* last = first + ascii.size();
  if (!SkipPlus(first, last)) return std::nullopt;
  double value = 0;
  auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
  if (error != std::errc() || end != last || !std::isfinite(value)) return std::nullopt;
  return value;
}

bool ValidateRate(std::u16string_view text) {
  return Within(text, kMaxRate, kMinRate);
}

bool RateInRange(std::u16string_view text, double maximum, double minimum) {
  return text.empty() || Within(text, maximum, minimum);
}

bool IsDefaultRate(std::u16string_view text) {
  static constexpr std::array<std::u16string_view, 4> kDefaults{u"1.00", u"1.0", u"1", u"1."};
  for (std::u16string_view spelling : kDefaults) {
    if (text == spelling) return true;
  }
  return false;
}

std::optional<int32_t> ValidateVolume(std::u16string_view text) {
  std::string ascii = AsciiOnly(text);
  const char* first = ascii.data();
  const char* last = first + ascii.size();
  if (!SkipPlus(first, last)) return std::nullopt;
  int64_t value = 0;
  auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last) return std::nullopt;
  int64_t delta = value - 100;
  if (delta < std::numeric_limits<int32_t>::min() || delta > std::numeric_limits<int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<int32_t>(delta);
}

}  // namespace sonacli
