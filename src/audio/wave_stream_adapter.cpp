#include "audio/wave_stream_adapter.h"

#include <algorithm>
#include <cstring>

#include "audio/wav_header.h"

namespace sonacli {
namespace {

constexpr size_t kChunkHeader = 8;
constexpr uint32_t kMinFormatChunk = 14;
constexpr uint32_t kFormatRecord = 18;

// Finds chunk `id` among the chunks from `begin` to `end`; sets its body offset and length.
bool FindChunk(const std::string& bytes, size_t begin, size_t end, const char* id, size_t& body,
               uint32_t& length) {
  size_t pos = begin;
  while (pos + kChunkHeader <= end) {
    const uint32_t size = GetUint32(bytes, pos + 4);
    if (bytes.compare(pos, 4, id) == 0) {
      body = pos + kChunkHeader;
      length = size;
      return true;
    }
    pos += kChunkHeader + size + (size & 1);  // chunks are padded to even lengths
  }
  return false;
}

}  // namespace

TWaveStreamAdapter::TWaveStreamAdapter(std::string& stream) : stream_(&stream) {}

TWaveStreamAdapter::TWaveStreamAdapter(std::unique_ptr<std::string> ownedStream)
    : ownedStream_(std::move(ownedStream)), stream_(ownedStream_.get()) {}

TWaveStreamAdapter::~TWaveStreamAdapter() = default;

bool TWaveStreamAdapter::Parse() {
  const std::string& bytes = *stream_;
  format_ = TWaveFormat{};
  dataSize_ = dataOffset_ = 0;
  if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) return false;
  const size_t riffEnd = std::min<uint64_t>(bytes.size(), uint64_t{GetUint32(bytes, 4)} + 8);
  size_t fmtBody = 0;
  uint32_t fmtLength = 0;
  if (!FindChunk(bytes, 12, riffEnd, "fmt ", fmtBody, fmtLength)) return false;
  if (fmtLength < kMinFormatChunk || fmtBody + fmtLength > bytes.size()) return false;
  format_.Raw = bytes.substr(fmtBody, fmtLength);
  if (format_.Raw.size() < kFormatRecord) format_.Raw.resize(kFormatRecord, '\0');
  format_.FormatTag = GetUint16(format_.Raw, 0);
  format_.Channels = GetUint16(format_.Raw, 2);
  format_.SamplesPerSec = GetUint32(format_.Raw, 4);
  format_.AvgBytesPerSec = GetUint32(format_.Raw, 8);
  format_.BlockAlign = GetUint16(format_.Raw, 12);
  format_.BitsPerSample = GetUint16(format_.Raw, 14);
  const size_t afterFmt = fmtBody + fmtLength + (fmtLength & 1);
  size_t dataBody = 0;
  uint32_t dataLength = 0;
  if (!FindChunk(bytes, afterFmt, riffEnd, "data", dataBody, dataLength)) return false;
  dataOffset_ = static_cast<uint32_t>(dataBody);
  dataSize_ = dataLength;
  return true;
}

bool TWaveStreamAdapter::Refresh() {
  if (dirty_) {
    valid_ = !stream_->empty() && Parse();
    dirty_ = false;
    if (OnChanged) OnChanged();
  }
  return valid_;
}

bool TWaveStreamAdapter::LockData(uint8_t*& data, uint32_t& size, bool needCopy) {
  data = nullptr;
  size = 0;
  if (!Refresh() || dataSize_ == 0 || dataOffset_ >= stream_->size()) return false;
  // A "data" chunk may claim more than the stream holds; only the bytes present are handed out.
  const uint32_t available =
      static_cast<uint32_t>(std::min<uint64_t>(dataSize_, stream_->size() - dataOffset_));
  auto* start = reinterpret_cast<uint8_t*>(stream_->data()) + dataOffset_;
  if (needCopy) {
    if (available < dataSize_) return false;  // a copy must hold the whole chunk
    copy_.assign(start, start + available);
    data = copy_.data();
  } else {
    data = start;
  }
  size = available;
  return true;
}

void TWaveStreamAdapter::UnlockData(uint8_t* data, bool writeBack) {
  if (data == nullptr || copy_.empty() || data != copy_.data()) return;
  if (writeBack) {
    Changing();
    std::memcpy(stream_->data() + dataOffset_, copy_.data(), copy_.size());
    Changed();
  }
  copy_.clear();
  copy_.shrink_to_fit();
}

void TWaveStreamAdapter::Changing() {
  if (dirty_) return;
  valid_ = false;
  dirty_ = true;
  if (OnChanging) OnChanging();
}

void TWaveStreamAdapter::Changed() {
  if (OnChanged) OnChanged();
}

bool TWaveStreamAdapter::LoadFromStream(const std::string& source, size_t position) {
  Changing();
  stream_->assign(source, std::min(position, source.size()));
  return Refresh();
}

void TWaveStreamAdapter::SaveToStream(std::string& target) const {
  target.append(*stream_);
}

bool TWaveStreamAdapter::ChangeVolume(int32_t percent) {
  uint8_t* data = nullptr;
  uint32_t size = 0;
  if (!LockData(data, size, false)) return false;
  if (format_.FormatTag != 1 || format_.BitsPerSample != 16) return false;
  ChangeVolumeOf16BitSamples(data, size, percent);
  return true;
}

void ChangeVolumeOf16BitSamples(uint8_t* data, size_t size, int32_t percent) {
  for (size_t i = 0; i + 1 < size; i += 2) {
    const int32_t s = static_cast<int16_t>(data[i] | (data[i + 1] << 8));
    const int64_t changed = std::clamp<int64_t>(s + int64_t{s} * percent / 100, -32767, 32767);
    const auto out = static_cast<uint16_t>(static_cast<int16_t>(changed));
    data[i] = static_cast<uint8_t>(out & 0xFF);
    data[i + 1] = static_cast<uint8_t>(out >> 8);
  }
}

TWave::TWave() : TWaveStreamAdapter(std::make_unique<std::string>()) {}

}  // namespace sonacli
