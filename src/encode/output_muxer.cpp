#include "encode/output_muxer.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

extern "C" {
#include <libavutil/base64.h>
#include <libavutil/dict.h>
}

#include "common/unicode_text.h"
#include "encode/cover_image.h"
#include "encode/encode_error.h"

namespace sonacli {
namespace {

// Options for one call of FFmpeg's: whatever the call leaves of them is freed with the object.
struct Options {
  Options() = default;
  Options(const Options&) = delete;
  Options& operator=(const Options&) = delete;
  ~Options() { av_dict_free(&Entries); }

  AVDictionary* Entries = nullptr;
};

const char* MuxerName(TOutputFormat format) {
  switch (format) {
    case TOutputFormat::Opus:
      return "ogg";
    case TOutputFormat::Mp3:
      return "mp3";
    case TOutputFormat::M4b:
      return "ipod";
    case TOutputFormat::Flac:
      return "flac";
    default:
      throw TEncodeError("No container for this output format");
  }
}

void SetEntry(AVDictionary** dictionary, const std::string& key, const std::string& value) {
  if (av_dict_set(dictionary, key.c_str(), value.c_str(), 0) < 0)
    throw TEncodeError("Not enough memory for the tags");
}

// HH:MM:SS.mmm, the nearest millisecond.
std::string VorbisChapterTime(int64_t frame, int32_t sampleRate) {
  const int64_t ms = (frame * 1000 + sampleRate / 2) / sampleRate;
  char text[40];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%03lld", static_cast<long long>(ms / 3600000),
                static_cast<long long>(ms / 60000 % 60), static_cast<long long>(ms / 1000 % 60),
                static_cast<long long>(ms % 1000));
  return text;
}

void AppendBigEndian(std::string& bytes, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>(value >> shift & 0xFF);
}

// The picture block of FLAC (front cover, no description), which Ogg Opus carries base64-encoded in
// the METADATA_BLOCK_PICTURE comment.
std::string PictureBlock(const std::string& cover, const TCoverImage& image) {
  const std::string_view mime = MimeType(image.Kind);
  std::string block;
  AppendBigEndian(block, 3);
  AppendBigEndian(block, static_cast<uint32_t>(mime.size()));
  block += mime;
  AppendBigEndian(block, 0);
  AppendBigEndian(block, static_cast<uint32_t>(image.Width));
  AppendBigEndian(block, static_cast<uint32_t>(image.Height));
  AppendBigEndian(block, static_cast<uint32_t>(image.BitsPerPixel));
  AppendBigEndian(block, 0);
  AppendBigEndian(block, static_cast<uint32_t>(cover.size()));
  return block + cover;
}

std::string Base64(const std::string& bytes) {
  std::string text(AV_BASE64_SIZE(bytes.size()), '\0');
  if (av_base64_encode(text.data(), static_cast<int>(text.size()),
                       reinterpret_cast<const uint8_t*>(bytes.data()),
                       static_cast<int>(bytes.size())) == nullptr) {
    throw TEncodeError("The cover is too large");
  }
  text.resize(std::strlen(text.c_str()));
  return text;
}

}  // namespace

bool ChaptersInHeader(TOutputFormat format) {
  return format != TOutputFormat::M4b;
}

bool WantsGlobalHeader(TOutputFormat format) {
  const AVOutputFormat* muxer = av_guess_format(MuxerName(format), nullptr, nullptr);
  return muxer != nullptr && (muxer->flags & AVFMT_GLOBALHEADER) != 0;
}

TOutputMuxer::TOutputMuxer(TOutputFormat format, const AVCodecContext& codec, const TMediaTags& tags,
                           const std::vector<TChapterSpan>& chapters, TAvioFile& file)
    : format_(format), file_(file), codecTimeBase_(codec.time_base), sampleRate_(codec.sample_rate) {
  AVFormatContext* context = nullptr;
  const int allocated = avformat_alloc_output_context2(&context, nullptr, MuxerName(format), nullptr);
  if (allocated < 0) throw TEncodeError(FfmpegFailure("Cannot set up the container", allocated));
  context_.reset(context);
  context_->pb = file.Context();
  context_->flags |= AVFMT_FLAG_BITEXACT;

  AVStream* audio = avformat_new_stream(context, nullptr);
  if (audio == nullptr || avcodec_parameters_from_context(audio->codecpar, &codec) < 0)
    throw TEncodeError("Not enough memory for the container");
  audio->time_base = codec.time_base;
  AddTags(tags);
  AddCoverStream(tags);
  if (ChaptersInHeader(format)) AddChapters(chapters);

  Options options;
  // ID3v2.4 wants the sizes of its chapter frames in its own 7-bit form, which FFmpeg does not write;
  // 2.3 is also what most players read.
  if (format == TOutputFormat::Mp3) SetEntry(&options.Entries, "id3v2_version", "3");
  if (format == TOutputFormat::M4b)
    SetEntry(&options.Entries, "movie_timescale", std::to_string(sampleRate_));
  // FFmpeg writes a stream out after every write by default, but the MP3 muxer completes its ID3v2
  // tag by going back to its start once the cover is in: on a stream the header stays in the buffer
  // until then (the owner makes the buffer large enough to hold it).
  context_->flush_packets = 0;
  const int written = avformat_write_header(context, &options.Entries);
  if (written < 0) throw TEncodeError(FfmpegFailure("Cannot write the start of the file", written));
  if (av_dict_count(options.Entries) > 0)
    throw TEncodeError("The container does not take the options it was given");
  if (!tags.Cover.empty() && format != TOutputFormat::Opus) WriteCover(tags.Cover);
  context_->flush_packets = -1;
}

void TOutputMuxer::AddTags(const TMediaTags& tags) {
  const std::string title = ToUtf8(OneLineTitle(tags.Title));
  const std::string author = ToUtf8(OneLineTitle(tags.Author));
  if (!title.empty()) {
    SetEntry(&context_->metadata, "title", title);
    SetEntry(&context_->metadata, "album", title);
  }
  if (!author.empty()) {
    SetEntry(&context_->metadata, "artist", author);
    SetEntry(&context_->metadata, "album_artist", author);
  }
  if (format_ == TOutputFormat::Opus && !tags.Cover.empty()) {
    const std::optional<TCoverImage> image = ReadCoverImage(tags.Cover);
    if (!image) throw TEncodeError("The cover is not a JPEG or PNG image");
    SetEntry(&context_->metadata, "METADATA_BLOCK_PICTURE", Base64(PictureBlock(tags.Cover, *image)));
  }
}

// Ogg Opus carries its cover in a comment; the other muxers take it as a stream of one picture.
void TOutputMuxer::AddCoverStream(const TMediaTags& tags) {
  if (tags.Cover.empty() || format_ == TOutputFormat::Opus) return;
  const std::optional<TCoverImage> image = ReadCoverImage(tags.Cover);
  if (!image) throw TEncodeError("The cover is not a JPEG or PNG image");
  AVStream* picture = avformat_new_stream(context_.get(), nullptr);
  if (picture == nullptr) throw TEncodeError("Not enough memory for the container");
  picture->disposition = AV_DISPOSITION_ATTACHED_PIC;
  picture->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
  picture->codecpar->codec_id = image->Kind == TImageKind::Png ? AV_CODEC_ID_PNG : AV_CODEC_ID_MJPEG;
  picture->codecpar->width = image->Width;
  picture->codecpar->height = image->Height;
  picture->time_base = AVRational{1, 90000};
  // ID3v2 and FLAC take the picture's kind from this text.
  SetEntry(&picture->metadata, "comment", "Cover (front)");
}

void TOutputMuxer::WriteCover(const std::string& cover) {
  TPacketPtr packet = NewPacket();
  if (av_new_packet(packet.get(), static_cast<int>(cover.size())) < 0)
    throw TEncodeError("Not enough memory for the cover");
  std::memcpy(packet->data, cover.data(), cover.size());
  packet->stream_index = 1;
  packet->pts = packet->dts = 0;
  packet->flags |= AV_PKT_FLAG_KEY;
  const int written = av_write_frame(context_.get(), packet.get());
  if (written < 0) throw TEncodeError(FfmpegFailure("Cannot write the cover", written));
}

void TOutputMuxer::AddChapters(const std::vector<TChapterSpan>& chapters) {
  if (format_ == TOutputFormat::Opus || format_ == TOutputFormat::Flac) {
    // Written as comments rather than as FFmpeg's chapters: FLAC's muxer stores none, and Ogg's
    // numbers them with three digits only.
    for (size_t i = 0; i < chapters.size(); ++i) {
      char key[32];
      std::snprintf(key, sizeof key, "CHAPTER%03zu", i);
      SetEntry(&context_->metadata, key, VorbisChapterTime(chapters[i].StartFrame, sampleRate_));
      SetEntry(&context_->metadata, std::string(key) + "NAME", ToUtf8(OneLineTitle(chapters[i].Title)));
    }
    return;
  }
  if (chapters.empty()) return;
  auto** list = static_cast<AVChapter**>(av_calloc(chapters.size(), sizeof(AVChapter*)));
  if (list == nullptr) throw TEncodeError("Not enough memory for the chapters");
  context_->chapters = list;
  context_->nb_chapters = 0;
  for (const TChapterSpan& span : chapters) {
    auto* chapter = static_cast<AVChapter*>(av_mallocz(sizeof(AVChapter)));
    if (chapter == nullptr) throw TEncodeError("Not enough memory for the chapters");
    // Counted at once, so that freeing the context frees it whatever follows.
    list[context_->nb_chapters++] = chapter;
    chapter->id = context_->nb_chapters;
    chapter->time_base = AVRational{1, sampleRate_};
    chapter->start = span.StartFrame;
    chapter->end = span.EndFrame;
    SetEntry(&chapter->metadata, "title", ToUtf8(OneLineTitle(span.Title)));
  }
}

bool TOutputMuxer::Failed(int code, const char* what) {
  if (file_.WriteError() != 0) return false;
  throw TEncodeError(FfmpegFailure(what, code));
}

bool TOutputMuxer::WritePacket(AVPacket& packet) {
  AVStream* audio = context_->streams[0];
  packet.stream_index = 0;
  av_packet_rescale_ts(&packet, codecTimeBase_, audio->time_base);
  const int written = av_write_frame(context_.get(), &packet);
  return written >= 0 || Failed(written, "Cannot write the audio");
}

void TOutputMuxer::SetTrailerChapters(const std::vector<TChapterSpan>& chapters) {
  if (format_ == TOutputFormat::M4b) AddChapters(chapters);
}

bool TOutputMuxer::WriteTrailer() {
  const int written = av_write_trailer(context_.get());
  return (written >= 0 || Failed(written, "Cannot write the end of the file")) && file_.WriteError() == 0;
}

}  // namespace sonacli
