#include "main/run_environment.h"

#include <gtest/gtest.h>

#include <map>

namespace sonacli {
namespace {

// An environment of just these variables.
TEnvironmentLookup Only(std::map<std::string, std::string> variables) {
  return [variables = std::move(variables)](const char* name) -> std::optional<std::string> {
    const auto found = variables.find(name);
    if (found == variables.end()) return std::nullopt;
    return found->second;
  };
}

TEST(ReadRunEnvironment, TakesWhatIsSetAndUsableAndLeavesTheRest) {
  const TRunEnvironment all = ReadRunEnvironment(Only({
      {"SONACLI_LEGACY_URL", "https://127.0.0.1:9000"},
      {"SONACLI_CLOUD_URL", "http://127.0.0.1:8443"},
      {"SONACLI_CA_BUNDLE", "/tmp/ca.pem"},
      {"SONACLI_ANSI_CODEPAGE", "866"},
      {"SONACLI_TEST_HTTP_TIMEOUT_MS", "1500"},
      {"SONACLI_TEST_PLAIN_WAV_LIMIT", "0"},
      {"LANG", "pl_PL.UTF-8"},
  }));
  EXPECT_EQ(all.LegacyServiceUrl, "https://127.0.0.1:9000");
  EXPECT_EQ(all.CloudServiceUrl, "http://127.0.0.1:8443");
  EXPECT_EQ(all.CaBundle, "/tmp/ca.pem");
  EXPECT_EQ(all.AnsiCodePage, 866);
  EXPECT_TRUE(all.AnsiCodePageGiven);
  EXPECT_EQ(all.RequestTimeoutMs, 1500);
  EXPECT_EQ(all.PlainWavLimit, 0u);

  // Empty values and numbers out of their range count as unset; the code page is then the locale's.
  struct {
    std::map<std::string, std::string> variables;
    int32_t codePage;
  } const rows[] = {
      {{}, 1252},
      {{{"SONACLI_LEGACY_URL", ""}, {"SONACLI_CLOUD_URL", ""}, {"SONACLI_CA_BUNDLE", ""}}, 1252},
      {{{"SONACLI_ANSI_CODEPAGE", "0"}, {"SONACLI_TEST_HTTP_TIMEOUT_MS", "0"}, {"LANG", "ru_RU.UTF-8"}},
       1251},
      {{{"SONACLI_ANSI_CODEPAGE", "100000"}, {"SONACLI_TEST_HTTP_TIMEOUT_MS", "-5"}, {"LC_CTYPE", "el_GR"}},
       1253},
      {{{"SONACLI_ANSI_CODEPAGE", "1251x"},
        {"SONACLI_TEST_PLAIN_WAV_LIMIT", "-1"},
        {"LC_ALL", "tr_TR"},
        {"LANG", "ru_RU"}},
       1254},
      {{{"SONACLI_ANSI_CODEPAGE", " 1251"},
        {"SONACLI_TEST_PLAIN_WAV_LIMIT", "1k"},
        {"LC_ALL", ""},
        {"LANG", "zh_TW.Big5"}},
       950},
  };
  for (const auto& row : rows) {
    const TRunEnvironment environment = ReadRunEnvironment(Only(row.variables));
    EXPECT_EQ(environment.LegacyServiceUrl, "");
    EXPECT_EQ(environment.CloudServiceUrl, "");
    EXPECT_EQ(environment.CaBundle, "");
    EXPECT_EQ(environment.AnsiCodePage, row.codePage);
    EXPECT_FALSE(environment.AnsiCodePageGiven);
    EXPECT_FALSE(environment.RequestTimeoutMs);
    EXPECT_FALSE(environment.PlainWavLimit);
  }
}

}  // namespace
}  // namespace sonacli
