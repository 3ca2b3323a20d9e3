// A WAV held in a memory stream, with the few operations the program needs on it: parsing the RIFF
// layout, access to the samples and a volume change in place.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sonacli {

// The "fmt " chunk as read: at least 18 bytes (zero-filled when the chunk is shorter).
struct TWaveFormat {
  uint16_t FormatTag = 0;
  uint16_t Channels = 0;
  uint32_t SamplesPerSec = 0;
  uint32_t AvgBytesPerSec = 0;
  uint16_t BlockAlign = 0;
  uint16_t BitsPerSample = 0;
  std::string Raw;  // the chunk's bytes
};

class TWaveStreamAdapter {
 public:
  // Works on `stream` without owning it; the stream must outlive the adapter.
  explicit TWaveStreamAdapter(std::string& stream);
  virtual ~TWaveStreamAdapter();
  TWaveStreamAdapter(const TWaveStreamAdapter&) = delete;
  TWaveStreamAdapter& operator=(const TWaveStreamAdapter&) = delete;

  // Parses the stream again when it changed; returns whether it is a WAV with "fmt " and "data".
  virtual bool Refresh();
  // Pointer to the samples and their byte count, limited to the bytes the stream really holds.
  // Without `needCopy` the pointer goes into the stream itself; with it, into a copy that
  // UnlockData may write back. False when the WAV is not valid or holds no samples.
  virtual bool LockData(uint8_t*& data, uint32_t& size, bool needCopy);
  virtual void UnlockData(uint8_t* data, bool writeBack);
  // Marks the cached details stale before a change; fires OnChanging unless already stale.
  virtual void Changing();
  // Fires OnChanged after a change.
  virtual void Changed();
  // Replaces the own content with the source's bytes from `position` to its end; returns Refresh().
  virtual bool LoadFromStream(const std::string& source, size_t position = 0);
  // Appends the whole own content to the target.
  virtual void SaveToStream(std::string& target) const;
  // 16-bit PCM only: s + trunc(s x percent / 100), limited to -32767..32767. True when changed.
  virtual bool ChangeVolume(int32_t percent);

  const std::string& Stream() const { return *stream_; }
  bool Valid() { return Refresh(); }
  const TWaveFormat& Format() const { return format_; }
  uint32_t DataSize() const { return dataSize_; }
  uint32_t DataOffset() const { return dataOffset_; }

  std::function<void()> OnChanging;
  std::function<void()> OnChanged;

 protected:
  explicit TWaveStreamAdapter(std::unique_ptr<std::string> ownedStream);

 private:
  bool Parse();

  std::unique_ptr<std::string> ownedStream_;
  std::string* stream_;
  bool dirty_ = true;
  bool valid_ = false;
  uint32_t dataSize_ = 0;
  uint32_t dataOffset_ = 0;
  TWaveFormat format_;
  std::vector<uint8_t> copy_;
};

// The volume change of 16-bit PCM samples in place, as TWaveStreamAdapter::ChangeVolume makes it:
// s + trunc(s x percent / 100), limited to -32767..32767; an odd last byte is left alone.
void ChangeVolumeOf16BitSamples(uint8_t* data, size_t size, int32_t percent);

// A WAV in a memory stream of its own.
class TWave : public TWaveStreamAdapter {
 public:
  TWave();
};

}  // namespace sonacli
