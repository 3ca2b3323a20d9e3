// One FFmpeg audio encoder fed with 16-bit interleaved PCM: the samples are converted into frames
// of the codec's size as they come, each full frame is encoded at once, and every packet goes to
// the caller's sink. Nothing of the audio is held beyond one frame.
#pragma once

#include <cstdint>
#include <functional>

#include "encode/ffmpeg_handles.h"
#include "encode/output_format.h"

namespace sonacli {

class TCodecEncoder {
 public:
  // Receives a packet (timed in the codec's time base, 1/sample rate); false stops the encoding
  // (the output failed).
  using TPacketSink = std::function<bool(AVPacket&)>;

  // Opens the format's encoder: libopus, libmp3lame (constant bitrate), FFmpeg's AAC or FLAC, with
  // the bitrate in kbit/s (0: DefaultBitrate). Bit-exact and single-threaded, so that equal PCM
  // gives equal packets. `globalHeader` puts the codec's set-up into its extradata (MP4 wants it
  // there). Throws TEncodeError when the encoder cannot be opened.
  TCodecEncoder(TOutputFormat format, int32_t sampleRate, int32_t channels, int32_t bitrateKbps,
                bool globalHeader);

  const AVCodecContext& Context() const { return *context_; }
  // Sample frames taken so far.
  int64_t Frames() const { return frames_; }

  // Takes `count` sample frames of interleaved 16-bit PCM. False when the sink stopped; throws
  // TEncodeError when the encoder fails.
  bool Append(const int16_t* samples, int64_t count, const TPacketSink& sink);
  // Encodes the last, shorter frame and drains the encoder: its delayed packets, and the end data
  // some codecs add. Afterwards the context's extradata is final (FLAC's stream header then holds
  // the length and checksum). False when the sink stopped; throws TEncodeError.
  bool Flush(const TPacketSink& sink);

 private:
  void Convert(const int16_t* samples, int frames);
  bool Send(const AVFrame* frame, const TPacketSink& sink);

  TCodecContextPtr context_;
  TFramePtr frame_;
  TPacketPtr packet_;
  int channels_;
  bool mp3_;
  int frameSize_ = 0;
  int fill_ = 0;  // sample frames in frame_
  int64_t frames_ = 0;
  int64_t sent_ = 0;  // sample frames sent to the encoder
};

}  // namespace sonacli
