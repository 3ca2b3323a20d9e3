#include "encode_fixtures.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <stdexcept>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
}

namespace sonacli::testing {
namespace {

struct FormatCloser {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecFreer {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFreer {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;

std::string EncodeImage(const char* codecName, AVPixelFormat format, int width, int height, bool noisy) {
  const AVCodec* codec = avcodec_find_encoder_by_name(codecName);
  CodecPtr context(avcodec_alloc_context3(codec));
  context->width = width;
  context->height = height;
  context->pix_fmt = format;
  context->time_base = AVRational{1, 25};
  if (avcodec_open2(context.get(), codec, nullptr) < 0) throw std::runtime_error("no image encoder");
  FramePtr frame(av_frame_alloc());
  frame->width = width;
  frame->height = height;
  frame->format = format;
  av_frame_get_buffer(frame.get(), 0);
  for (int plane = 0; plane < 3 && frame->data[plane] != nullptr; ++plane) {
    // The chroma planes of 4:2:0 have half the rows.
    const int rows = plane == 0 ? height : (height + 1) / 2;
    for (int y = 0; y < rows; ++y) {
      for (int x = 0; x < frame->linesize[plane]; ++x) {
        const unsigned value = noisy ? (x * 2654435761u ^ y * 40503u) >> 7 : x * 3 + y * 5 + plane * 40;
        frame->data[plane][y * frame->linesize[plane] + x] = static_cast<uint8_t>(value);
      }
    }
  }
  frame->pts = 0;
  PacketPtr packet(av_packet_alloc());
  avcodec_send_frame(context.get(), frame.get());
  avcodec_send_frame(context.get(), nullptr);
  if (avcodec_receive_packet(context.get(), packet.get()) < 0) throw std::runtime_error("no image");
  return std::string(reinterpret_cast<const char*>(packet->data), packet->size);
}

float SampleAt(const AVFrame& frame, int channel, int index) {
  const auto format = static_cast<AVSampleFormat>(frame.format);
  const bool planar = av_sample_fmt_is_planar(format);
  const int channels = frame.ch_layout.nb_channels;
  const uint8_t* base = frame.extended_data[planar ? channel : 0];
  const int at = planar ? index : index * channels + channel;
  switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_S16:
      return reinterpret_cast<const int16_t*>(base)[at] / 32768.0f;
    case AV_SAMPLE_FMT_S32:
      return static_cast<float>(reinterpret_cast<const int32_t*>(base)[at] / 2147483648.0);
    case AV_SAMPLE_FMT_FLT:
      return reinterpret_cast<const float*>(base)[at];
    default:
      throw std::runtime_error("unexpected sample format");
  }
}

void ReadTags(const AVDictionary* dictionary, std::map<std::string, std::string>& tags) {
  const AVDictionaryEntry* entry = nullptr;
  while ((entry = av_dict_get(dictionary, "", entry, AV_DICT_IGNORE_SUFFIX)) != nullptr) {
    std::string key = entry->key;
    std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
    tags.emplace(key, entry->value);
  }
}

void Decode(AVFormatContext& format, int streamIndex, TReadBack& result) {
  const AVStream& stream = *format.streams[streamIndex];
  const AVCodec* codec = avcodec_find_decoder(stream.codecpar->codec_id);
  CodecPtr context(avcodec_alloc_context3(codec));
  avcodec_parameters_to_context(context.get(), stream.codecpar);
  context->pkt_timebase = stream.time_base;
  context->err_recognition |= AV_EF_EXPLODE | AV_EF_CRCCHECK;
  if (avcodec_open2(context.get(), codec, nullptr) < 0) throw std::runtime_error("no decoder");
  PacketPtr packet(av_packet_alloc());
  FramePtr frame(av_frame_alloc());
  const auto drain = [&] {
    while (avcodec_receive_frame(context.get(), frame.get()) == 0) {
      for (int i = 0; i < frame->nb_samples; ++i) {
        for (int c = 0; c < frame->ch_layout.nb_channels; ++c)
          result.Samples.push_back(SampleAt(*frame, c, i));
      }
      av_frame_unref(frame.get());
    }
  };
  while (av_read_frame(&format, packet.get()) >= 0) {
    if (packet->stream_index == streamIndex) {
      if (avcodec_send_packet(context.get(), packet.get()) < 0) ++result.DecodeErrors;
      drain();
    }
    av_packet_unref(packet.get());
  }
  avcodec_send_packet(context.get(), nullptr);
  drain();
}

}  // namespace

std::vector<int16_t> SpeechLike(int rate, int channels, double seconds) {
  const auto frames = static_cast<size_t>(rate * seconds);
  std::vector<int16_t> samples(frames * channels);
  double phase = 0;
  for (size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    const double pitch = 140 + 30 * std::sin(2 * std::numbers::pi * 0.7 * t);
    phase += 2 * std::numbers::pi * pitch / rate;
    double voice = 0;
    for (int h = 1; h * pitch < 0.4 * rate && h <= 20; ++h) voice += std::sin(h * phase) / h;
    const double syllable = 0.3 + 0.7 * std::max(0.0, std::sin(2 * std::numbers::pi * 3 * t));
    const double pause = std::fmod(t, 2.0) < 1.7 ? 1.0 : 0.05;
    const double level = 7000 * voice * syllable * pause;
    for (int c = 0; c < channels; ++c)
      samples[i * channels + c] = static_cast<int16_t>(std::lround(level * (c == 0 ? 1.0 : 0.4)));
  }
  return samples;
}

std::string MakePng(int width, int height, bool noisy) {
  return EncodeImage("png", AV_PIX_FMT_RGB24, width, height, noisy);
}

std::string MakeJpeg(int width, int height) {
  return EncodeImage("mjpeg", AV_PIX_FMT_YUVJ420P, width, height, false);
}

TReadBack ReadBack(const std::string& fileName) {
  TReadBack result;
  AVFormatContext* raw = nullptr;
  if (avformat_open_input(&raw, fileName.c_str(), nullptr, nullptr) < 0) return result;
  std::unique_ptr<AVFormatContext, FormatCloser> format(raw);
  if (avformat_find_stream_info(format.get(), nullptr) < 0) return result;
  result.Opened = true;
  ReadTags(format->metadata, result.Tags);
  int audio = -1;
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    const AVStream& stream = *format->streams[i];
    if (stream.disposition & AV_DISPOSITION_ATTACHED_PIC) {
      result.Cover.assign(reinterpret_cast<const char*>(stream.attached_pic.data), stream.attached_pic.size);
    } else if (stream.codecpar->codec_type == AVMEDIA_TYPE_AUDIO && audio < 0) {
      audio = static_cast<int>(i);
    }
  }
  if (audio < 0) return result;
  const AVStream& stream = *format->streams[audio];
  ReadTags(stream.metadata, result.Tags);
  result.Codec = avcodec_get_name(stream.codecpar->codec_id);
  result.StreamRate = stream.codecpar->sample_rate;
  result.Channels = stream.codecpar->ch_layout.nb_channels;
  if (stream.codecpar->codec_id == AV_CODEC_ID_OPUS && stream.codecpar->extradata_size >= 16) {
    const uint8_t* head = stream.codecpar->extradata;
    result.OpusInputRate = head[12] | head[13] << 8 | head[14] << 16 | head[15] << 24;
  }
  if (stream.duration != AV_NOPTS_VALUE) {
    result.DurationSamples =
        av_rescale_q(stream.duration, stream.time_base, AVRational{1, result.StreamRate});
    const int64_t start = stream.start_time != AV_NOPTS_VALUE ? std::max<int64_t>(stream.start_time, 0) : 0;
    result.DurationSeconds = static_cast<double>(stream.duration - start) * av_q2d(stream.time_base);
  } else {
    result.DurationSeconds = static_cast<double>(format->duration) / AV_TIME_BASE;
  }
  for (unsigned i = 0; i < format->nb_chapters; ++i) {
    const AVChapter& chapter = *format->chapters[i];
    const AVDictionaryEntry* title = av_dict_get(chapter.metadata, "title", nullptr, 0);
    result.Chapters.push_back({title != nullptr ? title->value : "",
                               chapter.start * av_q2d(chapter.time_base),
                               chapter.end * av_q2d(chapter.time_base)});
  }
  Decode(*format, audio, result);
  result.DecodedFrames = static_cast<int64_t>(result.Samples.size()) / std::max(result.Channels, 1);
  if (stream.codecpar->codec_id == AV_CODEC_ID_AAC && result.DurationSamples >= 0 &&
      result.DecodedFrames > result.DurationSamples) {
    result.Samples.resize(static_cast<size_t>(result.DurationSamples * result.Channels));
  }
  return result;
}

std::vector<float> ToFloat(const std::vector<int16_t>& samples) {
  std::vector<float> floats(samples.size());
  std::transform(samples.begin(), samples.end(), floats.begin(), [](int16_t s) { return s / 32768.0f; });
  return floats;
}

std::vector<float> Resample(const std::vector<float>& samples, int channels, int fromRate, int toRate) {
  const size_t inFrames = samples.size() / channels;
  const auto outFrames = static_cast<size_t>(std::llround(static_cast<double>(inFrames) * toRate / fromRate));
  std::vector<float> out((outFrames + 16) * channels);
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
  size_t made = 0;
  if (soxr_oneshot(fromRate, toRate, channels, samples.data(), inFrames, nullptr, out.data(), outFrames + 16,
                   &made, nullptr, &quality, nullptr) != nullptr) {
    throw std::runtime_error("soxr failed");
  }
  out.resize(made * channels);
  return out;
}

double Correlation(const std::vector<float>& a, const std::vector<float>& b, int channels, int lag) {
  const int64_t shift = int64_t{lag} * channels;
  double ab = 0, aa = 0, bb = 0;
  for (int64_t i = std::max<int64_t>(0, -shift); i < static_cast<int64_t>(a.size()); ++i) {
    const int64_t j = i + shift;
    if (j >= static_cast<int64_t>(b.size())) break;
    ab += static_cast<double>(a[i]) * b[j];
    aa += static_cast<double>(a[i]) * a[i];
    bb += static_cast<double>(b[j]) * b[j];
  }
  return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

}  // namespace sonacli::testing
