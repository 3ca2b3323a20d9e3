#include "http/http_client.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "standin/standin_process.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

const char kV1Path[] = "/speech/v1/tts:synthesize";

THttpPost FormPost() {
  return {"application/x-www-form-urlencoded", "text=Hi&voice=oksana", "*/*", {"Authorization: Api-Key k1"}};
}

TEST(HttpClient, PostsBodyAndHeaderLinesOverHttps) {
  testing::ScopedTempDir dir;
  TStandinProcess standin(dir.Path());
  THttpClient client;
  client.AddTrustedCaFile(standin.CaFile());
  client.SetUserAgent("sonacli/test");
  const THttpAnswer answer = client.Post(standin.BaseUrl() + kV1Path, FormPost());
  EXPECT_EQ(answer.Status, 200);
  EXPECT_EQ(answer.StatusText, "OK");
  EXPECT_EQ(answer.Body.substr(0, 4), "OggS");
  const auto requests = standin.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0]["method"], "POST");
  EXPECT_EQ(requests[0]["body"], "text=Hi&voice=oksana");
  EXPECT_EQ(requests[0]["headers"]["authorization"], "Api-Key k1");
  EXPECT_EQ(requests[0]["headers"]["content-type"], "application/x-www-form-urlencoded");
  EXPECT_EQ(requests[0]["headers"]["user-agent"], "sonacli/test");
  EXPECT_FALSE(requests[0]["headers"].contains("expect"));
}

TEST(HttpClient, ReadsStatusCodeTextAndRetryAfterOfErrorAnswers) {
  testing::ScopedTempDir dir;
  TStandinProcess standin(dir.Path());
  struct {
    const char* script;
    int status;
    const char* text;
    int64_t fewestSeconds;  // of Retry-After; a date lies a second or so nearer once it arrives
    int64_t mostSeconds;
  } const cases[] = {
      {R"({"rules":[{"status":403}]})", 403, "Forbidden", 0, 0},
      {R"({"rules":[{"status":419,"reason":"Session Gone Away"}]})", 419, "Session Gone Away", 0, 0},
      {R"({"rules":[{"status":599,"reason":""}]})", 599, "", 0, 0},
      {R"({"rules":[{"status":503,"headers":{"Retry-After":"7"}}]})", 503, "Service Unavailable", 7, 7},
      {R"({"rules":[{"status":429,"headers":{"Retry-After":"  120 "}}]})", 429, "Too Many Requests", 120,
       120},
      {R"({"rules":[{"status":503,"retry_after_date_in_s":30}]})", 503, "Service Unavailable", 28, 30},
      {R"({"rules":[{"status":503,"retry_after_date_in_s":-30}]})", 503, "Service Unavailable", 0, 0},
      {R"({"rules":[{"status":503,"headers":{"Retry-After":"soon"}}]})", 503, "Service Unavailable", 0, 0},
  };
  for (const auto& c : cases) {
    standin.SetScript(c.script);
    THttpClient client;
    client.AddTrustedCaFile(standin.CaFile());
    const THttpAnswer answer = client.Get(standin.BaseUrl() + "/generate");
    EXPECT_EQ(answer.Status, c.status) << c.script;
    EXPECT_EQ(answer.StatusText, c.text) << c.script;
    EXPECT_GE(answer.RetryAfterSeconds, c.fewestSeconds) << c.script;
    EXPECT_LE(answer.RetryAfterSeconds, c.mostSeconds) << c.script;
  }
}

// The cause a transport failure gives; empty when nothing was thrown.
template <typename Call>
std::string CauseOf(Call call) {
  try {
    call();
  } catch (const THttpError& error) {
    return error.what();
  }
  return "";
}

TEST(HttpClient, TransportFailuresThrowWithTheirCause) {
  testing::ScopedTempDir dir;
  TStandinProcess standin(dir.Path());
  const std::string url = standin.BaseUrl() + "/generate?key=SECRET-KEY&text=Hi";
  // Only the stalled answer meets its time-out: on a slow machine (or under a sanitizer) the TLS
  // handshake alone may take longer than that.
  struct {
    const char* script;
    int64_t timeoutMs;
    const char* cause;
  } const cases[] = {
      {R"({"rules":[{"answer":"drop"}]})", 20000, "127.0.0.1 closed the connection without an answer"},
      {R"({"rules":[{"answer":"cut"}]})", 20000, "the connection to 127.0.0.1 broke off"},
      {R"({"rules":[{"delay_ms":3000}]})", 300, "no answer from 127.0.0.1 in time"},
  };
  for (const auto& c : cases) {
    standin.SetScript(c.script);
    THttpClient client;
    client.AddTrustedCaFile(standin.CaFile());
    client.SetTimeoutMs(c.timeoutMs);
    const std::string cause = CauseOf([&] { client.Get(url); });
    EXPECT_EQ(cause, c.cause) << c.script;
    EXPECT_EQ(cause.find("SECRET"), std::string::npos);
  }

  // Nothing listens on the port of a stopped server.
  int port;
  {
    testing::ScopedTempDir other;
    TStandinProcess stopped(other.Path());
    port = stopped.Port();
  }
  THttpClient refused;
  EXPECT_EQ(CauseOf([&] { refused.Get("https://127.0.0.1:" + std::to_string(port) + "/generate"); }),
            "could not connect to 127.0.0.1");
  THttpClient unresolved;
  unresolved.SetTimeoutMs(5000);
  EXPECT_EQ(CauseOf([&] { unresolved.Get("https://sonacli-test.invalid/generate?key=SECRET-KEY"); }),
            "could not resolve host sonacli-test.invalid");
}

TEST(HttpClient, VerifiesTheServerCertificate) {
  testing::ScopedTempDir dir;
  TStandinProcess standin(dir.Path());
  THttpClient untrusting;
  EXPECT_EQ(CauseOf([&] { untrusting.Post(standin.BaseUrl() + kV1Path, FormPost()); }),
            "the certificate of 127.0.0.1 could not be verified");

  EXPECT_TRUE(standin.Requests().empty());

  // A certificate that is trusted but made for another name.
  testing::ScopedTempDir otherDir;
  TStandinProcess otherName(otherDir.Path(), TStandinOptions{.CertificateName = "speech.example.org"});
  THttpClient wrongName;
  wrongName.AddTrustedCaFile(otherName.CaFile());
  EXPECT_EQ(CauseOf([&] { wrongName.Post(otherName.BaseUrl() + kV1Path, FormPost()); }),
            "the certificate of 127.0.0.1 could not be verified");
  EXPECT_TRUE(otherName.Requests().empty());
}

TEST(HttpClient, AnswerOverTheLimitStopsTheRequestForGood) {
  testing::ScopedTempDir dir;
  TStandinProcess standin(dir.Path());
  THttpClient sizing;
  sizing.AddTrustedCaFile(standin.CaFile());
  const int64_t size = static_cast<int64_t>(sizing.Post(standin.BaseUrl() + kV1Path, FormPost()).Body.size());
  const std::string tooLarge =
      "the answer from 127.0.0.1 is larger than " + std::to_string(size - 1) + " bytes";
  struct {
    const char* name;
    std::string script;
    int64_t limit;  // 0: the default
    std::string cause;
  } const cases[] = {
      {"an answer of the limit", "", size, ""},
      {"one byte over, its length announced", "", size - 1, tooLarge},
      // Only half of the announced body comes: refused on the announcement, before the body.
      {"announced over the limit", R"({"rules":[{"answer":"cut"}]})", size - 1, tooLarge},
      {"streamed to the limit without a length",
       R"({"rules":[{"answer":"oversized","bytes":)" + std::to_string(size) + "}]}", size, ""},
      {"streamed past the limit without a length",
       R"({"rules":[{"answer":"oversized","bytes":)" + std::to_string(size) + "}]}", size - 1, tooLarge},
      {"the default limit", R"({"rules":[{"answer":"oversized"}]})", 0,
       "the answer from 127.0.0.1 is larger than 64 MiB"},
  };
  // The JSON lines of the v3 interface count as they come, as any body.
  const THttpPost v3Post{"application/json",
                         R"({"text":"Hi","hints":[{"voice":"kirill"}],)"
                         R"("output_audio_spec":{"container_audio":{"container_audio_type":"OGG_OPUS"}}})",
                         "*/*",
                         {"Authorization: Api-Key k1"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    standin.SetScript(c.script);
    THttpClient client;
    client.AddTrustedCaFile(standin.CaFile());
    if (c.limit > 0) client.SetMaxAnswerBytes(c.limit);
    try {
      const THttpAnswer answer = client.Post(standin.BaseUrl() + kV1Path, FormPost());
      EXPECT_EQ(c.cause, "") << "the answer was taken";
      EXPECT_EQ(static_cast<int64_t>(answer.Body.size()), size);
    } catch (const THttpError& error) {
      EXPECT_EQ(error.what(), c.cause);
      EXPECT_FALSE(error.WorthRetrying());
    }
  }
  standin.SetScript(R"({"rules":[{"answer":"oversized"}]})");
  THttpClient v3;
  v3.AddTrustedCaFile(standin.CaFile());
  try {
    v3.Post(standin.BaseUrl() + "/tts/v3/utteranceSynthesis", v3Post);
    ADD_FAILURE() << "an answer over the limit was taken";
  } catch (const THttpError& error) {
    EXPECT_STREQ(error.what(), "the answer from 127.0.0.1 is larger than 64 MiB");
  }
  // Other transport failures may pass on a retry.
  standin.SetScript(R"({"rules":[{"answer":"drop"}]})");
  THttpClient dropped;
  dropped.AddTrustedCaFile(standin.CaFile());
  try {
    dropped.Post(standin.BaseUrl() + kV1Path, FormPost());
    ADD_FAILURE() << "a dropped connection gave an answer";
  } catch (const THttpError& error) {
    EXPECT_TRUE(error.WorthRetrying());
  }
}

TEST(HttpClient, ClientsOnSeveralThreadsShareOneShare) {
  testing::ScopedTempDir dir;
  TStandinProcess standin(dir.Path());
  THttpShare share;
  constexpr int kThreads = 4;
  constexpr int kRequests = 5;
  std::atomic<int> answered = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kRequests; ++i) {
        THttpClient client(&share);
        client.AddTrustedCaFile(standin.CaFile());
        try {
          const THttpAnswer answer = client.Post(standin.BaseUrl() + kV1Path, FormPost());
          if (answer.Status == 200 && answer.Body.substr(0, 4) == "OggS") ++answered;
        } catch (const THttpError& error) {
          ADD_FAILURE() << error.what();
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(answered, kThreads * kRequests);
  EXPECT_EQ(standin.Requests().size(), static_cast<size_t>(kThreads * kRequests));
}

TEST(HttpClient, SpeaksOnlyHttps) {
  testing::ScopedTempDir dir;
  TStandinProcess standin(dir.Path(), /*plain=*/true);
  THttpClient client;
  EXPECT_THROW(client.Post(standin.BaseUrl() + kV1Path, FormPost()), THttpError);
  EXPECT_TRUE(standin.Requests().empty());
}

}  // namespace
}  // namespace sonacli
