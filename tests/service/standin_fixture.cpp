#include "standin_fixture.h"

#include <cstdlib>

namespace sonacli {

void TStandinTest::SetUp() {
  settings_ = TSettings{};
  settings_.SampleRate = 48000;
  standin_ = std::make_unique<TStandinProcess>(dir_.Path());
  environment_ = TRunEnvironment{};
  environment_.LegacyServiceUrl = standin_->BaseUrl();
  environment_.CloudServiceUrl = standin_->BaseUrl();
  environment_.CaBundle = standin_->CaFile();
  for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
    unsetenv(name);
}

void TStandinTest::TearDown() {
  standin_.reset();
}

TSynthesisRequest TStandinTest::Request(std::u16string text, std::u16string voice, std::u16string key) {
  TSynthesisRequest request;
  request.Text = std::move(text);
  request.Language = u"ru-RU";
  request.Voice = std::move(voice);
  request.Emotion = u"neutral";
  request.ApiKey = std::move(key);
  return request;
}

TAnswerUse TStandinTest::DecodeInto(std::optional<TDecodedSpeech>& speech) {
  return [&speech](const std::string& received) {
    TDecodedSpeech decoded;
    if (!DecodeOpusAnswer(received, {48000, false}, {}, decoded)) return false;
    speech = std::move(decoded);
    return true;
  };
}

}  // namespace sonacli
