#include "main/dry_run_report.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"
#include "testing/test_support.h"

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

// A run of books: its chapters with the -ln numbers of their first lines, what its reader left out
// of each book, the narrator's pauses, and a cover no output can store.
TEST(DryRunSummary, NamesWhatWasLeftOutOfTheBooks) {
  TDryRunPlan plan;
  plan.Requests = {Planned(std::u16string(30, u'a'), u"john")};
  plan.PausesMs = 4500;
  plan.NarrationPausesMs = 4000;
  plan.Chapters = {{u"Title page", 0, 1}, {u"Book I, Part I: 1805, I", 2'500, 12}, {u"Tagged", 3'000, 0}};
  TBook novel;
  novel.LeftOut = {{u"Imprint", u"imprint", 321}, {u"", u"colophon", 1}};
  novel.Cover = {"<svg xmlns=\"http://www.w3.org/2000/svg\"/>", "image/svg+xml"};
  TBook plain;  // nothing left out, a cover that can be stored
  plain.Cover = {testing::SmallPng(), ""};
  TBook rules;
  rules.LeftOut = {{u"Licence", u"copyright-page", 2048}};
  TBookNotes notes;
  NoteLeftOut(novel, u"novel.epub", notes);
  NoteLeftOut(plain, u"plain.fb2", notes);
  NoteLeftOut(rules, u"standard input", notes);
  notes.CoverLeftOut = CoverLeftOut(novel);
  EXPECT_EQ(CoverLeftOut(plain), u"");
  EXPECT_EQ(CoverLeftOut(rules), u"") << "no cover";
  TSettings settings;
  settings.OutputFileName = u"novel.wav";
  const std::vector<std::u16string> expected = {
      u"Dry run: nothing was sent",
      u"Requests: would send 1 of 1",
      u"Characters billed: 30 (v1 30)",
      u"Voices: john (ru-RU, 1 request)",
      u"Estimated length: 0:00:07 (speech at 15 characters a second at rate 1, pauses as tagged, 0:00:04 of "
      u"them between paragraphs and at chapters)",
      u"Chapters: 3",
      u"Chapter 1: 0:00:00 Title page (line 1)",
      u"Chapter 2: 0:00:03 Book I, Part I: 1805, I (line 12)",
      u"Chapter 3: 0:00:03 Tagged",
      u"Left out of novel.epub: Imprint (imprint, 321 characters)",
      u"Left out of novel.epub: (colophon, 1 character)",
      u"Left out of standard input: Licence (copyright-page, 2048 characters)",
      u"Cover: the book's cover is left out, not a JPEG or PNG image (image/svg+xml)",
      u"Output: novel.wav (WAV, 24000 Hz, mono)"};
  const std::vector<std::u16string> summary = DryRunSummary(plan, settings, TRunEnvironment(), notes);
  ASSERT_EQ(summary.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(ToUtf8(summary[i]), ToUtf8(expected[i]));
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
