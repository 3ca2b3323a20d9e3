#include "service/yandex_tts_object.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <stop_token>
#include <thread>

#include "common/unicode_text.h"
#include "service/synthesis_attempt.h"
#include "standin_fixture.h"
#include "support/wait_until.h"

namespace sonacli {
namespace {

using TSynthesizeRetry = TStandinTest;

TEST_F(TSynthesizeRetry, RetriesEveryIntervalWithinTheWindowAndReportsTheFirstMessage) {
  struct {
    const char* name;
    const char* script;
    bool enabled;
    bool ok;
    size_t attempts;
    int sleeps;
    const char* message;
  } const cases[] = {
      {"success", "", true, true, 1, 0, ""},
      {"refused", R"({"rules":[{"status":401}]})", true, false, 1, 0, "HTTP 401 - Unauthorized"},
      // 31 steps of 50 ms pass 1500 ms; the window closes after 301 steps, before a tenth retry.
      {"always busy", R"({"rules":[{"status":503}]})", true, false, 10, 301,
       "HTTP 503 - Service Unavailable"},
      {"busy once", R"({"rules":[{"status":503,"times":1}]})", true, true, 2, 31, ""},
      {"busy, then refused", R"({"rules":[{"status":503,"times":1},{"status":403}]})", true, false, 2, 31,
       "HTTP 503 - Service Unavailable"},
      {"first message kept", R"({"rules":[{"status":429,"reason":"Slow Down","times":1},{"answer":"drop"}]})",
       true, false, 10, 301, "HTTP 429 - Slow Down"},
      {"dropped, then no audio", R"({"rules":[{"answer":"drop","times":2},{"answer":"no_audio"}]})", true,
       false, 10, 301, "HTTP 500 - Internal error (127.0.0.1 closed the connection without an answer)"},
      {"retry disabled", R"({"rules":[{"status":503}]})", false, false, 1, 0,
       "HTTP 503 - Service Unavailable"},
      // A busy service's Retry-After: 101 steps of 50 ms pass 5 s.
      {"asked to wait 5 s", R"({"rules":[{"status":503,"times":1,"headers":{"Retry-After":"5"}}]})", true,
       true, 2, 101, ""},
      {"asked to wait less than the interval",
       R"({"rules":[{"status":429,"times":1,"headers":{"Retry-After":"1"}}]})", true, true, 2, 31, ""},
      {"asked for an hour, waits a minute",
       R"({"rules":[{"status":503,"times":1,"headers":{"Retry-After":"3600"}}]})", true, true, 2, 1201, ""},
      // The second 10 s wait ends past the window: one more attempt, then no more.
      {"asked for 10 s each time", R"({"rules":[{"status":503,"headers":{"Retry-After":"10"}}]})", true,
       false, 3, 402, "HTTP 503 - Service Unavailable"},
      {"a hint on another status is not taken",
       R"({"rules":[{"status":500,"times":1,"headers":{"Retry-After":"10"}}]})", true, true, 2, 31, ""},
      // An empty answer would drop its piece: it is retried like any failure.
      {"empty once", R"({"rules":[{"answer":"empty","times":1}]})", true, true, 2, 31, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::ScopedTempDir folder;
    TStandinProcess standin(folder.Path());
    standin.SetScript(c.script);
    environment_.CloudServiceUrl = standin.BaseUrl();
    environment_.CaBundle = standin.CaFile();
    settings_.RetrySettings.Enabled = c.enabled;
    TFakeClock clock;
    TYandexTTSObject tts(ServiceSettings(), clock);
    std::optional<TDecodedSpeech> speech;
    const TSynthesisAnswer answer = tts.Synthesize(Request(u"Hello", u"kirill"), DecodeInto(speech));
    EXPECT_EQ(answer.Spoken(), c.ok);
    EXPECT_EQ(standin.Requests().size(), c.attempts);
    EXPECT_EQ(clock.Sleeps(), c.sleeps);
    EXPECT_EQ(ToUtf8(answer.ErrorText), c.message);
    EXPECT_EQ(speech ? speech->Pcm.size() : 0u, c.ok ? StandinPcmBytes(5) : 0u);
    EXPECT_EQ(ToUtf8(answer.ErrorText).find(ToUtf8(kCloudKey)), std::string::npos);
  }
}

TEST_F(TSynthesizeRetry, EveryRequestIsVerifiedByWhatItTrustsAsIfAlone) {
  // The requests of one object share the certificates read and the TLS sessions made (a share); a
  // session made under one trust must not let in a request that trusts something else, and every
  // request fails or succeeds as one sent on its own does.
  testing::ScopedTempDir otherFolder;
  const TStandinProcess other(otherFolder.Path());  // its CA did not sign the service's certificate
  const std::string unverified =
      "HTTP 500 - Internal error (the certificate of 127.0.0.1 could not be verified)";
  struct {
    const char* name;
    std::string caFile;  // empty: none besides the system's
    const char* message;
  } const cases[] = {
      {"trusted", standin_->CaFile(), nullptr},
      {"another CA", other.CaFile(), unverified.c_str()},
      {"no CA besides the system's", "", unverified.c_str()},
      {"trusted again", standin_->CaFile(), nullptr},
      {"unreadable CA file", (dir_.Path() / "missing.pem").string(), nullptr},
      {"trusted once more", standin_->CaFile(), nullptr},
  };
  THttpShare share;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    environment_.CaBundle = c.caFile;
    std::optional<TDecodedSpeech> speech;
    const TSynthesisAnswer shared =
        SendSynthesisRequest(Request(u"Hello", u"kirill"), DecodeInto(speech), {}, ServiceSettings(), &share);
    std::optional<TDecodedSpeech> speechAlone;
    const TSynthesisAnswer alone =
        SendSynthesisRequest(Request(u"Hello", u"kirill"), DecodeInto(speechAlone), {}, ServiceSettings());
    EXPECT_EQ(shared.Outcome, alone.Outcome);
    EXPECT_EQ(shared.ErrorText, alone.ErrorText);
    if (c.message != nullptr) {
      EXPECT_EQ(ToUtf8(shared.ErrorText), c.message);
    }
    EXPECT_EQ(shared.Spoken(), c.caFile == standin_->CaFile());
    EXPECT_EQ(speech ? speech->Pcm.size() : 0u, shared.Spoken() ? StandinPcmBytes(5) : 0u);
  }
}

TEST_F(TSynthesizeRetry, LegacyKeyWithPremiumVoiceIsNotRetried) {
  TFakeClock clock;
  TYandexTTSObject tts(ServiceSettings(), clock);
  std::optional<TDecodedSpeech> speech;
  const TSynthesisAnswer answer = tts.Synthesize(Request(u"Hello", u"alena", kLegacyKey), DecodeInto(speech));
  EXPECT_EQ(answer.Outcome, TSynthesisOutcome::Rejected);
  EXPECT_EQ(answer.ErrorText, kPremiumVoiceNeedsCloudKey);
  EXPECT_EQ(clock.Sleeps(), 0);
  EXPECT_TRUE(standin_->Requests().empty());
}

TEST_F(TSynthesizeRetry, WaitsOnTheRealClockBeforeTheRetry) {
  standin_->SetScript(R"({"rules":[{"status":502,"times":1}]})");
  TYandexTTSObject tts(ServiceSettings(), SystemTickClock());
  const auto start = std::chrono::steady_clock::now();
  std::optional<TDecodedSpeech> speech;
  const TSynthesisAnswer answer = tts.Synthesize(Request(u"Hello", u"oksana"), DecodeInto(speech));
  EXPECT_TRUE(answer.Spoken());
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GT(waited, std::chrono::milliseconds(1500));
  EXPECT_EQ(standin_->Requests().size(), 2u);
  ASSERT_TRUE(speech);
  EXPECT_EQ(speech->Pcm.size(), StandinPcmBytes(5));
}

// The service knows nothing of audio: bytes that the caller's use does not take are a failed
// attempt, retried as any other, and the first message says so.
TEST_F(TSynthesizeRetry, AnswersTheUseDoesNotTakeAreRetried) {
  for (const int refusals : {1, 100}) {
    SCOPED_TRACE(refusals);
    TFakeClock clock;
    TYandexTTSObject tts(ServiceSettings(), clock);
    int calls = 0;
    const TSynthesisAnswer answer =
        tts.Synthesize(Request(u"Hello", u"oksana"), [&](const std::string& received) {
          EXPECT_FALSE(received.empty());
          return ++calls > refusals;
        });
    EXPECT_EQ(answer.Spoken(), refusals == 1);
    EXPECT_EQ(ToUtf8(answer.ErrorText),
              refusals == 1 ? "" : "HTTP 500 - Internal error (the answer is not Ogg Opus audio)");
    EXPECT_EQ(calls, refusals == 1 ? 2 : 10);
  }
}

// A stop requested from another thread ends a transfer that stalls, and the waits between
// attempts, at once; no attempt follows.
TEST_F(TSynthesizeRetry, AStopEndsTheTransferAndTheRetries) {
  struct {
    const char* name;
    const char* script;
  } const rows[] = {
      {"a stalled answer", R"({"rules":[{"delay_ms":60000}]})"},
      {"a busy service", R"({"rules":[{"status":503,"headers":{"Retry-After":"60"}}]})"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    standin_->SetScript(row.script);
    const size_t requestsBefore = standin_->Requests().size();
    TYandexTTSObject tts(ServiceSettings(), SystemTickClock());
    std::stop_source stop;
    // Once the request reached the service (a slow machine takes its time to connect).
    std::thread stopper([&] {
      WaitUntil([&] { return standin_->Requests().size() > requestsBefore; });
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      stop.request_stop();
    });
    const auto start = std::chrono::steady_clock::now();
    const TSynthesisAnswer answer = tts.Synthesize(
        Request(u"Hello", u"oksana"), [](const std::string&) { return true; }, stop.get_token());
    stopper.join();
    EXPECT_FALSE(answer.Spoken());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(standin_->Requests().size(), requestsBefore + 1);
  }
}

}  // namespace
}  // namespace sonacli
