// The subtitle readers (SRT, SSA, ASS, SMI, WebVTT, LRC) with the joining and widening of the
// entries. The first byte picks the format (its value modulo 7, as TSubtitleFormat counts: 0 is the
// unknown format), the rest is the file in UTF-8.
#include "fuzz_input.h"
#include "subtitles/subtitle_loading.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sonacli;
  std::string_view bytes = fuzz::Bytes(data, size);
  const auto format = static_cast<TSubtitleFormat>(fuzz::TakeByte(bytes) % 7);
  LoadSubtitlesFromBytes(bytes, format);
  return 0;
}
