#include "audio/silence.h"

#include <gtest/gtest.h>

#include "audio/wav_header.h"

namespace sonacli {
namespace {

TEST(Silence, HasTheRoundedWholeFrameLength) {
  struct Case {
    int32_t rate;
    int32_t channels;
    int64_t ms;
    size_t bytes;
  };
  const Case cases[] = {
      {24000, 1, 250, 12000}, {22050, 1, 250, 11024}, {44100, 2, 10, 1764}, {8000, 1, 0, 0}};
  for (const Case& c : cases) {
    const TAudioFormat format{c.rate, c.channels, 16};
    std::string wav = "old content";
    ASSERT_TRUE(MakeSilence(wav, format, c.ms));
    ASSERT_EQ(wav.size(), kWavHeaderSize + c.bytes) << c.rate;
    EXPECT_TRUE(HasCanonicalWavHeader(wav));
    EXPECT_EQ(GetUint32(wav, 24), static_cast<uint32_t>(c.rate));
    EXPECT_EQ(GetUint16(wav, 22), c.channels);
    EXPECT_EQ(wav.find_first_not_of('\0', kWavHeaderSize), std::string::npos);
    // Into PCM: the samples alone, after what is there.
    std::string pcm = "ab";
    ASSERT_TRUE(AppendSilence(pcm, format, c.ms));
    ASSERT_TRUE(AppendSilence(pcm, format, c.ms));
    EXPECT_EQ(pcm, "ab" + std::string(2 * c.bytes, '\0'));
  }
}

TEST(Silence, UnusableFormatOrLengthMakesNone) {
  for (const auto& [format, ms] :
       {std::pair{TAudioFormat{24000, 0, 16}, int64_t{100}}, std::pair{TAudioFormat{0, 1, 16}, int64_t{100}},
        std::pair{TAudioFormat{24000, 1, 16}, int64_t{-1}},
        std::pair{TAudioFormat{48000, 2, 16}, int64_t{1} << 62}}) {
    std::string wav = "kept";
    EXPECT_FALSE(MakeSilence(wav, format, ms)) << ms;
    EXPECT_FALSE(AppendSilence(wav, format, ms));
    EXPECT_EQ(wav, "kept");
  }
}

}  // namespace
}  // namespace sonacli
