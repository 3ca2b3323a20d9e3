#include "encode/codec_encoder.h"

#include <gtest/gtest.h>

#include <vector>

extern "C" {
#include <libavutil/intreadwrite.h>
}

#include "encode_fixtures.h"

namespace sonacli {
namespace {

struct Seen {
  int64_t Pts;
  int64_t Duration;
  int64_t EndPadding;
};

int64_t EndPaddingOf(const AVPacket& packet) {
  size_t size = 0;
  const uint8_t* data = av_packet_get_side_data(&packet, AV_PKT_DATA_SKIP_SAMPLES, &size);
  return data != nullptr && size >= 10 ? AV_RL32(data + 4) : 0;
}

// Encodes `frames` of speech in pieces of 1000 sample frames; the packets that carry samples.
std::vector<Seen> Encode(TCodecEncoder& encoder, int rate, int channels, int64_t frames) {
  std::vector<int16_t> pcm = testing::SpeechLike(rate, channels, static_cast<double>(frames) / rate + 1);
  pcm.resize(static_cast<size_t>(frames * channels));
  std::vector<Seen> seen;
  const TCodecEncoder::TPacketSink sink = [&](AVPacket& packet) {
    if (packet.size > 0) seen.push_back({packet.pts, packet.duration, EndPaddingOf(packet)});
    return true;
  };
  for (int64_t at = 0; at < frames; at += 1000) {
    const int64_t count = std::min<int64_t>(1000, frames - at);
    EXPECT_TRUE(encoder.Append(pcm.data() + at * channels, count, sink));
  }
  EXPECT_EQ(encoder.Frames(), frames);
  EXPECT_TRUE(encoder.Flush(sink));
  return seen;
}

// What Ogg and MP4 build their timing on: packets that follow one another from the encoder's
// priming on, and last as long as the priming and the audio together. (FFmpeg times LAME's
// packets with a queue of the frames it was given, which loses count when LAME ends with more
// packets than that; the MP3 muxer goes by the padding instead, see below.)
TEST(CodecEncoder, PacketsCoverThePrimingAndTheAudioWithoutGaps) {
  const struct {
    TOutputFormat Format;
    int Rate;
    int Channels;
  } cases[] = {{TOutputFormat::Opus, 24000, 1}, {TOutputFormat::Opus, 48000, 2},
               {TOutputFormat::Opus, 8000, 1},  {TOutputFormat::M4b, 24000, 1},
               {TOutputFormat::M4b, 44100, 2},  {TOutputFormat::M4b, 8000, 1},
               {TOutputFormat::Flac, 24000, 1}, {TOutputFormat::Flac, 48000, 2}};
  for (const auto& c : cases) {
    for (int64_t frames : {1, 999, 24800, 33333}) {
      SCOPED_TRACE(std::to_string(c.Rate) + " " + std::to_string(frames));
      TCodecEncoder encoder(c.Format, c.Rate, c.Channels, 0, false);
      const int priming = encoder.Context().initial_padding;
      const std::vector<Seen> packets = Encode(encoder, c.Rate, c.Channels, frames);
      ASSERT_FALSE(packets.empty());
      EXPECT_EQ(packets.front().Pts, -priming);
      int64_t end = -priming;
      for (const Seen& packet : packets) {
        EXPECT_EQ(packet.Pts, end);
        end += packet.Duration;
      }
      EXPECT_EQ(end, frames);
    }
  }
}

// LAME may end with a packet of padding only; the last packet then tells the padding of all, as
// the MP3 muxer reads it from there: everything the packets hold beyond the priming and the audio.
TEST(CodecEncoder, TheLastMp3PacketCarriesAllThePadding) {
  for (int64_t frames : {1, 47, 24800, 33333, 100000}) {
    for (int channels : {1, 2}) {
      SCOPED_TRACE(std::to_string(frames) + " " + std::to_string(channels));
      TCodecEncoder encoder(TOutputFormat::Mp3, 8000, channels, 0, false);
      const std::vector<Seen> packets = Encode(encoder, 8000, channels, frames);
      const int64_t held = static_cast<int64_t>(packets.size()) * encoder.Context().frame_size;
      EXPECT_EQ(packets.back().EndPadding, held - encoder.Context().initial_padding - frames);
    }
  }
}

TEST(CodecEncoder, StopsWhenTheSinkStops) {
  TCodecEncoder encoder(TOutputFormat::Flac, 24000, 1, 0, false);
  const std::vector<int16_t> pcm = testing::SpeechLike(24000, 1, 1);
  int packets = 0;
  const TCodecEncoder::TPacketSink refuse = [&](AVPacket&) { return ++packets < 2; };
  EXPECT_FALSE(encoder.Append(pcm.data(), 24000, refuse));
  EXPECT_EQ(packets, 2);
}

}  // namespace
}  // namespace sonacli
