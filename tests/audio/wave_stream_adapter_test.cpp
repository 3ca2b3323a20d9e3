#include "audio/wave_stream_adapter.h"

#include <gtest/gtest.h>

#include "audio/wav_header.h"
#include "audio_fixtures.h"

namespace sonacli {
namespace {

using testing::ChannelSamples;
using testing::MakeWavBytes;

std::string VolumeChanged(const std::vector<int16_t>& samples, int32_t percent) {
  TWave wave;
  EXPECT_TRUE(wave.LoadFromStream(MakeWavBytes(samples, 24000, 1)));
  EXPECT_TRUE(wave.ChangeVolume(percent));
  std::string out;
  wave.SaveToStream(out);
  return out;
}

TEST(WaveStreamAdapter, ChangeVolumeScalesTruncatesAndClampsAtMinus32767) {
  const std::vector<int16_t> samples = {0, 1, -1, 3, -3, 1000, -1000, 20000, -20000, 32767, -32768};
  struct Case {
    int32_t percent;
    std::vector<int16_t> expected;
  };
  const Case cases[] = {
      {0, {0, 1, -1, 3, -3, 1000, -1000, 20000, -20000, 32767, -32767}},
      {100, {0, 2, -2, 6, -6, 2000, -2000, 32767, -32767, 32767, -32767}},
      {-100, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {-50, {0, 1, -1, 2, -2, 500, -500, 10000, -10000, 16384, -16384}},
  };
  for (const Case& c : cases) {
    const std::string out = VolumeChanged(samples, c.percent);
    EXPECT_EQ(out.substr(0, kWavHeaderSize), MakeWavBytes(samples, 24000, 1).substr(0, kWavHeaderSize));
    EXPECT_EQ(ChannelSamples(out, 1, 0), c.expected) << c.percent;
  }
}

TEST(WaveStreamAdapter, RefreshFindsChunksAfterExtraChunks) {
  // "fmt " of 18 bytes, a "LIST" chunk of odd length (padded), then "data".
  std::string wav = "RIFF----WAVEfmt ";
  wav += std::string("\x12\0\0\0\1\0\1\0\xC0\x5D\0\0\x80\xBB\0\0\2\0\x10\0\0\0", 22);
  wav += std::string("LIST\3\0\0\0abc\0", 12);
  wav += std::string("data\4\0\0\0\x10\0\x20\0", 12);
  PutUint32(wav, 4, static_cast<uint32_t>(wav.size() - 8));
  std::string stream = wav;
  TWaveStreamAdapter adapter(stream);
  ASSERT_TRUE(adapter.Refresh());
  EXPECT_EQ(adapter.Format().SamplesPerSec, 24000u);
  EXPECT_EQ(adapter.DataOffset(), wav.size() - 4);
  EXPECT_EQ(adapter.DataSize(), 4u);
  ASSERT_TRUE(adapter.ChangeVolume(100));
  EXPECT_EQ(stream.substr(stream.size() - 4), std::string("\x20\0\x40\0", 4));
}

TEST(WaveStreamAdapter, DamagedWavesAreInvalidAndNeverOverrun) {
  const std::string good = MakeWavBytes({100, 200, 300, 400}, 24000, 1);
  std::string zeroFmt = good;
  PutUint32(zeroFmt, 16, 0);
  std::string hugeFmt = good;
  PutUint32(hugeFmt, 16, 0x7FFFFFF0);
  std::string noData = good.substr(0, 36);
  const std::string bad[] = {"", "RIFF", "RIFF\0\0\0\0WAVE", zeroFmt, hugeFmt, noData, "not a wave at all"};
  for (const std::string& bytes : bad) {
    TWave wave;
    EXPECT_FALSE(wave.LoadFromStream(bytes)) << bytes.size();
    uint8_t* data = nullptr;
    uint32_t size = 0;
    EXPECT_FALSE(wave.LockData(data, size, false));
    EXPECT_FALSE(wave.ChangeVolume(50));
  }

  // A "data" chunk claiming more than the stream holds: only the bytes present are touched.
  std::string longData = good;
  PutUint32(longData, 40, 1000000);
  TWave wave;
  ASSERT_TRUE(wave.LoadFromStream(longData));
  ASSERT_TRUE(wave.ChangeVolume(100));
  std::string out;
  wave.SaveToStream(out);
  EXPECT_EQ(out.size(), longData.size());
  EXPECT_EQ(ChannelSamples(out, 1, 0), (std::vector<int16_t>{200, 400, 600, 800}));
  uint8_t* copy = nullptr;
  uint32_t size = 0;
  EXPECT_FALSE(wave.LockData(copy, size, true));  // a copy of the whole chunk comes up short
}

TEST(WaveStreamAdapter, CopiedDataIsWrittenBackOnlyWhenAsked) {
  std::string stream = MakeWavBytes({1, 2}, 8000, 1);
  TWaveStreamAdapter adapter(stream);
  int changes = 0;
  adapter.OnChanging = [&] { ++changes; };
  for (bool writeBack : {false, true}) {
    uint8_t* data = nullptr;
    uint32_t size = 0;
    ASSERT_TRUE(adapter.LockData(data, size, true));
    ASSERT_EQ(size, 4u);
    data[0] = 9;
    adapter.UnlockData(data, writeBack);
    EXPECT_EQ(ChannelSamples(stream, 1, 0)[0], writeBack ? 9 : 1);
  }
  EXPECT_EQ(changes, 1);
}

}  // namespace
}  // namespace sonacli
