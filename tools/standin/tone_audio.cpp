#include "standin/tone_audio.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <numbers>
#include <stdexcept>
#include <utility>
#include <vector>

#include "ogg_opus/ogg_opus_encoder.h"

namespace sonacli::standin {
namespace {

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

// FNV-1a, 64 bits.
uint64_t Hash(const std::string& bytes) {
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char byte : bytes) hash = (hash ^ byte) * 1099511628211ull;
  return hash;
}

// The voicing as one text that holds every field, the speed to its last bit.
std::string VoicingText(const TVoicing& voicing) {
  char speed[32];
  std::snprintf(speed, sizeof speed, "%.17g", voicing.Speed);
  return voicing.Interface + "|" + voicing.Language + "|" + voicing.Voice + "|" + voicing.Tone + "|" +
         voicing.Quality + "|" + speed;
}

// What the voicing does to every tone: a shift of its pitch (0 to 99.9 Hz) and of its phase.
struct TTimbre {
  double FrequencyShift = 0;
  double Phase = 0;
};

TTimbre TimbreOf(const std::string& voicingText) {
  const uint64_t hash = Hash(voicingText);
  return {static_cast<double>(hash % 1000) * 0.1,
          2.0 * std::numbers::pi * static_cast<double>((hash >> 16) % 256) / 256.0};
}

void AppendTone(std::vector<int16_t>& pcm, char32_t c, int64_t samples, const TTimbre& timbre) {
  const double frequency = 180.0 + static_cast<double>(c % 24) * 15.0 + timbre.FrequencyShift;
  const int64_t fade = std::min<int64_t>(240, samples / 2);
  for (int64_t i = 0; i < samples; ++i) {
    double envelope = 1.0;
    if (i < fade) envelope = static_cast<double>(i) / fade;
    if (samples - i < fade) envelope = static_cast<double>(samples - i) / fade;
    const double phase =
        timbre.Phase + 2.0 * std::numbers::pi * frequency * static_cast<double>(i) / kSampleRate;
    pcm.push_back(static_cast<int16_t>(8000.0 * envelope * std::sin(phase)));
  }
}

// Made from the text and the voicing; never 0, which would ask for a random one.
int32_t SerialNumberFor(const std::string& utf8, const std::string& voicingText) {
  const uint64_t hash = Hash(utf8 + "|" + voicingText);
  const auto serial = static_cast<int32_t>(hash & 0x7FFFFFFF);
  return serial == 0 ? 1 : serial;
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

namespace {

std::string EncodeToneSpeech(const std::string& utf8, double speed, const std::string& voicingText) {
  const int64_t perCharacter = std::llround(2400.0 / speed);
  const TTimbre timbre = TimbreOf(voicingText);
  std::vector<int16_t> pcm;
  for (char32_t c : DecodeUtf8(utf8)) {
    if (Voiced(c)) {
      AppendTone(pcm, c, perCharacter, timbre);
    } else {
      pcm.insert(pcm.end(), perCharacter, 0);
    }
  }
  pcm.insert(pcm.end(), std::llround(4800.0 / speed), 0);
  // The same request always gets the same bytes, as runs compared byte for byte need.
  std::string ogg = EncodeOggOpus(pcm, {.Channels = 1,
                                        .Links = 1,
                                        .BitRate = 0,
                                        .Title = "sonacli stand-in speech",
                                        .SerialNumber = SerialNumberFor(utf8, voicingText)});
  if (ogg.empty()) throw std::runtime_error("libopusenc: encoding failed");
  return ogg;
}

// Answers made recently. Encoding is the stand-in's own cost, not the service's latency, which
// the script's delays stand for; runs that repeat a text need not pay it again.
constexpr size_t kRememberedAnswers = 512;

}  // namespace

std::string MakeToneSpeech(const std::string& utf8, const TVoicing& voicing) {
  static std::mutex mutex;
  static std::map<std::pair<std::string, std::string>, std::string> remembered;
  const std::string voicingText = VoicingText(voicing);
  const std::pair<std::string, std::string> key(utf8, voicingText);
  {
    std::lock_guard lock(mutex);
    if (auto found = remembered.find(key); found != remembered.end()) return found->second;
  }
  std::string ogg = EncodeToneSpeech(utf8, voicing.Speed, voicingText);
  std::lock_guard lock(mutex);
  if (remembered.size() >= kRememberedAnswers) remembered.clear();
  remembered.emplace(key, ogg);
  return ogg;
}

}  // namespace sonacli::standin
