#include "encode/encoded_output.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/unicode_text.h"
#include "encode/avio_file.h"
#include "encode/bitrate.h"
#include "encode/chapter_remux.h"
#include "encode/codec_encoder.h"
#include "encode/cover_image.h"
#include "encode/encode_error.h"
#include "encode/ffmpeg_handles.h"
#include "encode/output_muxer.h"
#include "encode/packet_timing.h"
#include "platform/file_system.h"

namespace sonacli {
namespace {

// Room for the tags of a stream's header; the cover comes on top.
constexpr size_t kStreamHeaderBytes = size_t{1} << 20;

// Samples copied at a time when the PCM does not lie at an even address.
constexpr size_t kAlignedSamples = 1 << 15;

std::u16string ErrnoText(int error) {
  return ToUtf16(std::strerror(error));
}

}  // namespace

bool CheckEncoderSettings(const TEncoderSettings& settings, std::u16string& error) {
  if (!IsEncoded(settings.Format)) {
    error = std::u16string(FormatTitle(settings.Format)) + u" output is not encoded";
    return false;
  }
  return CheckFormatCarries(settings.Format, settings.SampleRate, settings.Channels, error) &&
         CheckBitrate(settings.Format, settings.SampleRate, settings.Channels, settings.BitrateKbps, error) &&
         (settings.Tags.Cover.empty() || CheckCover(settings.Tags.Cover, error));
}

std::unique_ptr<TEncodedOutput> TEncodedOutput::CreateFile(const TEncoderSettings& settings,
                                                           std::u16string_view fileName,
                                                           std::u16string& error) {
  if (!CheckEncoderSettings(settings, error)) return nullptr;
  SilenceFfmpegLog();
  std::unique_ptr<TAvioFile> file = TAvioFile::CreateForWriting(fileName);
  if (!file) {
    error = u"Cannot create the audio file " + FileNameOnly(fileName) + u": " + ErrnoText(errno);
    return nullptr;
  }
  auto output = std::make_unique<TEncodedOutput>(TKey{}, settings, std::move(file), fileName);
  if (output->Start()) return output;
  error = output->Error();
  output.reset();
  DeleteFileIfExists(fileName);
  return nullptr;
}

std::unique_ptr<TEncodedOutput> TEncodedOutput::CreateStream(const TEncoderSettings& settings, int fd,
                                                             std::u16string& error) {
  if (!CheckEncoderSettings(settings, error)) return nullptr;
  if (!CanStream(settings.Format)) {
    error =
        std::u16string(FormatTitle(settings.Format)) + u" output needs a file it can seek in, not a stream";
    return nullptr;
  }
  SilenceFfmpegLog();
  // The header must fit the buffer whole (see TOutputMuxer).
  std::unique_ptr<TAvioFile> file = TAvioFile::ForStream(fd, kStreamHeaderBytes + settings.Tags.Cover.size());
  if (!file) {
    error = u"Not enough memory for the audio stream";
    return nullptr;
  }
  auto output = std::make_unique<TEncodedOutput>(TKey{}, settings, std::move(file), u"");
  if (output->Start()) return output;
  error = output->Error();
  return nullptr;
}

TEncodedOutput::TEncodedOutput(TKey, const TEncoderSettings& settings, std::unique_ptr<TAvioFile> file,
                               std::u16string_view fileName)
    : settings_(settings), fileName_(fileName), stream_(fileName.empty()), file_(std::move(file)) {}

bool TEncodedOutput::Start() {
  try {
    encoder_ = std::make_unique<TCodecEncoder>(settings_.Format, settings_.SampleRate, settings_.Channels,
                                               settings_.BitrateKbps, WantsGlobalHeader(settings_.Format));
    muxer_ = std::make_unique<TOutputMuxer>(settings_.Format, encoder_->Context(), settings_.Tags,
                                            std::vector<TChapterSpan>{}, *file_);
    timing_ = std::make_unique<TPacketTiming>(encoder_->Context().frame_size);
    return true;
  } catch (const TEncodeError& failure) {
    // A header that could not be written is a failed write like any other.
    if (file_->WriteError() != 0) {
      FailWrite();
    } else {
      error_ = ToUtf16(failure.what());
    }
    return false;
  }
}

TEncodedOutput::~TEncodedOutput() = default;

int64_t TEncodedOutput::Frames() const {
  return encoder_->Frames();
}

int TEncodedOutput::WriteError() const {
  return file_->WriteError();
}

void TEncodedOutput::AddChapter(std::u16string_view title, int64_t startFrame) {
  marks_.push_back({std::u16string(title), startFrame});
}

bool TEncodedOutput::Append(std::string_view pcm) {
  if (finished_ || writeFailed_ || encoderFailed_) return false;
  const size_t frameBytes = size_t{2} * settings_.Channels;
  if (!partialFrame_.empty()) {
    const size_t take = std::min(frameBytes - partialFrame_.size(), pcm.size());
    partialFrame_.append(pcm.substr(0, take));
    pcm.remove_prefix(take);
    if (partialFrame_.size() < frameBytes) return true;
    if (!Encode(partialFrame_.data(), 1)) return false;
    partialFrame_.clear();
  }
  const size_t frames = pcm.size() / frameBytes;
  if (!Encode(pcm.data(), frames)) return false;
  partialFrame_.assign(pcm.substr(frames * frameBytes));
  return true;
}

bool TEncodedOutput::Encode(const char* bytes, size_t frames) {
  if (frames == 0) return true;
  const auto sink = [this](AVPacket& packet) { return PutPacket(packet); };
  try {
    if (reinterpret_cast<uintptr_t>(bytes) % alignof(int16_t) == 0) {
      if (encoder_->Append(reinterpret_cast<const int16_t*>(bytes), static_cast<int64_t>(frames), sink))
        return true;
    } else {
      // Converted in slices through a buffer of our own, never read at an odd address.
      const size_t channels = static_cast<size_t>(settings_.Channels);
      const size_t sliceFrames = kAlignedSamples / channels;
      aligned_.resize(sliceFrames * channels);
      for (size_t done = 0; done < frames;) {
        const size_t take = std::min(sliceFrames, frames - done);
        std::memcpy(aligned_.data(), bytes + done * channels * 2, take * channels * 2);
        if (!encoder_->Append(aligned_.data(), static_cast<int64_t>(take), sink)) break;
        done += take;
        if (done == frames) return true;
      }
    }
  } catch (const TEncodeError& failure) {
    encoderFailed_ = true;
    error_ = ToUtf16(failure.what());
    return false;
  }
  FailWrite();
  return false;
}

bool TEncodedOutput::PutPacket(AVPacket& packet) {
  // The timing is kept as the encoder made it, before the muxer's time base.
  timing_->Record(packet);
  return muxer_->WritePacket(packet);
}

void TEncodedOutput::FailWrite() {
  writeFailed_ = true;
  error_ = (stream_ ? u"Cannot write the audio stream: " : u"Cannot write the audio file: ") +
           ErrnoText(file_->WriteError() != 0 ? file_->WriteError() : EIO);
}

bool TEncodedOutput::Finish() {
  if (finished_) return complete_;
  finished_ = true;
  const auto sink = [this](AVPacket& packet) { return PutPacket(packet); };
  const std::vector<TChapterSpan> chapters = ChapterSpans(marks_, Frames(), MaxChapters(settings_.Format));
  try {
    // After a failure of the encoder its state is unknown: the file ends with what it made.
    if (!writeFailed_ && !encoderFailed_ && !encoder_->Flush(sink)) FailWrite();
    if (!stream_) muxer_->SetTrailerChapters(chapters);
    if (!writeFailed_ && !muxer_->WriteTrailer()) FailWrite();
  } catch (const TEncodeError& failure) {
    error_ = ToUtf16(failure.what());
    return complete_ = false;
  }
  if (!file_->Close() && !writeFailed_) FailWrite();
  if (writeFailed_) return complete_ = false;
  if (Frames() == 0) {
    // A container without a single sample is no file a player (or FFmpeg) opens.
    error_ = u"There is no audio to save";
    return complete_ = false;
  }

  const auto marked = std::count_if(marks_.begin(), marks_.end(),
                                    [this](const TChapterMark& mark) { return mark.StartFrame < Frames(); });
  if (!stream_ && static_cast<size_t>(marked) > chapters.size()) {
    notes_.push_back(u"Only the first " + ToUtf16(std::to_string(chapters.size())) + u" of " +
                     ToUtf16(std::to_string(marked)) + u" chapters are stored: " +
                     std::u16string(FormatTitle(settings_.Format)) + u" holds no more");
  }
  if (!stream_ && ChaptersInHeader(settings_.Format) && !chapters.empty()) StoreChapters(chapters);
  return complete_ = true;
}

void TEncodedOutput::StoreChapters(const std::vector<TChapterSpan>& chapters) {
  const std::u16string withChapters = fileName_ + u".chapters";
  try {
    RemuxWithChapters(settings_.Format, encoder_->Context(), settings_.Tags, chapters, *timing_, fileName_,
                      withChapters);
    if (!MoveFileReplacing(withChapters, fileName_))
      throw TEncodeError(std::string("Cannot put the file with its chapters in place: ") +
                         std::strerror(errno));
  } catch (const TEncodeError& failure) {
    DeleteFileIfExists(withChapters);
    notes_.push_back(u"Chapters not stored: " + ToUtf16(failure.what()));
  }
}

}  // namespace sonacli
