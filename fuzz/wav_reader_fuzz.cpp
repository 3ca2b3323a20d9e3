// The WAV reader: the format of an answer or piece held in memory, the canonical header test, and
// libsndfile's reader stage read to its end.
#include <cstdint>
#include <string>

#include "audio/audio_output.h"
#include "audio/wav_header.h"
#include "audio/wave_in.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sonacli;
  const std::string bytes(fuzz::Bytes(data, size));
  TOutputData format;
  ReadWavFormat(bytes, format);
  HasCanonicalWavHeader(bytes);
  if (const auto reader = TWaveIn::OpenMemory(bytes)) {
    reader->Start();
    uint8_t buffer[4096];
    while (reader->Read(buffer, sizeof buffer) > 0) {
    }
  }
  return 0;
}
