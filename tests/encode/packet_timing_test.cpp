#include "encode/packet_timing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace sonacli {
namespace {

struct PacketFreer {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;

struct Made {
  int64_t Pts;
  int64_t Duration;
  int Size;
  std::string Skip;  // skip-samples side data; empty for none
};

PacketPtr MakePacket(const Made& made) {
  PacketPtr packet(av_packet_alloc());
  if (made.Size > 0) av_new_packet(packet.get(), made.Size);
  packet->pts = packet->dts = made.Pts;
  packet->duration = made.Duration;
  if (!made.Skip.empty()) {
    uint8_t* data = av_packet_new_side_data(packet.get(), AV_PKT_DATA_SKIP_SAMPLES, made.Skip.size());
    std::memcpy(data, made.Skip.data(), made.Skip.size());
  }
  return packet;
}

std::string SkipOf(const AVPacket& packet) {
  size_t size = 0;
  const uint8_t* data = av_packet_get_side_data(&packet, AV_PKT_DATA_SKIP_SAMPLES, &size);
  return data != nullptr ? std::string(reinterpret_cast<const char*>(data), size) : std::string();
}

// An MP3 encoder's packets: priming on the first, thousands of plain ones, the audio's end in a
// shorter one and a last packet of padding only; then a packet of end data without samples.
std::vector<Made> EncoderPackets() {
  std::vector<Made> packets = {{-1105, 576, 144, std::string("\x51\x04\0\0\0\0\0\0\0\0", 10)}};
  for (int i = 1; i < 5000; ++i) packets.push_back({-1105 + 576 * i, 576, 144 + i % 2, ""});
  const int64_t end = -1105 + 576 * 5000;
  packets.push_back({end, 76, 144, std::string("\0\0\0\0\xF4\x01\0\0\0\0", 10)});
  packets.push_back({end + 76, 0, 144, std::string("\0\0\0\0\x40\x02\0\0\0\0", 10)});
  packets.push_back({end + 76, 0, 0, std::string("\0\0\0\0\0\0\0\0\0\0", 10)});
  return packets;
}

TEST(PacketTiming, ReplaysEveryPacketsTimingAndKeepsOnlyTheIrregularOnes) {
  const std::vector<Made> made = EncoderPackets();
  TPacketTiming timing(576);
  int64_t bytes = 0;
  for (const Made& packet : made) {
    timing.Record(*MakePacket(packet));
    bytes += packet.Size;
  }
  EXPECT_EQ(timing.Count(), static_cast<int64_t>(made.size()));
  EXPECT_EQ(timing.DataPackets(), static_cast<int64_t>(made.size()) - 1);
  EXPECT_EQ(timing.DataBytes(), bytes);
  EXPECT_EQ(timing.Kept(), 4u);  // the first and the last three

  TPacketTiming::TReplay replay(timing);
  for (const Made& expected : made) {
    ASSERT_FALSE(replay.Done());
    EXPECT_EQ(replay.NextIsEmpty(), expected.Size == 0);
    PacketPtr packet(av_packet_alloc());
    replay.Next(*packet);
    EXPECT_EQ(packet->pts, expected.Pts);
    EXPECT_EQ(packet->dts, expected.Pts);
    EXPECT_EQ(packet->duration, expected.Duration);
    EXPECT_EQ(SkipOf(*packet), expected.Skip);
  }
  EXPECT_TRUE(replay.Done());
}

TEST(PacketTiming, KeepsAPacketThatDoesNotFollowTheOneBefore) {
  TPacketTiming timing(960);
  const std::vector<Made> made = {
      {0, 960, 10, ""}, {960, 960, 10, ""}, {5000, 960, 10, ""}, {5960, 960, 10, ""}};
  for (const Made& packet : made) timing.Record(*MakePacket(packet));
  EXPECT_EQ(timing.Kept(), 2u);
  TPacketTiming::TReplay replay(timing);
  for (const Made& expected : made) {
    PacketPtr packet(av_packet_alloc());
    replay.Next(*packet);
    EXPECT_EQ(packet->pts, expected.Pts);
  }
}

}  // namespace
}  // namespace sonacli
