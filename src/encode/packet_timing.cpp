#include "encode/packet_timing.h"

#include <cstring>

#include "encode/encode_error.h"

namespace sonacli {

void TPacketTiming::Record(const AVPacket& packet) {
  const bool regular = count_ > 0 && packet.pts == nextPts_ && packet.dts == packet.pts &&
                       packet.duration == frameSize_ && packet.side_data_elems == 0 && packet.size > 0;
  if (!regular) {
    Irregular& entry = irregular_[count_];
    entry = {packet.pts, packet.dts, packet.duration, packet.size == 0, {}};
    for (int i = 0; i < packet.side_data_elems; ++i) {
      const AVPacketSideData& side = packet.side_data[i];
      entry.SideData.emplace_back(side.type,
                                  std::string(reinterpret_cast<const char*>(side.data), side.size));
    }
  }
  ++count_;
  if (packet.size > 0) ++dataPackets_;
  dataBytes_ += packet.size;
  nextPts_ = packet.pts + packet.duration;
}

bool TPacketTiming::TReplay::NextIsEmpty() const {
  const auto found = timing_.irregular_.find(index_);
  return found != timing_.irregular_.end() && found->second.Empty;
}

void TPacketTiming::TReplay::Next(AVPacket& packet) {
  const auto found = timing_.irregular_.find(index_++);
  if (found == timing_.irregular_.end()) {
    packet.pts = packet.dts = nextPts_;
    packet.duration = timing_.frameSize_;
  } else {
    const Irregular& entry = found->second;
    packet.pts = entry.Pts;
    packet.dts = entry.Dts;
    packet.duration = entry.Duration;
    for (const auto& [type, bytes] : entry.SideData) {
      uint8_t* data = av_packet_new_side_data(&packet, type, bytes.size());
      if (data == nullptr) throw TEncodeError("Not enough memory for an encoded packet");
      std::memcpy(data, bytes.data(), bytes.size());
    }
  }
  nextPts_ = packet.pts + packet.duration;
}

}  // namespace sonacli
