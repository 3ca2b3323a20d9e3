#include "service/sent_tone.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

TEST(SentTone, WhatEachInterfaceCarriesForTheVoice) {
  using enum TServiceInterface;
  struct Row {
    TServiceInterface route;
    std::u16string_view voice, tone, sent;
    bool dropped;
  };
  const Row rows[] = {
      {Legacy, u"oksana", u"good", u"good", false}, {Legacy, u"oksana", u"evil", u"evil", false},
      {Legacy, u"oksana", u"whisper", u"", true},   {Legacy, u"oksana", u"neutral", u"", false},
      {CloudV1, u"jane", u"evil", u"evil", false},  {CloudV1, u"alena", u"good", u"good", false},
      {CloudV1, u"alena", u"evil", u"", true},   // spoken neutrally
      {CloudV1, u"oksana", u"good", u"", true},  // a voice without tones
      {CloudV1, u"oksana", u"neutral", u"", false}, {CloudV1, u"oksana", u"", u"", false},
      {CloudV3, u"anton", u"good", u"good", false}, {CloudV3, u"anton", u"neutral", u"", false},
      {None, u"alena", u"good", u"", false},  // no interface: the run fails on that, not on the tone
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(ToUtf8(row.voice) + " " + ToUtf8(row.tone));
    EXPECT_EQ(SentTone(row.route, row.voice, row.tone), row.sent);
    EXPECT_EQ(ToneDropped(row.route, row.voice, row.tone), row.dropped);
  }
}

}  // namespace
}  // namespace sonacli
