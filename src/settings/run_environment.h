// What a run takes from its environment beside its options: read once, before anything else, by
// main/ (ReadRunEnvironment), carried by the run's plan, and handed to each layer as the fields it
// needs. A dry run prints those that differ from the program's own choices.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sonacli {

struct TRunEnvironment {
  // The service's base URLs (scheme, host, optional port, no trailing slash), for a stand-in of
  // it; empty: the service's own hosts.
  std::string LegacyServiceUrl;  // SONACLI_LEGACY_URL
  std::string CloudServiceUrl;   // SONACLI_CLOUD_URL
  std::string CaBundle;          // SONACLI_CA_BUNDLE: CA certificates trusted beside the system's
  // The Windows code page of text without byte-order mark, read and written: SONACLI_ANSI_CODEPAGE
  // when it is a number (AnsiCodePageGiven), else the one Windows gives the locale's language.
  int32_t AnsiCodePage = 1252;
  bool AnsiCodePageGiven = false;
  // The hooks of the tests, which shipped programs keep so that the tests run the program that is
  // shipped: a shorter time-out of one request (SONACLI_TEST_HTTP_TIMEOUT_MS, more than 0), and a
  // smaller size of a WAV's data beyond which it becomes RF64 (SONACLI_TEST_PLAIN_WAV_LIMIT, at
  // most the format's own limit). Unset: the program's own.
  std::optional<int64_t> RequestTimeoutMs;
  std::optional<uint64_t> PlainWavLimit;
};

}  // namespace sonacli
