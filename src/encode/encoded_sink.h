// The run's sink for the encoded formats: PCM in as every sink takes it, encoded at once by a
// TEncodedOutput (Ogg Opus, MP3, AAC in M4B, FLAC), with the chapters given before the finish.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "audio/audio_sink.h"
#include "encode/encoded_output.h"
#include "encode/media_tags.h"
#include "encode/output_choice.h"

namespace sonacli {

// The encoder's settings for PCM of `format` written as the run chose, with the run's tags.
TEncoderSettings EncoderSettingsFor(const TOutputChoice& choice, const TAudioFormat& format,
                                    const TMediaTags& tags);

class TEncodedSink : public TAudioSink {
 public:
  // A file created at `fileName` (a temporary name the owner moves into place after Finish), or,
  // with fd >= 0, a stream on that descriptor. Null with the message when the settings cannot be
  // encoded or the output cannot be made.
  static std::unique_ptr<TEncodedSink> CreateFile(const TEncoderSettings& settings,
                                                  std::u16string_view fileName, std::u16string& error);
  static std::unique_ptr<TEncodedSink> CreateStream(const TEncoderSettings& settings, int fd,
                                                    std::u16string& error);

  bool Append(std::string_view pcm) override;
  void AddChapter(std::u16string_view title, int64_t startFrame) override;
  int64_t Frames() const override;
  bool Finish() override;
  std::u16string Error() const override;
  int WriteError() const override;

  // What the finished output did not store beside the audio, for the run to tell as warnings.
  const std::vector<std::u16string>& Notes() const { return output_->Notes(); }

  // Takes over an output made for the settings.
  TEncodedSink(const TEncoderSettings& settings, std::unique_ptr<TEncodedOutput> output);

 private:
  std::unique_ptr<TEncodedOutput> output_;
};

}  // namespace sonacli
