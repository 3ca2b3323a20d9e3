// The stand-in service checks requests as the real service does; the client tests rely on it.
#include <gtest/gtest.h>

#include <chrono>
#include <nlohmann/json.hpp>

#include "http/http_client.h"
#include "standin/standin_process.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

const std::string kForm = "application/x-www-form-urlencoded";
const std::string kJson = "application/json";
const std::string kAuth = "Authorization: Api-Key k";
const std::string kLegacy = "/generate?format=opus&lang=ru-RU&speaker=oksana";

std::string V3Body(const std::string& text, const std::string& hints = R"({"voice":"kirill"})",
                   const std::string& type = "OGG_OPUS") {
  return R"({"text":")" + text + R"(","hints":[)" + hints +
         R"(],"output_audio_spec":{"container_audio":{"container_audio_type":")" + type + R"("}}})";
}

class TStandinService : public ::testing::Test {
 protected:
  THttpAnswer Get(const std::string& target) {
    THttpClient client;
    client.AddTrustedCaFile(standin_.CaFile());
    return client.Get(standin_.BaseUrl() + target);
  }
  THttpAnswer Post(const std::string& path, const std::string& type, const std::string& body,
                   const std::string& auth = kAuth) {
    THttpClient client;
    client.AddTrustedCaFile(standin_.CaFile());
    return client.Post(standin_.BaseUrl() + path, {type, body, "", {auth}});
  }

  testing::ScopedTempDir dir_;
  TStandinProcess standin_{dir_.Path()};
};

TEST_F(TStandinService, RefusesWhatTheServiceRefuses) {
  const std::string v1 = "/speech/v1/tts:synthesize";
  const std::string v3 = "/tts/v3/utteranceSynthesis";
  const std::string a251(251, 'a');
  EXPECT_EQ(Get(kLegacy + "&key=k&text=Hi").Status, 200);
  EXPECT_EQ(Get(kLegacy + "&text=Hi").Status, 401);
  EXPECT_EQ(Get(kLegacy + "&key=k&text=" + std::string(2001, 'a')).Status, 400);
  EXPECT_EQ(Get(kLegacy + "&key=k&text=Hi&speed=3.5").Status, 400);
  EXPECT_EQ(Get(kLegacy + "&key=k&text=Hi&emotion=whisper").Status, 400);
  EXPECT_EQ(Get("/generate?key=k&text=Hi&format=mp3&lang=ru-RU&speaker=oksana").Status, 400);
  EXPECT_EQ(Get("/generate?key=k&text=Hi&format=opus&lang=de-DE&speaker=oksana").Status, 400);

  EXPECT_EQ(Post(v1, kForm, "text=Hi&voice=oksana").Status, 200);
  EXPECT_EQ(Post(v1, kForm, "text=Hi&voice=oksana", "X-Other: 1").Status, 401);
  EXPECT_EQ(Post(v1, kJson, "text=Hi&voice=oksana").Status, 400);
  EXPECT_EQ(Post(v1, kForm, "text=Hi&ssml=%3Cspeak%3EHi%3C/speak%3E&voice=oksana").Status, 400);
  EXPECT_EQ(Post(v1, kForm, "ssml=Hi&voice=oksana").Status, 400);
  EXPECT_EQ(Post(v1, kForm, "text=Hi&voice=oksana&emotion=angry").Status, 400);
  EXPECT_EQ(Post(v1, kForm, "text=" + std::string(5001, 'a') + "&voice=oksana").Status, 400);

  EXPECT_EQ(Post(v3, kJson, V3Body("Hi")).Status, 200);
  EXPECT_EQ(Post(v3, kJson, V3Body("Hi"), "X-Other: 1").Status, 401);
  EXPECT_EQ(Post(v3, kJson, V3Body(a251)).Status, 400);
  EXPECT_EQ(Post(v3, kJson, V3Body("Hi", R"({"voice":"kirill"},{"speed":"1.5"})")).Status, 400);
  EXPECT_EQ(Post(v3, kJson, V3Body("Hi", R"({"speed":1.5})")).Status, 400);
  EXPECT_EQ(Post(v3, kJson, V3Body("Hi", R"({"voice":"kirill"})", "WAV")).Status, 400);
  EXPECT_EQ(Post(v3, kJson, "{\"text\":").Status, 400);

  EXPECT_EQ(Get("/other").Status, 404);
  EXPECT_EQ(Get(v1).Status, 405);
  EXPECT_EQ(standin_.Requests().size(), 23u);
}

TEST_F(TStandinService, V3AnswerIsOneObjectPerChunkOfTheOggStream) {
  const THttpAnswer answer = Post("/tts/v3/utteranceSynthesis", kJson, V3Body(std::string(120, 'a')));
  ASSERT_EQ(answer.Status, 200);
  size_t chunks = 0;
  std::string firstData;
  for (size_t start = 0; start < answer.Body.size();) {
    const size_t end = answer.Body.find('\n', start);
    const auto line = nlohmann::json::parse(answer.Body.substr(start, end - start));
    const std::string data = line.at("result").at("audioChunk").at("data");
    if (chunks++ == 0) firstData = data;
    start = end + 1;
  }
  EXPECT_GT(chunks, 2u);
  EXPECT_EQ(firstData.substr(0, 4), "T2dn");  // "Ogg" in base64
}

TEST_F(TStandinService, ScriptedDelayHoldsTheAnswer) {
  standin_.SetScript(R"({"rules":[{"path":"/generate","text_contains":"slow","delay_ms":800}]})");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Get(kLegacy + "&key=k&text=fast").Status, 200);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(800));
  EXPECT_EQ(Get(kLegacy + "&key=k&text=slow").Status, 200);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(800));
}

}  // namespace
}  // namespace sonacli
