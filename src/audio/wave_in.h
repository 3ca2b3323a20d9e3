// WAV reader stage over libsndfile: any WAV it decodes (PCM, ADPCM, float, extensible), MP3 too.
#pragma once

#include <memory>
#include <string>

#include "audio/audio_source.h"

struct sf_private_tag;

namespace sonacli {

class TWaveIn : public TAudioSource {
 public:
  // Reads a file (".wav" or ".mp3"; the content decides how it is decoded).
  static std::unique_ptr<TWaveIn> OpenFile(const std::string& fileName);
  // Reads a WAV held in memory; the bytes must outlive the reader.
  static std::unique_ptr<TWaveIn> OpenMemory(const std::string& bytes);
  ~TWaveIn() override;

  void Start() override {}
  TAudioFormat Format() const override { return format_; }
  int64_t Length() const override { return length_; }
  size_t Read(uint8_t* buffer, size_t count) override;

  // True when the stage passes the file's own PCM bytes (8/16/24/32-bit integer PCM in a WAV);
  // otherwise the decoder's 16-bit samples.
  bool RawPcm() const { return raw_; }
  // True when the content is a RIFF WAVE file (not, say, an MP3 under a ".wav" name).
  bool IsWave() const { return wave_; }

 private:
  struct MemorySource;
  struct FileCloser {
    void operator()(sf_private_tag* file) const;
  };

  TWaveIn() = default;
  bool Init();

  std::unique_ptr<MemorySource> memory_;
  std::unique_ptr<sf_private_tag, FileCloser> file_;
  TAudioFormat format_;
  int64_t length_ = 0;
  int64_t delivered_ = 0;
  bool raw_ = false;
  bool wave_ = false;
};

}  // namespace sonacli
