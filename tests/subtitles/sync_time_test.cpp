#include "subtitles/sync_time.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "audio/audio_output.h"
#include "common/unicode_text.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

TEST(SyncTime, FormatLrcTime) {
  const std::pair<int64_t, std::u16string_view> cases[] = {
      {0, u"[00:00.00]"},      {9, u"[00:00.00]"},        {61999, u"[01:01.99]"},  // hundredths truncated
      {599990, u"[09:59.99]"}, {6000000, u"[100:00.00]"}, {-5, u"[00:00.00]"},
  };
  for (const auto& [ms, text] : cases) EXPECT_EQ(FormatLrcTime(ms), text) << ms;
}

TEST(SyncTime, FormatSrtTime) {
  struct Case {
    int64_t ms;
    bool isEnd;
    std::u16string_view text;
  };
  const Case cases[] = {
      {0, false, u"00:00:00,000"},          {0, true, u"00:00:00,000"},  // no 1 ms off 0
      {1, true, u"00:00:00,000"},           {3723004, true, u"01:02:03,003"},
      {3723004, false, u"01:02:03,004"},    {59999, false, u"00:00:59,999"},
      {360000000, false, u"100:00:00,000"}, {-1, false, u"00:00:00,000"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatSrtTime(c.ms, c.isEnd), c.text) << c.ms;
}

TEST(SyncTime, PcmDurationMsTruncates) {
  EXPECT_EQ(PcmDurationMs(48000, 1, 24000, 16), 1000);
  EXPECT_EQ(PcmDurationMs(47999, 1, 24000, 16), 999);
  EXPECT_EQ(PcmDurationMs(192000, 2, 48000, 16), 1000);
  EXPECT_EQ(PcmDurationMs(44100 * 2 * 2 * 7200, 2, 44100, 16), 7200000);  // two hours
  EXPECT_EQ(PcmDurationMs(int64_t{1} << 40, 2, 48000, 16), 5726623061);
  EXPECT_EQ(PcmDurationMs(0, 1, 24000, 16), 0);
  EXPECT_EQ(PcmDurationMs(-44, 1, 24000, 16), 0);  // nothing written after the header yet
  EXPECT_EQ(PcmDurationMs(1000, 0, 0, 0), 0);
}

TEST(SyncTime, AudioDurationMsOfEveryOutputKind) {
  testing::ScopedTempDir dir;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> sink(std::fopen(dir.File("stdout").c_str(), "wb"),
                                                       &std::fclose);
  ASSERT_TRUE(sink);
  TOutputSettings file;
  TOutputSettings buffered{true, false, false, fileno(sink.get())};
  TOutputSettings raw{true, true, false, fileno(sink.get())};
  TOutputSettings noLength{true, false, true, fileno(sink.get())};
  const std::string oneSecond(48000, '\0');
  for (const TOutputSettings& settings : {file, buffered, raw, noLength}) {
    SCOPED_TRACE(settings.ToStdout + 2 * settings.RawOutput + 4 * settings.OmitDataLength);
    TOutputData format{ToUtf16(dir.File("out.wav")), 1, 24000, 16};
    std::unique_ptr<TAudioSink> output = OpenOutput(format, settings);
    ASSERT_TRUE(output);
    EXPECT_EQ(AudioDurationMs(output.get()), 0);
    ASSERT_TRUE(output->Append(oneSecond));
    EXPECT_EQ(AudioDurationMs(output.get()), 1000);
    ASSERT_TRUE(output->Append(oneSecond.substr(0, 47998)));
    EXPECT_EQ(AudioDurationMs(output.get()), 1999);  // truncated
  }
  EXPECT_EQ(AudioDurationMs(nullptr), 0);
}

}  // namespace
}  // namespace sonacli
