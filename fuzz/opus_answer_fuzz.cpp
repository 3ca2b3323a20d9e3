// DecodeOpusAnswer: the Ogg Opus answer of the service decoded, its volume changed, resampled and
// spread over the channels. The first two bytes choose the volume change and the output format;
// the rest is the answer.
#include <iterator>
#include <string>

#include "audio/audio_error.h"
#include "audio/opus_decoder.h"
#include "fuzz_input.h"

namespace {

constexpr int32_t kSampleRates[] = {48000, 8000, 16000, 22050, 24000, 44100};
constexpr sonacli::TMSConverterMode kChannelModes[] = {sonacli::TMSConverterMode::msmMonoToBoth,
                                                       sonacli::TMSConverterMode::msmMonoToLeft,
                                                       sonacli::TMSConverterMode::msmMonoToRight};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sonacli;
  std::string_view bytes = fuzz::Bytes(data, size);
  const int32_t volumeDelta = static_cast<int8_t>(fuzz::TakeByte(bytes));
  const uint8_t choice = fuzz::TakeByte(bytes);
  const int32_t sampleRate = kSampleRates[choice % std::size(kSampleRates)];
  const TMSConverterMode channelMode = kChannelModes[(choice >> 3) % std::size(kChannelModes)];
  const bool stereo = choice & 0x80;
  TDecodedSpeech speech;
  try {
    DecodeOpusAnswer(std::string(bytes), {sampleRate, stereo}, {volumeDelta, channelMode}, speech);
  } catch (const TAudioError&) {
    // The caller reports conversion errors.
  }
  return 0;
}
