// One output container written through FFmpeg's muxer for the format: Ogg for Opus, MP3 with an
// ID3v2.3 tag, MP4 as iTunes writes it (M4B), FLAC.
#pragma once

#include <cstdint>
#include <vector>

#include "encode/avio_file.h"
#include "encode/chapter_list.h"
#include "encode/ffmpeg_handles.h"
#include "encode/media_tags.h"
#include "encode/output_format.h"

namespace sonacli {

// Whether the format keeps its chapters at the start of the file (Ogg Opus, MP3, FLAC), where they
// can only be written before the audio; MP4 writes them with its index at the end.
bool ChaptersInHeader(TOutputFormat format);

// Whether the format's muxer wants the codec's set-up in the extradata.
bool WantsGlobalHeader(TOutputFormat format);

class TOutputMuxer {
 public:
  // Opens the muxer on `file` with the encoder's stream, the tags, the cover and, for the formats
  // that keep them in the header, `chapters` (Vorbis comments CHAPTERnnn and CHAPTERnnnNAME in Ogg
  // Opus and FLAC; ID3v2 CHAP frames under a CTOC in MP3); writes the header and the cover. The
  // output is bit-exact: no creation time, no library version, a fixed Ogg serial number. MP4's
  // edit list is timed in samples, so that its length is exact. On a file that cannot seek, the
  // header goes out once complete, and must fit its buffer. Throws TEncodeError.
  TOutputMuxer(TOutputFormat format, const AVCodecContext& codec, const TMediaTags& tags,
               const std::vector<TChapterSpan>& chapters, TAvioFile& file);
  TOutputMuxer(const TOutputMuxer&) = delete;
  TOutputMuxer& operator=(const TOutputMuxer&) = delete;

  // Writes one audio packet timed in the codec's time base. False when the file's write failed;
  // throws TEncodeError on any other failure.
  bool WritePacket(AVPacket& packet);
  // MP4 only: the chapters, written with the index at the end.
  void SetTrailerChapters(const std::vector<TChapterSpan>& chapters);
  // Ends the container (the index of MP4, the end of the last Ogg page, the gapless header of MP3
  // and the stream header of FLAC where the file can seek). False when the file's write failed;
  // throws TEncodeError on any other failure.
  bool WriteTrailer();

 private:
  void AddTags(const TMediaTags& tags);
  void AddCoverStream(const TMediaTags& tags);
  void WriteCover(const std::string& cover);
  void AddChapters(const std::vector<TChapterSpan>& chapters);
  bool Failed(int code, const char* what);

  TOutputFormat format_;
  TAvioFile& file_;
  TOutputContextPtr context_;
  AVRational codecTimeBase_;
  int32_t sampleRate_;
};

}  // namespace sonacli
