#include "standin/tone_audio.h"

#include <opus/opusenc.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace sonacli::standin {
namespace {

struct EncoderDeleter {
  void operator()(OggOpusEnc* encoder) const { ope_encoder_destroy(encoder); }
};
struct CommentsDeleter {
  void operator()(OggOpusComments* comments) const { ope_comments_destroy(comments); }
};

int AppendBytes(void* userData, const unsigned char* bytes, opus_int32 length) {
  static_cast<std::string*>(userData)->append(reinterpret_cast<const char*>(bytes), length);
  return 0;
}
int CloseNothing(void*) {
  return 0;
}

std::vector<char32_t> DecodeUtf8(const std::string& utf8) {
  std::vector<char32_t> characters;
  for (unsigned char byte : utf8) {
    if ((byte & 0xC0) == 0x80 && !characters.empty()) {
      characters.back() = (characters.back() << 6) | (byte & 0x3F);
    } else {
      characters.push_back(byte < 0x80 ? byte : byte & (byte >= 0xF0 ? 0x07 : byte >= 0xE0 ? 0x0F : 0x1F));
    }
  }
  return characters;
}

bool Voiced(char32_t c) {
  return c >= 0x80 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

void AppendTone(std::vector<opus_int16>& pcm, char32_t c, int64_t samples) {
  const double frequency = 180.0 + static_cast<double>(c % 24) * 15.0;
  const int64_t fade = std::min<int64_t>(240, samples / 2);
  for (int64_t i = 0; i < samples; ++i) {
    double envelope = 1.0;
    if (i < fade) envelope = static_cast<double>(i) / fade;
    if (samples - i < fade) envelope = static_cast<double>(samples - i) / fade;
    const double phase = 2.0 * std::numbers::pi * frequency * static_cast<double>(i) / kSampleRate;
    pcm.push_back(static_cast<opus_int16>(8000.0 * envelope * std::sin(phase)));
  }
}

std::string Encode(const std::vector<opus_int16>& pcm) {
  std::string ogg;
  std::unique_ptr<OggOpusComments, CommentsDeleter> comments(ope_comments_create());
  if (!comments) throw std::runtime_error("libopusenc: no comments");
  ope_comments_add(comments.get(), "TITLE", "sonacli stand-in speech");
  const OpusEncCallbacks callbacks{AppendBytes, CloseNothing};
  int error = 0;
  std::unique_ptr<OggOpusEnc, EncoderDeleter> encoder(
      ope_encoder_create_callbacks(&callbacks, &ogg, comments.get(), kSampleRate, 1, 0, &error));
  if (!encoder) throw std::runtime_error("libopusenc: cannot create the encoder");
  if (ope_encoder_write(encoder.get(), pcm.data(), static_cast<int>(pcm.size())) != OPE_OK ||
      ope_encoder_drain(encoder.get()) != OPE_OK) {
    throw std::runtime_error("libopusenc: encoding failed");
  }
  return ogg;
}

}  // namespace

int64_t SpeechSamples(int64_t characters, double speed) {
  const int64_t perCharacter = std::llround(2400.0 / speed);
  return characters * perCharacter + std::llround(4800.0 / speed);
}

int64_t CountCharacters(const std::string& utf8) {
  int64_t count = 0;
  for (unsigned char byte : utf8) count += (byte & 0xC0) != 0x80;
  return count;
}

std::string MakeToneSpeech(const std::string& utf8, double speed) {
  const int64_t perCharacter = std::llround(2400.0 / speed);
  std::vector<opus_int16> pcm;
  for (char32_t c : DecodeUtf8(utf8)) {
    if (Voiced(c)) {
      AppendTone(pcm, c, perCharacter);
    } else {
      pcm.insert(pcm.end(), perCharacter, 0);
    }
  }
  pcm.insert(pcm.end(), std::llround(4800.0 / speed), 0);
  return Encode(pcm);
}

}  // namespace sonacli::standin
