// The timing of an encoder's packets, kept while they are written, so that a second copy of the
// stream can be written with exactly the same timing (pts, duration, the side data that tells the
// muxer the priming and the padding). Packets follow one another and last one codec frame, apart
// from a few at the start and at the end; only those few are kept, so the record stays small
// however long the audio.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

extern "C" {
#include <libavcodec/packet.h>
}

namespace sonacli {

class TPacketTiming {
 public:
  // `frameSize` is the codec's frame in its time base.
  explicit TPacketTiming(int64_t frameSize) : frameSize_(frameSize) {}

  void Record(const AVPacket& packet);
  // Packets recorded, and those of them that carried data (the others only side data, which a
  // file does not hold).
  int64_t Count() const { return count_; }
  int64_t DataPackets() const { return dataPackets_; }
  // The bytes of all packets, to check that a file gives back the packets that were written.
  int64_t DataBytes() const { return dataBytes_; }
  // The packets whose timing is kept: those that do not simply follow the one before.
  size_t Kept() const { return irregular_.size(); }

  // Hands out the recorded timing packet by packet, in order.
  class TReplay {
   public:
    explicit TReplay(const TPacketTiming& timing) : timing_(timing) {}
    bool Done() const { return index_ == timing_.count_; }
    // Whether the next packet carried no data.
    bool NextIsEmpty() const;
    // Puts the next packet's timing and side data on `packet` (which has none) and moves on.
    // Throws TEncodeError when there is no memory for the side data.
    void Next(AVPacket& packet);

   private:
    const TPacketTiming& timing_;
    int64_t index_ = 0;
    int64_t nextPts_ = 0;
  };

 private:
  struct Irregular {
    int64_t Pts = 0;
    int64_t Dts = 0;
    int64_t Duration = 0;
    bool Empty = false;
    std::vector<std::pair<AVPacketSideDataType, std::string>> SideData;
  };

  int64_t frameSize_;
  int64_t count_ = 0;
  int64_t dataPackets_ = 0;
  int64_t dataBytes_ = 0;
  int64_t nextPts_ = 0;
  std::map<int64_t, Irregular> irregular_;  // by packet number
};

}  // namespace sonacli
