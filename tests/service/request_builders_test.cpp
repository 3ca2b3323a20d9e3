#include "service/request_builders.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

TSynthesisRequest Request(const char16_t* text, const char16_t* voice, const char16_t* rate,
                          const char16_t* emotion, const char16_t* language = u"ru-RU") {
  TSynthesisRequest request;
  request.Text = text;
  request.Voice = voice;
  request.Rate = rate;
  request.Emotion = emotion;
  request.Language = language;
  request.ApiKey = u"K";
  return request;
}

TEST(SpeedIsSent, OnlyForRatesOtherThanEmptyAndOnePointZero) {
  EXPECT_FALSE(SpeedIsSent(u""));
  EXPECT_FALSE(SpeedIsSent(u"1.0"));
  EXPECT_TRUE(SpeedIsSent(u"1"));
  EXPECT_TRUE(SpeedIsSent(u"1.5"));
}

TEST(IsSsmlText, WholeTextEnclosedInSpeakAnyCase) {
  EXPECT_TRUE(IsSsmlText(u"<speak>Hi</speak>"));
  EXPECT_TRUE(IsSsmlText(u"<SPEAK>Hi</Speak>"));
  EXPECT_FALSE(IsSsmlText(u"a <speak>Hi</speak>"));
  EXPECT_FALSE(IsSsmlText(u"<speak>Hi</speak> "));
  EXPECT_FALSE(IsSsmlText(u"<speak>"));
}

TEST(LegacyQuery, ParametersInOrder) {
  struct {
    TSynthesisRequest request;
    std::string query;
  } const cases[] = {
      {Request(u"Hello", u"oksana", u"", u"neutral"),
       "key=K&text=Hello&format=opus&lang=ru-RU&speaker=oksana&quality=hi"},
      {Request(u"\u041F a&b", u"zahar:old", u"1.0", u"good", u"kk-KZ"),
       "key=K&text=%D0%9F%20a%26b&format=opus&lang=ru-RU&speaker=zahar&quality=hi&emotion=good"},
      {Request(u"Hi", u"nick", u"1.50", u"evil", u"de-DE"),
       "key=K&text=Hi&format=opus&lang=en-US&speaker=nick&quality=hi&speed=1.50&emotion=evil"},
      {Request(u"Hi", u"nick", u"1", u"whisper", u"tr-TR"),
       "key=K&text=Hi&format=opus&lang=tr-TR&speaker=nick&quality=hi&speed=1"},
      // A "+" in a query would arrive as a space.
      {Request(u"Hi", u"nick", u"+2", u"neutral", u"tr-TR"),
       "key=K&text=Hi&format=opus&lang=tr-TR&speaker=nick&quality=hi&speed=2"},
  };
  for (const auto& c : cases) EXPECT_EQ(LegacyQuery(c.request), c.query);
}

TEST(CloudV1Body, LanguageFromVoiceAndToneFromEffectiveEmotion) {
  struct {
    TSynthesisRequest request;
    std::string body;
  } const cases[] = {
      {Request(u"Hello", u"oksana", u"", u"good"), "text=Hello&format=oggopus&lang=ru-ru&voice=oksana"},
      {Request(u"Hi", u"omazh", u"1.5", u"evil", u"en-US"),
       "text=Hi&format=oggopus&lang=ru-ru&voice=omazh&speed=1.5&emotion=evil"},
      {Request(u"Hi", u"jane", u"", u"whisper"), "text=Hi&format=oggopus&lang=ru-ru&voice=jane"},
      {Request(u"Hi", u"lea", u"1.0", u"neutral"), "text=Hi&format=oggopus&lang=de-de&voice=lea"},
      {Request(u"<Speak>Hi there</SPEAK>", u"omazh:old", u"", u"evil"),
       "ssml=%3CSpeak%3EHi%20there%3C/SPEAK%3E&format=oggopus&lang=ru-ru&voice=omazh"},
      {Request(u"x <speak>Hi</speak>", u"john", u"", u""),
       "text=x%20%3Cspeak%3EHi%3C/speak%3E&format=oggopus&lang=en-us&voice=john"},
      {Request(u"Hi", u"lea", u"+.5", u"neutral"), "text=Hi&format=oggopus&lang=de-de&voice=lea&speed=.5"},
  };
  for (const auto& c : cases) EXPECT_EQ(CloudV1Body(c.request), c.body);
}

TEST(CloudV3Body, OneLineOfJsonWithHintsInOrder) {
  const std::string tail = R"(],"output_audio_spec":{"container_audio":{"container_audio_type":"OGG_OPUS"}},)"
                           R"("unsafe_mode":false})";
  EXPECT_EQ(CloudV3Body(Request(u"Hello", u"anton", u"", u"neutral")),
            R"({"text":"Hello","hints":[{"voice":"anton"})" + tail);
  EXPECT_EQ(CloudV3Body(Request(u"Hello", u"anton", u"1.5", u"good")),
            R"({"text":"Hello","hints":[{"voice":"anton"},{"speed":1.5},{"role":"good"})" + tail);
  // The tone goes unchanged, without the v1 mapping; the text is escaped.
  EXPECT_EQ(CloudV3Body(Request(u"\u041F\"\n", u"kirill", u"1.0", u"strict")),
            R"({"text":"\u041F\"\n","hints":[{"voice":"kirill"},{"role":"strict"})" + tail);
}

TEST(CloudV3Body, SpeedIsAJsonNumberOfTheTypedValue) {
  const std::u16string_view cases[][2] = {
      {u"1.50", u"1.50"}, {u"1e0", u"1e0"},  {u"0.5", u"0.5"},    {u".5", u"0.5"},          {u"1.", u"1"},
      {u"+2", u"2"},      {u"01.5", u"1.5"}, {u"2.e-1", u"2e-1"}, {u"+.25E+1", u"0.25E+1"},
  };
  for (const auto& c : cases) {
    const std::string body = CloudV3Body(Request(u"Hi", u"anton", std::u16string(c[0]).c_str(), u""));
    EXPECT_NE(body.find(R"({"speed":)" + ToUtf8(c[1]) + "}"), std::string::npos) << body;
  }
}

}  // namespace
}  // namespace sonacli
