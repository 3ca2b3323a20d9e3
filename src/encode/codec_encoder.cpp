#include "encode/codec_encoder.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/intreadwrite.h>
}

#include "encode/bitrate.h"
#include "encode/encode_error.h"

namespace sonacli {
namespace {

struct CodecChoice {
  const char* Name;
  AVSampleFormat SampleFormat;
};

// Each encoder with a sample format it takes that the 16-bit samples convert to cheaply.
CodecChoice ChoiceFor(TOutputFormat format) {
  switch (format) {
    case TOutputFormat::Opus:
      return {"libopus", AV_SAMPLE_FMT_S16};
    case TOutputFormat::Mp3:
      return {"libmp3lame", AV_SAMPLE_FMT_S16P};
    case TOutputFormat::M4b:
      return {"aac", AV_SAMPLE_FMT_FLTP};
    case TOutputFormat::Flac:
      return {"flac", AV_SAMPLE_FMT_S16};
    default:
      throw TEncodeError("No encoder for this output format");
  }
}

// A frame when the codec takes any length (none of ours does).
constexpr int kDefaultFrameSize = 4096;

// The samples to drop at the end of a packet's audio (the second field of its skip-samples side
// data: a 32-bit start, a 32-bit end, both little-endian).
int64_t EndPadding(const AVPacket& packet) {
  size_t size = 0;
  const uint8_t* data = av_packet_get_side_data(&packet, AV_PKT_DATA_SKIP_SAMPLES, &size);
  return data != nullptr && size >= 10 ? AV_RL32(data + 4) : 0;
}

void SetEndPadding(AVPacket& packet, int64_t padding) {
  size_t size = 0;
  uint8_t* data = av_packet_get_side_data(&packet, AV_PKT_DATA_SKIP_SAMPLES, &size);
  if (data == nullptr || size < 10) {
    data = av_packet_new_side_data(&packet, AV_PKT_DATA_SKIP_SAMPLES, 10);
    if (data == nullptr) throw TEncodeError("Not enough memory for an encoded packet");
    std::memset(data, 0, 10);
  }
  AV_WL32(data + 4, static_cast<uint32_t>(padding));
}

}  // namespace

TCodecEncoder::TCodecEncoder(TOutputFormat format, int32_t sampleRate, int32_t channels, int32_t bitrateKbps,
                             bool globalHeader)
    : packet_(NewPacket()), channels_(channels), mp3_(format == TOutputFormat::Mp3) {
  const CodecChoice choice = ChoiceFor(format);
  const AVCodec* codec = avcodec_find_encoder_by_name(choice.Name);
  if (codec == nullptr) throw TEncodeError(std::string("FFmpeg has no ") + choice.Name + " encoder");
  context_.reset(avcodec_alloc_context3(codec));
  frame_.reset(av_frame_alloc());
  if (!context_ || !frame_) throw TEncodeError("Not enough memory for the encoder");

  context_->sample_rate = sampleRate;
  av_channel_layout_default(&context_->ch_layout, channels);
  context_->sample_fmt = choice.SampleFormat;
  context_->time_base = AVRational{1, sampleRate};
  if (format != TOutputFormat::Flac) {
    const int32_t kbps = bitrateKbps != 0 ? bitrateKbps : DefaultBitrate(format, sampleRate, channels);
    context_->bit_rate = int64_t{kbps} * 1000;
  }
  context_->flags |= AV_CODEC_FLAG_BITEXACT;
  if (globalHeader) context_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  context_->thread_count = 1;
  const int opened = avcodec_open2(context_.get(), codec, nullptr);
  if (opened < 0)
    throw TEncodeError(FfmpegFailure(std::string("Cannot open the ") + choice.Name + " encoder", opened));

  frameSize_ = context_->frame_size > 0 ? context_->frame_size : kDefaultFrameSize;
  frame_->nb_samples = frameSize_;
  frame_->format = context_->sample_fmt;
  frame_->sample_rate = sampleRate;
  if (av_channel_layout_copy(&frame_->ch_layout, &context_->ch_layout) < 0 ||
      av_frame_get_buffer(frame_.get(), 0) < 0)
    throw TEncodeError("Not enough memory for the encoder");
}

bool TCodecEncoder::Append(const int16_t* samples, int64_t count, const TPacketSink& sink) {
  while (count > 0) {
    // The encoder may still hold the last frame's buffer: write into a buffer of our own.
    if (fill_ == 0 && av_frame_make_writable(frame_.get()) < 0)
      throw TEncodeError("Not enough memory for the encoder");
    const int take = static_cast<int>(std::min<int64_t>(count, frameSize_ - fill_));
    Convert(samples, take);
    samples += int64_t{take} * channels_;
    count -= take;
    frames_ += take;
    fill_ += take;
    if (fill_ == frameSize_ && !Send(frame_.get(), sink)) return false;
  }
  return true;
}

void TCodecEncoder::Convert(const int16_t* samples, int frames) {
  const int channels = channels_;
  switch (context_->sample_fmt) {
    case AV_SAMPLE_FMT_S16:
      std::memcpy(frame_->data[0] + size_t{2} * fill_ * channels, samples, size_t{2} * frames * channels);
      break;
    case AV_SAMPLE_FMT_S16P:
      for (int c = 0; c < channels; ++c) {
        auto* plane = reinterpret_cast<int16_t*>(frame_->data[c]) + fill_;
        for (int i = 0; i < frames; ++i) plane[i] = samples[i * channels + c];
      }
      break;
    default:  // AV_SAMPLE_FMT_FLTP
      for (int c = 0; c < channels; ++c) {
        auto* plane = reinterpret_cast<float*>(frame_->data[c]) + fill_;
        for (int i = 0; i < frames; ++i)
          plane[i] = static_cast<float>(samples[i * channels + c]) * (1.0f / 32768);
      }
      break;
  }
}

bool TCodecEncoder::Send(const AVFrame* frame, const TPacketSink& sink) {
  if (frame != nullptr) {
    frame_->nb_samples = fill_;
    frame_->pts = sent_;
    sent_ += fill_;
    fill_ = 0;
  }
  const int sent = avcodec_send_frame(context_.get(), frame);
  if (sent < 0) throw TEncodeError(FfmpegFailure("The encoder refused the audio", sent));
  for (;;) {
    const int received = avcodec_receive_packet(context_.get(), packet_.get());
    if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return true;
    if (received < 0) throw TEncodeError(FfmpegFailure("The encoder failed", received));
    const bool kept = sink(*packet_);
    av_packet_unref(packet_.get());
    if (!kept) return false;
  }
}

bool TCodecEncoder::Flush(const TPacketSink& sink) {
  // The last packet is held back until the encoder is drained, so that it can be told apart.
  TPacketPtr last = NewPacket();
  bool holding = false;
  int64_t padding = 0;
  const TPacketSink holdBack = [&](AVPacket& packet) {
    padding += EndPadding(packet);
    const bool kept = !holding || sink(*last);
    av_packet_unref(last.get());
    av_packet_move_ref(last.get(), &packet);
    holding = true;
    return kept;
  };
  if (fill_ > 0 && !Send(frame_.get(), holdBack)) return false;
  if (!Send(nullptr, holdBack)) return false;
  if (!holding) return true;
  // LAME may end with a packet of padding only, after the one where the audio ends, and the MP3
  // muxer takes the padding of its gapless header from the last packet alone: that one carries
  // the padding of all.
  if (mp3_ && padding > EndPadding(*last)) SetEndPadding(*last, padding);
  return sink(*last);
}

}  // namespace sonacli
