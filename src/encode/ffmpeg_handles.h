// Owners of FFmpeg's handles, and the two things every use of the libraries needs: their error
// codes as text, and their log kept off the console.
#pragma once

#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace sonacli {

struct TCodecContextDeleter {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct TFrameDeleter {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct TPacketDeleter {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
// A muxer's context; its I/O context belongs to someone else.
struct TOutputContextDeleter {
  void operator()(AVFormatContext* context) const { avformat_free_context(context); }
};
// A demuxer's context, opened with avformat_open_input on an I/O context of someone else.
struct TInputContextDeleter {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};

using TCodecContextPtr = std::unique_ptr<AVCodecContext, TCodecContextDeleter>;
using TFramePtr = std::unique_ptr<AVFrame, TFrameDeleter>;
using TPacketPtr = std::unique_ptr<AVPacket, TPacketDeleter>;
using TOutputContextPtr = std::unique_ptr<AVFormatContext, TOutputContextDeleter>;
using TInputContextPtr = std::unique_ptr<AVFormatContext, TInputContextDeleter>;

// A new packet; throws TEncodeError when there is no memory for it.
TPacketPtr NewPacket();

// "<what>: <FFmpeg's text for the code>", for a TEncodeError.
std::string FfmpegFailure(const std::string& what, int code);

// FFmpeg prints warnings and errors on standard error by default; the program says in its own
// words what failed. Silences the libraries' log for the whole process (once; safe to call often).
void SilenceFfmpegLog();

}  // namespace sonacli
