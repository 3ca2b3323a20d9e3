// An encoded audio output (Ogg Opus, MP3, AAC in M4B, FLAC) fed with the run's PCM as it is made:
// encoded and written at once, so that memory does not grow with the audio's length (but for the
// index that MP4 keeps until its end: about 64 bytes per AAC frame of 1024 samples), with the
// chapters that come while it is made, the tags and the cover.
//
// The playing length equals the PCM length: Ogg Opus signals the encoder's delay as its pre-skip
// and the end in the last granule position; MP4 has an edit list timed in samples; MP3 has a
// LAME header with the delay and the padding; FLAC needs nothing. An MP3 stream has no LAME
// header (it is completed at the end, at the start of the file, which a stream cannot go back
// to), so players play the encoder's delay and padding there.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "encode/chapter_list.h"
#include "encode/media_tags.h"
#include "encode/output_format.h"

struct AVPacket;

namespace sonacli {

class TAvioFile;
class TCodecEncoder;
class TOutputMuxer;
class TPacketTiming;

struct TEncoderSettings {
  TOutputFormat Format = TOutputFormat::Opus;
  int32_t SampleRate = 24000;  // Hz, of the PCM and of the output
  int32_t Channels = 1;        // of the PCM and of the output
  int32_t BitrateKbps = 0;     // 0: DefaultBitrate
  TMediaTags Tags;
};

// Whether the settings can be encoded: an encoded format whose codec carries the rate and the
// channels (CheckFormatCarries) and takes the bitrate (CheckBitrate), and a cover that is a JPEG
// or PNG image (CheckCover). False with the message otherwise.
bool CheckEncoderSettings(const TEncoderSettings& settings, std::u16string& error);

class TEncodedOutput {
  struct TKey {
    explicit TKey() = default;
  };

 public:
  // An output to `fileName`, created (or emptied) at once: a temporary name, which the owner moves
  // into place once Finish has succeeded. To give Ogg Opus, MP3 and FLAC their chapters, Finish
  // writes "<fileName>.chapters" beside it and moves that over it. Null with the message when the
  // settings cannot be encoded, the file cannot be created or the encoder cannot be opened.
  static std::unique_ptr<TEncodedOutput> CreateFile(const TEncoderSettings& settings,
                                                    std::u16string_view fileName, std::u16string& error);
  // An output to the descriptor `fd` (not closed; a pipe or standard output). A stream cannot go
  // back to its start, where these formats keep their chapters, so it stores none; M4B cannot be
  // streamed at all. Null with the message otherwise, as CreateFile.
  static std::unique_ptr<TEncodedOutput> CreateStream(const TEncoderSettings& settings, int fd,
                                                      std::u16string& error);

  TEncodedOutput(TKey, const TEncoderSettings& settings, std::unique_ptr<TAvioFile> file,
                 std::u16string_view fileName);
  ~TEncodedOutput();
  TEncodedOutput(const TEncodedOutput&) = delete;
  TEncodedOutput& operator=(const TEncodedOutput&) = delete;

  // Encodes interleaved 16-bit little-endian PCM of the settings' format; a part of a sample frame
  // at the end waits for the rest. False when the output failed (the disk is full, the reader of
  // the stream went away: WriteError() holds the errno) or the encoder did; Error() says which.
  // Once it has failed, the output takes nothing more, but Finish still ends the file.
  bool Append(std::string_view pcm);
  // A chapter starting at a sample frame of the PCM (earlier, here or later than what has been
  // appended so far). Kept until Finish stores the chapters.
  void AddChapter(std::u16string_view title, int64_t startFrame);
  // The sample frames taken so far.
  int64_t Frames() const;
  // Whether the chapters get into the output: a file does, a stream does not.
  bool StoresChapters() const { return !stream_; }

  // Ends the output: encodes what the encoder holds and writes the end of the container, and for
  // a file stores the chapters (ChapterSpans, at most MaxChapters of the format). After an
  // interrupted run, or after the encoder failed, the file plays to the end of what was encoded.
  // False with Error() when the output could not be completed (a failed write) or holds no audio
  // at all (which makes no file a player opens). When it succeeds, Notes() may still say what was
  // not stored beside the audio, for the owner to tell: chapters beyond the format's limit, or
  // chapters that could not be written (the audio is complete without them). Further calls return
  // the same.
  bool Finish();

  const std::u16string& Error() const { return error_; }
  const std::vector<std::u16string>& Notes() const { return notes_; }
  int WriteError() const;

 private:
  // Opens the encoder and the muxer and writes the header; false with Error() otherwise.
  bool Start();
  bool Encode(const char* bytes, size_t frames);
  bool PutPacket(AVPacket& packet);
  void FailWrite();
  void StoreChapters(const std::vector<TChapterSpan>& chapters);

  TEncoderSettings settings_;
  std::u16string fileName_;
  bool stream_;
  std::unique_ptr<TAvioFile> file_;
  std::unique_ptr<TCodecEncoder> encoder_;
  std::unique_ptr<TOutputMuxer> muxer_;
  std::unique_ptr<TPacketTiming> timing_;
  std::vector<TChapterMark> marks_;
  std::string partialFrame_;
  std::vector<int16_t> aligned_;  // samples of PCM that came at an odd address
  bool writeFailed_ = false;
  bool encoderFailed_ = false;
  bool finished_ = false;
  bool complete_ = false;
  std::u16string error_;
  std::vector<std::u16string> notes_;
};

}  // namespace sonacli
