#include "audio/wav_header.h"

#include <gtest/gtest.h>

namespace sonacli {
namespace {

TEST(WavHeader, WriteWavHeaderLaysOutTheCanonicalFields) {
  std::string stream = "xy";
  WriteWavHeader(stream, 2, 22050, 2, 16);
  ASSERT_EQ(stream.size(), 46u);
  const std::string header = stream.substr(2);
  EXPECT_EQ(header.substr(0, 4), "RIFF");
  EXPECT_EQ(GetUint32(header, 4), 36u);
  EXPECT_EQ(header.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(GetUint32(header, 16), 16u);
  EXPECT_EQ(GetUint16(header, 20), 1u);
  EXPECT_EQ(GetUint16(header, 22), 2u);
  EXPECT_EQ(GetUint32(header, 24), 22050u);
  EXPECT_EQ(GetUint32(header, 28), 88200u);
  EXPECT_EQ(GetUint16(header, 32), 4u);
  EXPECT_EQ(GetUint16(header, 34), 16u);
  EXPECT_EQ(header.substr(36, 4), "data");
  EXPECT_EQ(GetUint32(header, 40), 0u);
}

TEST(WavHeader, FinalizeFillsBothSizesAndLeavesShortStreamsAlone) {
  std::string stream;
  WriteWavHeader(stream, 0, 24000, 1, 16);
  stream.append(1000, '\1');
  FinalizeWavHeader(stream);
  EXPECT_EQ(GetUint32(stream, 4), 1036u);
  EXPECT_EQ(GetUint32(stream, 40), 1000u);

  const std::string shortStream(40, '\7');
  std::string copy = shortStream;
  FinalizeWavHeader(copy);
  EXPECT_EQ(copy, shortStream);
}

TEST(WavHeader, CanonicalOnlyWhenTheDataChunkEndsTheFile) {
  std::string wav = MakeWavHeader(24000, 1, 16, 4) + "abcd";
  EXPECT_TRUE(HasCanonicalWavHeader(wav));
  EXPECT_FALSE(HasCanonicalWavHeader(wav + "LIST"));  // something follows the samples
  std::string extensible = wav;
  PutUint16(extensible, 20, 0xFFFE);
  EXPECT_FALSE(HasCanonicalWavHeader(extensible));
  EXPECT_FALSE(HasCanonicalWavHeader(wav.substr(0, 43)));
}

}  // namespace
}  // namespace sonacli
