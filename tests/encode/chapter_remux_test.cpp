#include "encode/chapter_remux.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/unicode_text.h"
#include "encode/avio_file.h"
#include "encode/codec_encoder.h"
#include "encode/encode_error.h"
#include "encode/output_muxer.h"
#include "encode_fixtures.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

using testing::ScopedTempDir;

// A file without chapters as the first pass writes it, with the timing of its packets.
struct FirstPass {
  TCodecEncoder Encoder{TOutputFormat::Opus, 24000, 1, 0, false};
  TPacketTiming Timing{Encoder.Context().frame_size};

  explicit FirstPass(const std::string& file) {
    auto out = TAvioFile::CreateForWriting(ToUtf16(file));
    TOutputMuxer muxer(TOutputFormat::Opus, Encoder.Context(), {}, {}, *out);
    const TCodecEncoder::TPacketSink sink = [&](AVPacket& packet) {
      Timing.Record(packet);
      return muxer.WritePacket(packet);
    };
    const std::vector<int16_t> pcm = testing::SpeechLike(24000, 1, 2);
    EXPECT_TRUE(Encoder.Append(pcm.data(), 48000, sink) && Encoder.Flush(sink));
    EXPECT_TRUE(muxer.WriteTrailer() && out->Close());
  }
};

TEST(ChapterRemux, CopiesThePacketsWithTheChaptersInTheHeader) {
  ScopedTempDir dir;
  const FirstPass pass(dir.File("plain.opus"));
  const std::vector<TChapterSpan> chapters = ChapterSpans({{u"One", 0}, {u"Two", 24000}}, 48000, 1000);
  RemuxWithChapters(TOutputFormat::Opus, pass.Encoder.Context(), {}, chapters, pass.Timing,
                    ToUtf16(dir.File("plain.opus")), ToUtf16(dir.File("chapters.opus")));
  const testing::TReadBack back = testing::ReadBack(dir.File("chapters.opus"));
  ASSERT_EQ(back.Chapters.size(), 2u);
  EXPECT_EQ(back.Chapters[1].Title, "Two");
  EXPECT_EQ(back.Samples.size(), 96000u);
  EXPECT_EQ(back.Samples, testing::ReadBack(dir.File("plain.opus")).Samples);
}

TEST(ChapterRemux, RefusesAFileThatDoesNotGiveBackThePacketsWritten) {
  ScopedTempDir dir;
  const FirstPass pass(dir.File("plain.opus"));
  const std::string whole = testing::ReadFile(dir.File("plain.opus"));
  testing::WriteFile(dir.File("cut.opus"), whole.substr(0, whole.size() / 2));
  const std::vector<TChapterSpan> chapters = ChapterSpans({{u"One", 0}}, 48000, 1000);
  try {
    RemuxWithChapters(TOutputFormat::Opus, pass.Encoder.Context(), {}, chapters, pass.Timing,
                      ToUtf16(dir.File("cut.opus")), ToUtf16(dir.File("chapters.opus")));
    ADD_FAILURE() << "no exception";
  } catch (const TEncodeError& error) {
    EXPECT_STREQ(error.what(), "The audio read back differs from the audio written");
  }
  EXPECT_THROW(RemuxWithChapters(TOutputFormat::Opus, pass.Encoder.Context(), {}, chapters, pass.Timing,
                                 ToUtf16(dir.File("missing.opus")), ToUtf16(dir.File("chapters.opus"))),
               TEncodeError);
}

}  // namespace
}  // namespace sonacli
