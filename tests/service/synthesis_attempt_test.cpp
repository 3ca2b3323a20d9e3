#include "service/synthesis_attempt.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"
#include "standin_fixture.h"

namespace sonacli {
namespace {

using TSynthesisAttempt = TStandinTest;

const std::string kJsonTail =
    R"(],"output_audio_spec":{"container_audio":{"container_audio_type":"OGG_OPUS"}},)"
    R"("unsafe_mode":false})";

TEST_F(TSynthesisAttempt, LegacyRequestGoesOutAsGetQueryWithoutAuthorization) {
  TSynthesisRequest request = Request(u"\u041F\u0440\u0438, a & b", u"zahar:old", kLegacyKey);
  request.Language = u"de-DE";
  request.Rate = u"1.5";
  request.Emotion = u"evil";
  std::optional<TDecodedSpeech> speech;
  const TSynthesisAnswer answer = SendSynthesisRequest(request, DecodeInto(speech), {}, ServiceSettings());
  ASSERT_TRUE(answer.Spoken()) << ToUtf8(answer.ErrorText);
  ASSERT_TRUE(speech);

  const auto requests = standin_->Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0]["method"], "GET");
  EXPECT_EQ(requests[0]["path"], "/generate");
  EXPECT_EQ(requests[0]["query"], "key=" + ToUtf8(kLegacyKey) +
                                      "&text=%D0%9F%D1%80%D0%B8%2C%20a%20%26%20b&format=opus&lang=en-US"
                                      "&speaker=zahar&quality=hi&speed=1.5&emotion=evil");
  EXPECT_FALSE(requests[0]["headers"].contains("authorization"));
  EXPECT_EQ(requests[0]["headers"]["user-agent"], "sonacli/1.0.0");
  // 10 characters at speed 1.5: 1600 samples each, then 3200 samples of silence.
  EXPECT_EQ(speech->Pcm.size(), 2u * (10 * 1600 + 3200));
  EXPECT_EQ(speech->Format, (TAudioFormat{48000, 1, 16}));
}

TEST_F(TSynthesisAttempt, CloudV1RequestIsAFormWithTheKeyInTheAuthorizationHeader) {
  TSynthesisRequest request = Request(u"\u041F\u0440\u0438\u043C\u0435\u0440", u"omazh");
  request.Emotion = u"evil";
  std::optional<TDecodedSpeech> speech;
  const TSynthesisAnswer answer = SendSynthesisRequest(request, DecodeInto(speech), {}, ServiceSettings());
  ASSERT_TRUE(answer.Spoken()) << ToUtf8(answer.ErrorText);
  ASSERT_TRUE(speech);

  const auto requests = standin_->Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0]["method"], "POST");
  EXPECT_EQ(requests[0]["path"], "/speech/v1/tts:synthesize");
  EXPECT_EQ(requests[0]["query"], "");
  EXPECT_EQ(requests[0]["body"],
            "text=%D0%9F%D1%80%D0%B8%D0%BC%D0%B5%D1%80&format=oggopus&lang=ru-ru&voice=omazh&emotion=evil");
  EXPECT_EQ(requests[0]["headers"]["authorization"], "Api-Key " + ToUtf8(kCloudKey));
  EXPECT_EQ(requests[0]["headers"]["content-type"], "application/x-www-form-urlencoded");
  EXPECT_EQ(speech->Pcm.size(), StandinPcmBytes(6));
}

TEST_F(TSynthesisAttempt, CloudV3RequestIsOneLineOfJson) {
  TSynthesisRequest request = Request(u"\u041F\u0440\u0438\u043C\u0435\u0440", u"anton");
  request.Rate = u"1.5";
  request.Emotion = u"good";
  std::optional<TDecodedSpeech> speech;
  const TSynthesisAnswer answer = SendSynthesisRequest(request, DecodeInto(speech), {}, ServiceSettings());
  ASSERT_TRUE(answer.Spoken()) << ToUtf8(answer.ErrorText);
  ASSERT_TRUE(speech);

  const auto requests = standin_->Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0]["method"], "POST");
  EXPECT_EQ(requests[0]["path"], "/tts/v3/utteranceSynthesis");
  EXPECT_EQ(requests[0]["body"], R"({"text":"\u041F\u0440\u0438\u043C\u0435\u0440",)"
                                 R"("hints":[{"voice":"anton"},{"speed":1.5},{"role":"good"})" +
                                     kJsonTail);
  EXPECT_EQ(requests[0]["headers"]["authorization"], "Api-Key " + ToUtf8(kCloudKey));
  EXPECT_EQ(requests[0]["headers"]["content-type"], "application/json; charset=utf-8");
  EXPECT_EQ(requests[0]["headers"]["accept"], "*/*");
  EXPECT_EQ(speech->Pcm.size(), 2u * (6 * 1600 + 3200));
}

TEST_F(TSynthesisAttempt, LongV3AnswerKeepsTheAudioOfEveryChunk) {
  // 240 characters make about 12 s of speech, sent as dozens of base64 chunks.
  const std::u16string text(240, u'a');
  TSynthesisRequest request = Request(text, u"kirill");
  std::optional<TDecodedSpeech> speech;
  const TSynthesisAnswer answer = SendSynthesisRequest(request, DecodeInto(speech), {}, ServiceSettings());
  ASSERT_TRUE(answer.Spoken()) << ToUtf8(answer.ErrorText);
  ASSERT_TRUE(speech);
  EXPECT_EQ(speech->Pcm.size(), StandinPcmBytes(240));
}

TEST_F(TSynthesisAttempt, LegacyKeyWithPremiumVoiceFailsWithoutARequest) {
  std::optional<TDecodedSpeech> speech;
  const TSynthesisAnswer answer =
      SendSynthesisRequest(Request(u"Hello", u"jane", kLegacyKey), DecodeInto(speech), {}, ServiceSettings());
  EXPECT_EQ(answer.Outcome, TSynthesisOutcome::Rejected);
  EXPECT_EQ(answer.ErrorText, kPremiumVoiceNeedsCloudKey);
  EXPECT_TRUE(standin_->Requests().empty());
}

TEST_F(TSynthesisAttempt, StatusesAndAnswersBecomeResultsAndMessages) {
  struct {
    const char* script;
    const char16_t* voice;
    const char16_t* text;
    TSynthesisOutcome outcome;
    const char* message;
  } const cases[] = {
      {R"({"rules":[{"status":401}]})", u"oksana", u"Hi", TSynthesisOutcome::Rejected,
       "HTTP 401 - Unauthorized"},
      {R"({"rules":[{"status":403}]})", u"kirill", u"Hi", TSynthesisOutcome::Rejected,
       "HTTP 403 - Forbidden"},
      {R"({"rules":[{"status":419,"reason":"Session Gone"}]})", u"oksana", u"Hi", TSynthesisOutcome::Rejected,
       "HTTP 419 - Session Gone"},
      {R"({"rules":[{"status":503}]})", u"oksana", u"Hi", TSynthesisOutcome::Failed,
       "HTTP 503 - Service Unavailable"},
      {R"({"rules":[{"status":599,"reason":""}]})", u"kirill", u"Hi", TSynthesisOutcome::Failed, "HTTP 599"},
      // Every request has something to say: an answer without audio is a failure on every interface.
      {R"({"rules":[{"answer":"empty"}]})", u"oksana", u"Hi", TSynthesisOutcome::Failed, "No audio data"},
      {R"({"rules":[{"answer":"empty"}]})", u"kirill", u"Hi", TSynthesisOutcome::Failed, "No audio data"},
      {R"({"rules":[{"answer":"not_ogg"}]})", u"oksana", u"Hi", TSynthesisOutcome::Failed,
       "HTTP 500 - Internal error (the answer is not Ogg Opus audio)"},
      {R"({"rules":[{"answer":"truncated"}]})", u"kirill", u"Hi", TSynthesisOutcome::Failed,
       "HTTP 500 - Internal error (the answer is not Ogg Opus audio)"},
      {R"({"rules":[{"answer":"drop"}]})", u"oksana", u"Hi", TSynthesisOutcome::Failed,
       "HTTP 500 - Internal error (127.0.0.1 closed the connection without an answer)"},
      {R"({"rules":[{"answer":"no_audio"}]})", u"kirill", u"Hi", TSynthesisOutcome::Failed, "No audio data"},
      // The service's own checks: the v3 text limit.
      {"", u"kirill", u"251", TSynthesisOutcome::Rejected, "HTTP 400 - Bad Request"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    standin_->SetScript(c.script);
    const std::u16string text = std::u16string(c.text) == u"251" ? std::u16string(251, u'a') : c.text;
    std::optional<TDecodedSpeech> speech;
    const TSynthesisAnswer answer =
        SendSynthesisRequest(Request(text, c.voice), DecodeInto(speech), {}, ServiceSettings());
    EXPECT_EQ(answer.Outcome, c.outcome);
    EXPECT_EQ(ToUtf8(answer.ErrorText), c.message);
    EXPECT_EQ(answer.Received, "");
    EXPECT_FALSE(speech);
  }
}

TEST_F(TSynthesisAttempt, CloudRequestWithoutKeyIsRefused) {
  std::optional<TDecodedSpeech> speech;
  const TSynthesisAnswer answer =
      SendSynthesisRequest(Request(u"Hi", u"oksana", u""), DecodeInto(speech), {}, ServiceSettings());
  EXPECT_EQ(answer.Outcome, TSynthesisOutcome::Rejected);
  EXPECT_EQ(ToUtf8(answer.ErrorText), "HTTP 401 - Unauthorized");
}

}  // namespace
}  // namespace sonacli
