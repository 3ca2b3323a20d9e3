#include "audio/wav_file_sink.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "audio/wav_header.h"
#include "common/unicode_text.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

using testing::ReadFile;
using testing::ScopedTempDir;

constexpr TAudioFormat kStereo{24000, 2, 16};

TEST(WavFileSink, FailedWriteKeepsTheWholeFramesThatReachedTheDisk) {
  ScopedTempDir dir;
  const std::string name = dir.File("out.wav");
  auto sink = TWavFileSink::Create(ToUtf16(name), kStereo, kMaxPlainWavDataSize);
  ASSERT_NE(sink, nullptr);
  {
    // Room for the header, one piece and part of a frame of the next: a full disk, made small.
    testing::ScopedFileSizeLimit limit(44 + 400 + 3);
    EXPECT_TRUE(sink->Append(std::string(400, '\x11')));
    EXPECT_FALSE(sink->Append(std::string(400, '\x22')));
    EXPECT_EQ(sink->WriteError(), EFBIG);
    EXPECT_EQ(sink->Error(), u"Failed to save audio file");
  }
  // Nothing more is taken, so that the file stays one unbroken stream.
  EXPECT_FALSE(sink->Append(std::string(400, '\x33')));
  EXPECT_EQ(sink->Frames(), 100);
  EXPECT_TRUE(sink->Finish());  // a valid file of what is there
  const std::string bytes = ReadFile(name);
  ASSERT_EQ(bytes.size(), 44u + 400 + 0);  // the three bytes of the cut frame are gone
  EXPECT_EQ(bytes.substr(0, 44), MakeWavHeader(24000, 2, 16, 400));
  EXPECT_EQ(bytes.substr(44), std::string(400, '\x11'));
  EXPECT_TRUE(sink->Finish());
}

TEST(WavFileSink, FileWithoutAppendsStaysEmpty) {
  ScopedTempDir dir;
  const std::string name = testing::WriteFile(dir.File("out.wav"), "an older file of this name");
  auto sink = TWavFileSink::Create(ToUtf16(name), kStereo, kMaxPlainWavDataSize);
  ASSERT_NE(sink, nullptr);
  EXPECT_EQ(ReadFile(name), "");  // emptied at once
  EXPECT_TRUE(sink->Finish());
  EXPECT_FALSE(sink->Append(std::string(4, '\0')));  // nothing after the end
  EXPECT_EQ(ReadFile(name), "");
  EXPECT_EQ(sink->Error(), u"");
}

TEST(WavFileSink, FileBecomesRf64WithoutRoomForAnother) {
  ScopedTempDir dir;
  const std::string name = dir.File("out.wav");
  auto sink = TWavFileSink::Create(ToUtf16(name), kStereo, 1000);
  ASSERT_NE(sink, nullptr);
  std::string samples;
  // More than one block of the move, so that the blocks are moved last first.
  for (int i = 0; i < (3 << 19); ++i) samples += static_cast<char>(i % 251);
  ASSERT_TRUE(sink->Append(samples));
  ASSERT_TRUE(sink->Finish());
  const std::string bytes = ReadFile(name);
  ASSERT_EQ(bytes.size(), kRf64HeaderSize + samples.size());
  EXPECT_EQ(bytes.substr(0, 4), "RF64");
  EXPECT_EQ(bytes.substr(48, 24), MakeWavHeader(24000, 2, 16, 0).substr(12, 24));
  EXPECT_TRUE(bytes.substr(kRf64HeaderSize) == samples);
}

}  // namespace
}  // namespace sonacli
