#include "encode/chapter_remux.h"

#include <cerrno>
#include <cstring>

#include "common/unicode_text.h"
#include "encode/avio_file.h"
#include "encode/encode_error.h"
#include "encode/output_muxer.h"

namespace sonacli {
namespace {

const char* DemuxerName(TOutputFormat format) {
  switch (format) {
    case TOutputFormat::Opus:
      return "ogg";
    case TOutputFormat::Mp3:
      return "mp3";
    default:
      return "flac";
  }
}

TInputContextPtr OpenSource(TOutputFormat format, TAvioFile& file) {
  AVFormatContext* context = avformat_alloc_context();
  if (context == nullptr) throw TEncodeError("Not enough memory to read the audio back");
  context->pb = file.Context();
  const int opened = avformat_open_input(&context, "", av_find_input_format(DemuxerName(format)), nullptr);
  // On failure avformat_open_input has freed the context.
  if (opened < 0) throw TEncodeError(FfmpegFailure("Cannot read the audio back", opened));
  return TInputContextPtr(context);
}

// The next packet of the audio stream; false at the end.
bool ReadAudioPacket(AVFormatContext& source, AVPacket& packet) {
  for (;;) {
    const int read = av_read_frame(&source, &packet);
    if (read == AVERROR_EOF) return false;
    if (read < 0) throw TEncodeError(FfmpegFailure("Cannot read the audio back", read));
    if (source.streams[packet.stream_index]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) return true;
    av_packet_unref(&packet);
  }
}

[[noreturn]] void WriteFailed(const TAvioFile& file) {
  throw TEncodeError(std::string("Cannot write the file with its chapters: ") +
                     std::strerror(file.WriteError()));
}

[[noreturn]] void DifferentPackets() {
  throw TEncodeError("The audio read back differs from the audio written");
}

}  // namespace

void RemuxWithChapters(TOutputFormat format, const AVCodecContext& codec, const TMediaTags& tags,
                       const std::vector<TChapterSpan>& chapters, const TPacketTiming& timing,
                       std::u16string_view source, std::u16string_view target) {
  const std::unique_ptr<TAvioFile> in = TAvioFile::OpenForReading(source);
  if (!in) throw TEncodeError(std::string("Cannot read the audio back: ") + std::strerror(errno));
  const TInputContextPtr demuxer = OpenSource(format, *in);
  const std::unique_ptr<TAvioFile> out = TAvioFile::CreateForWriting(target);
  if (!out)
    throw TEncodeError(std::string("Cannot create the file with its chapters: ") + std::strerror(errno));
  TOutputMuxer muxer(format, codec, tags, chapters, *out);

  TPacketPtr packet = NewPacket();
  int64_t bytes = 0;
  for (TPacketTiming::TReplay replay(timing); !replay.Done();) {
    // A packet of side data only (FLAC's last, with the final stream header) is not in the file.
    if (!replay.NextIsEmpty()) {
      if (!ReadAudioPacket(*demuxer, *packet)) DifferentPackets();
      bytes += packet->size;
      av_packet_free_side_data(packet.get());
    }
    packet->flags = AV_PKT_FLAG_KEY;
    replay.Next(*packet);
    if (!muxer.WritePacket(*packet)) WriteFailed(*out);
    av_packet_unref(packet.get());
  }
  if (ReadAudioPacket(*demuxer, *packet) || bytes != timing.DataBytes()) DifferentPackets();
  if (!muxer.WriteTrailer() || !out->Close()) WriteFailed(*out);
}

}  // namespace sonacli
