#include "audio/wav_file_sink.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "audio/wav_header.h"
#include "platform/file_system.h"

namespace sonacli {

namespace {

// The samples are moved in blocks of this size when a finished file becomes RF64.
constexpr size_t kShiftBlock = size_t{1} << 20;

// Rewrites a finished canonical WAV file of `size` bytes as RF64: the samples move back by the
// difference of the two headers, last block first, so that no extra disk space is needed beyond it.
bool ConvertFileToRf64(int fd, const std::string& header, uint64_t size) {
  constexpr uint64_t shift = kRf64HeaderSize - kWavHeaderSize;
  std::vector<char> block(kShiftBlock);
  for (uint64_t end = size; end > kWavHeaderSize;) {
    const size_t part = static_cast<size_t>(std::min<uint64_t>(end - kWavHeaderSize, block.size()));
    const uint64_t start = end - part;
    if (!ReadAllAt(fd, block.data(), part, start) ||
        !WriteAllAt(fd, std::string_view(block.data(), part), start + shift)) {
      return false;
    }
    end = start;
  }
  return WriteAllAt(fd, MakeRf64Header(header, size - kWavHeaderSize), 0);
}

// After a failed write: the length that keeps the header and the whole frames that reached the
// disk, with the file cut to it; nullopt when not even the header is there.
std::optional<uint64_t> CutToWholeFrames(int fd, int32_t blockAlign) {
  struct stat status {};
  if (::fstat(fd, &status) != 0 || static_cast<uint64_t>(status.st_size) < kWavHeaderSize)
    return std::nullopt;
  uint64_t data = static_cast<uint64_t>(status.st_size) - kWavHeaderSize;
  if (blockAlign > 1) data -= data % static_cast<uint64_t>(blockAlign);
  const uint64_t size = kWavHeaderSize + data;
  if (::ftruncate(fd, static_cast<off_t>(size)) != 0) return std::nullopt;
  return size;
}

bool CompleteHeader(int fd, const std::string& header, uint64_t size, uint64_t plainLimit) {
  if (size < kWavHeaderSize) return true;
  const uint64_t dataSize = size - kWavHeaderSize;
  if (dataSize > plainLimit) return ConvertFileToRf64(fd, header, size);
  std::string field(4, '\0');
  PutUint32(field, 0, static_cast<uint32_t>(size - 8));
  if (!WriteAllAt(fd, field, 4)) return false;
  PutUint32(field, 0, static_cast<uint32_t>(dataSize));
  return WriteAllAt(fd, field, 40);
}

}  // namespace

std::unique_ptr<TWavFileSink> TWavFileSink::Create(std::u16string_view fileName, const TAudioFormat& format,
                                                   uint64_t plainWavLimit) {
  // Read as well as written: the end reads the samples back to move them for an RF64 header.
  TFileDescriptor file(::open(NativePath(fileName).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (!file.IsOpen()) return nullptr;
  return std::make_unique<TWavFileSink>(TKey{}, format, std::move(file), plainWavLimit);
}

TWavFileSink::TWavFileSink(TKey, const TAudioFormat& format, TFileDescriptor file, uint64_t plainWavLimit)
    : TPcmSink(format, file.Get()), file_(std::move(file)), plainWavLimit_(plainWavLimit) {}

bool TWavFileSink::Start() {
  return Write(MakeWavHeader(Format().SampleRate, Format().Channels, Format().BitsPerSample, 0));
}

bool TWavFileSink::Complete() {
  uint64_t size = Written();
  bool ok = true;
  if (WriteError() != 0) {
    const std::optional<uint64_t> kept = CutToWholeFrames(file_.Get(), Format().BlockAlign());
    ok = kept.has_value();
    size = kept.value_or(0);
  }
  const std::string header = MakeWavHeader(Format().SampleRate, Format().Channels, Format().BitsPerSample, 0);
  ok = ok && CompleteHeader(file_.Get(), header, size, plainWavLimit_);
  // A close that fails (a delayed write error) fails the output too.
  return file_.Close() && ok;
}

}  // namespace sonacli
