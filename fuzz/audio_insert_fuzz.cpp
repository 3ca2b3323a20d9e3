// The loader of "{{audio=" inserts: a ".wav" or ".mp3" file converted to the run's output format.
// The first byte chooses the extension and the output format; the rest is the file.
#include <iterator>
#include <string>

#include "audio/convert_wav.h"
#include "fuzz_input.h"

namespace {

constexpr int32_t kSampleRates[] = {8000, 16000, 22050, 24000, 44100, 48000};
constexpr int32_t kBits[] = {8, 16, 24, 32};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sonacli;
  std::string_view bytes = fuzz::Bytes(data, size);
  const uint8_t choice = fuzz::TakeByte(bytes);
  const fuzz::TFuzzFile file(bytes, choice & 1 ? ".mp3" : ".wav");
  const int32_t channels = choice & 2 ? 2 : 1;
  const int32_t bits = kBits[(choice >> 2) % std::size(kBits)];
  const int32_t sampleRate = kSampleRates[(choice >> 4) % std::size(kSampleRates)];
  std::string out;
  LoadAudioInsert(file.Name16(), out, sampleRate, bits, channels);
  return 0;
}
