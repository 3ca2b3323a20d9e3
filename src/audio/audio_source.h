// One stage of an audio conversion chain: it announces its format and total length and hands out
// its interleaved little-endian PCM bytes block by block.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sonacli {

struct TAudioFormat {
  int32_t SampleRate = 0;
  int32_t Channels = 0;
  int32_t BitsPerSample = 0;  // 8 (unsigned), 16, 24 or 32 (signed)

  int32_t BlockAlign() const { return Channels * BitsPerSample / 8; }
  bool operator==(const TAudioFormat&) const = default;
};

class TAudioSource {
 public:
  virtual ~TAudioSource() = default;

  // Prepares the stage (and the ones before it); errors are raised as TAudioError.
  virtual void Start() = 0;
  virtual TAudioFormat Format() const = 0;
  // Total bytes this stage will deliver; -1 when unknown.
  virtual int64_t Length() const = 0;
  // Fills up to `count` bytes; 0 at the end of the data.
  virtual size_t Read(uint8_t* buffer, size_t count) = 0;
};

}  // namespace sonacli
