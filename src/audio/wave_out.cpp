#include "audio/wave_out.h"

#include <algorithm>
#include <vector>

#include "audio/wav_header.h"

namespace sonacli {
namespace {

constexpr size_t kBlockBytes = 16384;

// Appends the started chain's samples to `target`, padded with zero bytes up to `announced` (when
// it is not -1); returns how many bytes the chain gave.
uint64_t PullSamples(TAudioSource& input, int64_t announced, std::string& target) {
  std::vector<uint8_t> block(kBlockBytes);
  uint64_t written = 0;
  for (size_t got; (got = input.Read(block.data(), block.size())) > 0;) {
    target.append(reinterpret_cast<const char*>(block.data()), got);
    written += got;
  }
  if (announced >= 0 && written < static_cast<uint64_t>(announced))
    target.append(static_cast<size_t>(static_cast<uint64_t>(announced) - written), '\0');
  return written;
}

}  // namespace

void TWaveOut::Run(TAudioSource& input) {
  input.Start();
  const TAudioFormat format = input.Format();
  const int64_t announced = input.Length();
  const size_t headerAt = target_.size();
  // Room for all of it at once: growing block by block would copy what is there again and again.
  if (announced > 0) target_.reserve(headerAt + kWavHeaderSize + static_cast<size_t>(announced));
  target_ += MakeWavHeader(format.SampleRate, format.Channels, format.BitsPerSample,
                           static_cast<uint64_t>(std::max<int64_t>(announced, 0)));
  const uint64_t written = PullSamples(input, announced, target_);
  if (announced < 0) {
    // The length became known only at the end: the header states what was written.
    target_.replace(headerAt, kWavHeaderSize,
                    MakeWavHeader(format.SampleRate, format.Channels, format.BitsPerSample, written));
  }
}

TAudioFormat AppendSamples(TAudioSource& input, std::string& target) {
  input.Start();
  const TAudioFormat format = input.Format();
  const int64_t announced = input.Length();
  if (announced > 0) target.reserve(target.size() + static_cast<size_t>(announced));
  PullSamples(input, announced, target);
  return format;
}

}  // namespace sonacli
