#include "main/run_environment.h"

#include <charconv>
#include <cstdlib>

#include "platform/process.h"
#include "platform/text_codec.h"

namespace sonacli {

namespace {

std::string ValueOf(const TEnvironmentLookup& lookup, const char* name) {
  return lookup(name).value_or(std::string());
}

// The whole text as a number from `least` on; nullopt for anything else.
template <typename Number>
std::optional<Number> NumberOf(const std::string& text, Number least) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < least)
    return std::nullopt;
  return value;
}

std::string LocaleOf(const TEnvironmentLookup& lookup) {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    std::string value = ValueOf(lookup, name);
    if (!value.empty()) return value;
  }
  return {};
}

}  // namespace

std::optional<std::string> ProcessEnvironmentVariable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

TRunEnvironment ReadRunEnvironment(const TEnvironmentLookup& lookup) {
  TRunEnvironment environment;
  environment.LegacyServiceUrl = ValueOf(lookup, "SONACLI_LEGACY_URL");
  environment.CloudServiceUrl = ValueOf(lookup, "SONACLI_CLOUD_URL");
  environment.CaBundle = ValueOf(lookup, "SONACLI_CA_BUNDLE");
  const std::optional<int32_t> codePage = NumberOf<int32_t>(ValueOf(lookup, "SONACLI_ANSI_CODEPAGE"), 1);
  if (codePage && *codePage < 100000) {
    environment.AnsiCodePage = *codePage;
    environment.AnsiCodePageGiven = true;
  } else {
    const TLocaleName locale = LocaleNameOf(LocaleOf(lookup));
    environment.AnsiCodePage = AnsiCodePageForLanguage(locale.language, locale.territory);
  }
  environment.RequestTimeoutMs = NumberOf<int64_t>(ValueOf(lookup, "SONACLI_TEST_HTTP_TIMEOUT_MS"), 1);
  environment.PlainWavLimit = NumberOf<uint64_t>(ValueOf(lookup, "SONACLI_TEST_PLAIN_WAV_LIMIT"), 0);
  return environment;
}

}  // namespace sonacli
