#include "main/dry_run_report.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

TPlannedRequest Planned(std::u16string text, std::u16string voice, bool cached = false,
                        std::u16string rate = u"") {
  TPlannedRequest planned;
  planned.Request.Text = std::move(text);
  planned.Request.Voice = std::move(voice);
  planned.Request.Language = u"ru-RU";
  planned.Request.Rate = std::move(rate);
  planned.Request.Emotion = u"good";
  planned.Request.ApiKey = u"cloud-key";
  planned.Cached = cached;
  return planned;
}

TEST(RequestLine, OneLineOfJsonWhateverTheTextHolds) {
  EXPECT_EQ(ToUtf8(RequestLine(1, Planned(u"Кот \"Том\"\n\tи\\ \x01 \U0001F600", u"alena"), false)),
            "{\"n\":1,\"interface\":\"v1\",\"voice\":\"alena\",\"language\":\"ru-RU\",\"rate\":\"\","
            "\"tone\":\"good\",\"cached\":false,\"characters\":17,"
            "\"text\":\"Кот \\\"Том\\\"\\n\\tи\\\\ \\u0001 \U0001F600\"}");
  // The tone as it goes out: none for a voice without tones; the subtitle after the number.
  TPlannedRequest planned = Planned(u"x", u"oksana", true, u"1.5");
  planned.Subtitle = 4;
  EXPECT_EQ(ToUtf8(RequestLine(7, planned, true)),
            "{\"n\":7,\"subtitle\":5,\"interface\":\"v1\",\"voice\":\"oksana\",\"language\":\"ru-RU\","
            "\"rate\":\"1.5\",\"tone\":\"\",\"cached\":true,\"characters\":1,\"text\":\"x\"}");
}

TEST(DryRunSummary, CountsTheCachedApartAndBillsPerInterface) {
  TDryRunPlan plan;
  plan.Requests = {Planned(std::u16string(30, u'a'), u"alena"), Planned(std::u16string(15, u'b'), u"anton"),
                   Planned(std::u16string(600, u'c'), u"alena", true), Planned(u"d", u"john")};
  plan.Requests.back().Request.Language = u"en-US";
  plan.PausesMs = 1500;
  plan.Chapters = {{u"Начало", 0}, {u"", 61'000}};
  plan.AudioInserts = 2;
  TSettings settings;
  settings.CacheFolder = u"cache";
  settings.OutputFileName = u"out.wav";
  settings.SrtEnabled = true;
  settings.SrtData.FileName = u"out.srt";
  settings.ChapterFileName = u"out.cue";
  const std::vector<std::u16string> expected = {
      u"Dry run: nothing was sent",
      u"Requests: would send 3 of 4 (1 answered from the cache)",
      u"Characters billed: 46 (v1 31, v3 15)",
      u"Voices: alena (ru-RU, 2 requests), anton (ru-RU, 1 request), john (en-US, 1 request)",
      u"Estimated length: 0:00:45 (speech at 15 characters a second at rate 1, pauses as tagged, 2 audio "
      u"inserts "
      u"not counted)",
      u"Chapters: 2",
      u"Chapter 1: 0:00:00 Начало",
      u"Chapter 2: 0:01:01",
      u"Output: out.wav (WAV, 24000 Hz, mono)",
      u"Chapter file: out.cue",
      u"SRT file: out.srt"};
  std::vector<std::u16string> summary = DryRunSummary(plan, settings, TRunEnvironment());
  ASSERT_EQ(summary.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(ToUtf8(summary[i]), ToUtf8(expected[i]));

  settings.CacheFolder.clear();
  settings.ToStdout = true;
  settings.RawOutput = true;
  settings.Stereo = true;
  summary = DryRunSummary(plan, settings, TRunEnvironment());
  EXPECT_EQ(ToUtf8(summary[1]), "Requests: would send 3 of 4");
  EXPECT_EQ(ToUtf8(summary.back()), "SRT file: out.srt");
  EXPECT_EQ(ToUtf8(summary[summary.size() - 3]), "Output: standard output (raw PCM, 24000 Hz, stereo)");
}

// What the environment changes of the program's own choices is said at the end, with the variable
// that changes it; the service's URL is the one the run's key reaches.
TEST(DryRunSummary, EndsWithWhatTheEnvironmentChanges) {
  TDryRunPlan plan;
  plan.Requests = {Planned(u"a", u"alena")};
  TSettings settings;
  settings.OutputFileName = u"out.wav";
  TRunEnvironment environment;
  environment.LegacyServiceUrl = "https://127.0.0.1:9000";
  environment.CloudServiceUrl = "http://127.0.0.1:8443";
  environment.CaBundle = "/tmp/ca.pem";
  environment.AnsiCodePage = 1251;
  environment.AnsiCodePageGiven = true;
  environment.RequestTimeoutMs = 1500;
  environment.PlainWavLimit = 1000;
  for (const bool legacyKey : {false, true}) {
    settings.ApiKey = legacyKey ? u"0123abcd-89ab-cdef-0123-456789abcdef" : u"cloud-key";
    const std::vector<std::u16string> summary = DryRunSummary(plan, settings, environment);
    const std::vector<std::u16string> tail(summary.end() - 5, summary.end());
    EXPECT_EQ(tail, (std::vector<std::u16string>{
                        legacyKey ? u"Service: https://127.0.0.1:9000 (SONACLI_LEGACY_URL)"
                                  : u"Service: http://127.0.0.1:8443 (SONACLI_CLOUD_URL)",
                        u"Trusted certificates: /tmp/ca.pem, beside the system's (SONACLI_CA_BUNDLE)",
                        u"ANSI code page: 1251 (SONACLI_ANSI_CODEPAGE)",
                        u"Request time-out: 1500 ms (SONACLI_TEST_HTTP_TIMEOUT_MS)",
                        u"WAV data beyond 1000 bytes: RF64 (SONACLI_TEST_PLAIN_WAV_LIMIT)",
                    }));
    EXPECT_EQ(ToUtf8(summary[summary.size() - 6]), "Output: out.wav (WAV, 24000 Hz, mono)");
  }
  // The program's own choices say nothing; nor does a code page that the locale gave.
  environment = TRunEnvironment();
  environment.AnsiCodePage = 1251;
  EXPECT_EQ(ToUtf8(DryRunSummary(plan, settings, environment).back()),
            "Output: out.wav (WAV, 24000 Hz, mono)");
}

}  // namespace
}  // namespace sonacli
