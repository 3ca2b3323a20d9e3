#include "audio/wave_in.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace sonacli {

// libsndfile's virtual I/O over bytes held in memory.
struct TWaveIn::MemorySource {
  const std::string* bytes = nullptr;
  sf_count_t position = 0;

  static sf_count_t Length(void* self) { return static_cast<sf_count_t>(Of(self).bytes->size()); }
  static sf_count_t Seek(sf_count_t offset, int whence, void* self) {
    MemorySource& source = Of(self);
    sf_count_t base = 0;
    if (whence == SEEK_CUR) base = source.position;
    if (whence == SEEK_END) base = Length(self);
    const sf_count_t target = base + offset;
    if (target < 0) return -1;
    source.position = target;
    return target;
  }
  static sf_count_t Read(void* buffer, sf_count_t count, void* self) {
    MemorySource& source = Of(self);
    const sf_count_t size = Length(self);
    if (count <= 0 || source.position >= size) return 0;
    const sf_count_t n = std::min(count, size - source.position);
    std::memcpy(buffer, source.bytes->data() + source.position, static_cast<size_t>(n));
    source.position += n;
    return n;
  }
  static sf_count_t Write(const void*, sf_count_t, void*) { return 0; }
  static sf_count_t Tell(void* self) { return Of(self).position; }
  static MemorySource& Of(void* self) { return *static_cast<MemorySource*>(self); }
};

void TWaveIn::FileCloser::operator()(sf_private_tag* file) const {
  sf_close(file);
}

std::unique_ptr<TWaveIn> TWaveIn::OpenFile(const std::string& fileName) {
  std::unique_ptr<TWaveIn> reader(new TWaveIn());
  SF_INFO info{};
  reader->file_.reset(sf_open(fileName.c_str(), SFM_READ, &info));
  if (!reader->file_ || !reader->Init()) return nullptr;
  return reader;
}

std::unique_ptr<TWaveIn> TWaveIn::OpenMemory(const std::string& bytes) {
  static SF_VIRTUAL_IO io{&MemorySource::Length, &MemorySource::Seek, &MemorySource::Read,
                          &MemorySource::Write, &MemorySource::Tell};
  std::unique_ptr<TWaveIn> reader(new TWaveIn());
  reader->memory_ = std::make_unique<MemorySource>();
  reader->memory_->bytes = &bytes;
  SF_INFO info{};
  reader->file_.reset(sf_open_virtual(&io, SFM_READ, &info, reader->memory_.get()));
  if (!reader->file_ || !reader->Init()) return nullptr;
  return reader;
}

TWaveIn::~TWaveIn() = default;

bool TWaveIn::Init() {
  SF_INFO info{};
  sf_command(file_.get(), SFC_GET_CURRENT_SF_INFO, &info, sizeof(info));
  if (info.channels <= 0 || info.channels > 64 || info.samplerate <= 0) return false;
  // Integer PCM keeps its width; everything decoded (ADPCM, float, MP3, ...) comes as 16 bits.
  switch (info.format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_PCM_S8:
      format_.BitsPerSample = 8;
      break;
    case SF_FORMAT_PCM_24:
      format_.BitsPerSample = 24;
      break;
    case SF_FORMAT_PCM_32:
      format_.BitsPerSample = 32;
      break;
    default:
      format_.BitsPerSample = 16;
      break;
  }
  raw_ = format_.BitsPerSample != 16 || (info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16;
  sf_command(file_.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
  const int container = info.format & SF_FORMAT_TYPEMASK;
  wave_ = container == SF_FORMAT_WAV || container == SF_FORMAT_WAVEX || container == SF_FORMAT_RF64;
  format_.SampleRate = info.samplerate;
  format_.Channels = info.channels;
  // An MP3's frame count comes from its own header, which may claim hours for a few bytes: its
  // length is what it decodes to.
  const bool known = info.frames >= 0 && info.frames < (SF_COUNT_MAX / 64) && container != SF_FORMAT_MPEG;
  length_ = known ? info.frames * format_.BlockAlign() : -1;
  return true;
}

size_t TWaveIn::Read(uint8_t* buffer, size_t count) {
  const size_t blockAlign = static_cast<size_t>(format_.BlockAlign());
  size_t frames = count / blockAlign;
  if (length_ >= 0)
    frames = std::min<size_t>(frames, static_cast<size_t>((length_ - delivered_)) / blockAlign);
  if (frames == 0) return 0;
  const size_t samples = frames * static_cast<size_t>(format_.Channels);
  size_t got = 0;
  if (format_.BitsPerSample == 16) {
    std::vector<short> block(samples);
    got = static_cast<size_t>(sf_readf_short(file_.get(), block.data(), static_cast<sf_count_t>(frames)));
    for (size_t i = 0; i < got * format_.Channels; ++i) {
      const auto v = static_cast<uint16_t>(block[i]);
      buffer[2 * i] = static_cast<uint8_t>(v & 0xFF);
      buffer[2 * i + 1] = static_cast<uint8_t>(v >> 8);
    }
  } else {
    // Left-justified 32-bit values: the top bytes are the file's own samples.
    std::vector<int> block(samples);
    got = static_cast<size_t>(sf_readf_int(file_.get(), block.data(), static_cast<sf_count_t>(frames)));
    const int bytes = format_.BitsPerSample / 8;
    for (size_t i = 0; i < got * format_.Channels; ++i) {
      auto v = static_cast<uint32_t>(block[i]);
      if (bytes == 1) {
        buffer[i] = static_cast<uint8_t>((v >> 24) ^ 0x80);  // 8-bit WAV samples are unsigned
        continue;
      }
      for (int b = 0; b < bytes; ++b)
        buffer[i * bytes + b] = static_cast<uint8_t>(v >> (8 * (4 - bytes + b)));
    }
  }
  delivered_ += static_cast<int64_t>(got * blockAlign);
  return got * blockAlign;
}

}  // namespace sonacli
