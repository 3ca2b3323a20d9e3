#include "audio/audio_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

#include "audio/wav_header.h"
#include "audio/wave_in.h"
#include "platform/file_system.h"

namespace sonacli {

namespace {

constexpr size_t kSilenceBlock = 8000;
// The data are moved in blocks of this size when a finished file becomes RF64.
constexpr size_t kShiftBlock = size_t{1} << 20;

// A closed pipe must turn into a failed write, not end the process.
void IgnoreBrokenPipe() {
  static std::once_flag once;
  std::call_once(once, [] { std::signal(SIGPIPE, SIG_IGN); });
}

bool WriteAll(int fd, const char* bytes, size_t count) {
  while (count > 0) {
    const ssize_t written = ::write(fd, bytes, count);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += written;
    count -= static_cast<size_t>(written);
  }
  return true;
}

// The header rule shared by both targets: the offset of the first byte to append.
size_t StartOffset(bool first, bool raw) {
  return first && !raw ? 0 : kWavHeaderSize;
}

bool ReadAllAt(int fd, char* bytes, size_t count, uint64_t offset) {
  while (count > 0) {
    const ssize_t got = ::pread(fd, bytes, count, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    bytes += got;
    count -= static_cast<size_t>(got);
    offset += static_cast<uint64_t>(got);
  }
  return true;
}

bool WriteAllAt(int fd, const char* bytes, size_t count, uint64_t offset) {
  while (count > 0) {
    const ssize_t written = ::pwrite(fd, bytes, count, static_cast<off_t>(offset));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    count -= static_cast<size_t>(written);
    offset += static_cast<uint64_t>(written);
  }
  return true;
}

// Rewrites a finished canonical WAV file of `size` bytes as RF64: the samples move back by the
// difference of the two headers, last block first, so that no extra disk space is needed beyond it.
bool ConvertFileToRf64(int fd, uint64_t size) {
  std::string header(kWavHeaderSize, '\0');
  if (!ReadAllAt(fd, header.data(), header.size(), 0)) return false;
  constexpr uint64_t shift = kRf64HeaderSize - kWavHeaderSize;
  std::vector<char> block(kShiftBlock);
  for (uint64_t end = size; end > kWavHeaderSize;) {
    const size_t part = static_cast<size_t>(std::min<uint64_t>(end - kWavHeaderSize, block.size()));
    const uint64_t start = end - part;
    if (!ReadAllAt(fd, block.data(), part, start) || !WriteAllAt(fd, block.data(), part, start + shift)) {
      return false;
    }
    end = start;
  }
  const std::string rf64 = MakeRf64Header(header, size - kWavHeaderSize);
  return WriteAllAt(fd, rf64.data(), rf64.size(), 0);
}

// After a failed write: the length that keeps the header and the whole frames that reached the
// disk, with the file cut to it; nullopt when not even the header is there.
std::optional<uint64_t> CutToWholeFrames(int fd) {
  struct stat status {};
  if (::fstat(fd, &status) != 0 || static_cast<uint64_t>(status.st_size) < kWavHeaderSize)
    return std::nullopt;
  std::string header(kWavHeaderSize, '\0');
  if (!ReadAllAt(fd, header.data(), header.size(), 0)) return std::nullopt;
  const uint32_t blockAlign = static_cast<uint8_t>(header[32]) | (static_cast<uint8_t>(header[33]) << 8);
  uint64_t data = static_cast<uint64_t>(status.st_size) - kWavHeaderSize;
  if (blockAlign > 1) data -= data % blockAlign;
  const uint64_t size = kWavHeaderSize + data;
  if (::ftruncate(fd, static_cast<off_t>(size)) != 0) return std::nullopt;
  return size;
}

bool CompleteFileHeader(std::FILE* file, uint64_t size, uint64_t plainLimit) {
  if (size < kWavHeaderSize) return true;
  const uint64_t dataSize = size - kWavHeaderSize;
  if (dataSize > plainLimit) return ConvertFileToRf64(fileno(file), size);
  std::string sizes(4, '\0');
  PutUint32(sizes, 0, static_cast<uint32_t>(size - 8));
  bool ok = std::fseek(file, 4, SEEK_SET) == 0 && std::fwrite(sizes.data(), 1, 4, file) == 4;
  PutUint32(sizes, 0, static_cast<uint32_t>(dataSize));
  return ok && std::fseek(file, 40, SEEK_SET) == 0 && std::fwrite(sizes.data(), 1, 4, file) == 4;
}

bool WriteBufferWithSizes(int fd, std::string& buffer, uint64_t plainLimit) {
  if (buffer.size() < kWavHeaderSize || buffer.size() - kWavHeaderSize <= plainLimit) {
    FinalizeWavHeader(buffer);
    return WriteAll(fd, buffer.data(), buffer.size());
  }
  const std::string rf64 = MakeRf64Header(buffer.substr(0, kWavHeaderSize), buffer.size() - kWavHeaderSize);
  return WriteAll(fd, rf64.data(), rf64.size()) &&
         WriteAll(fd, buffer.data() + kWavHeaderSize, buffer.size() - kWavHeaderSize);
}

// Tests lower the limit through the environment, so that the switch to RF64 can be seen without
// writing 4 GiB.
uint64_t PlainWavLimitFromEnvironment() {
  const char* text = std::getenv("SONACLI_TEST_PLAIN_WAV_LIMIT");
  if (text == nullptr || *text == '\0') return kMaxPlainWavDataSize;
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text, &end, 10);
  return *end == '\0' ? std::min<uint64_t>(value, kMaxPlainWavDataSize) : kMaxPlainWavDataSize;
}

// Bytes of silence for ms of the format: rounded, then cut to whole frames; -1 when the format or
// the length is not usable.
int64_t SilenceBytes(int32_t sampleRate, int64_t ms, int32_t bitsPerSample, int32_t channels) {
  const int32_t blockAlign = channels * bitsPerSample / 8;
  if (blockAlign <= 0 || sampleRate <= 0 || ms < 0) return -1;
  const double exact = std::nearbyint(static_cast<double>(ms) / 1000.0 * sampleRate * blockAlign);
  // No disk holds more; beyond it the conversion to an integer would overflow.
  constexpr double kMostBytes = 0x1p62;
  if (exact > kMostBytes) return -1;
  const auto bytes = static_cast<int64_t>(exact);
  return bytes - bytes % blockAlign;
}

}  // namespace

TOutputSettings OutputSettingsFrom(const TSettings& options) {
  TOutputSettings settings;
  settings.ToStdout = options.ToStdout;
  settings.RawOutput = options.ToStdout && options.RawOutput;
  settings.OmitDataLength = options.ToStdout && options.OmitDataLength && !options.RawOutput;
  settings.PlainWavLimit = PlainWavLimitFromEnvironment();
  return settings;
}

void TAudioOutput::FileCloser::operator()(std::FILE* file) const {
  std::fclose(file);
}

TAudioOutput::TAudioOutput(TKind kind, const TOutputSettings& settings) : kind_(kind), settings_(settings) {}

TAudioOutput::~TAudioOutput() = default;

bool TAudioOutput::ReaderGone() const {
  return kind_ != TKind::File && writeError_ == EPIPE;
}

bool TAudioOutput::Write(const char* bytes, size_t count) {
  // After a failure nothing more goes out: the data written must stay one unbroken stream.
  if (closed_ || writeError_ != 0) return false;
  bool ok = true;
  errno = 0;
  switch (kind_) {
    case TKind::File:
      ok = std::fwrite(bytes, 1, count, file_.get()) == count;
      break;
    case TKind::BufferedStdout:
      buffer_.append(bytes, count);
      break;
    case TKind::StreamedStdout:
      ok = WriteAll(settings_.StdoutFd, bytes, count);
      break;
  }
  if (ok) {
    size_ += count;
  } else {
    writeError_ = errno != 0 ? errno : EIO;
  }
  return ok;
}

std::unique_ptr<TAudioOutput> OpenOutput(TOutputData& format, const std::u16string& tempFolder,
                                         const TOutputSettings& requested) {
  using TKind = TAudioOutput::TKind;
  // --raw and --ignore-length concern standard output only; --raw wins over --ignore-length.
  TOutputSettings settings = requested;
  settings.RawOutput = settings.ToStdout && settings.RawOutput;
  settings.OmitDataLength = settings.ToStdout && settings.OmitDataLength && !settings.RawOutput;
  if (settings.ToStdout) {
    IgnoreBrokenPipe();
    const bool streamed = settings.RawOutput || settings.OmitDataLength;
    return std::unique_ptr<TAudioOutput>(
        new TAudioOutput(streamed ? TKind::StreamedStdout : TKind::BufferedStdout, settings));
  }
  format.FileName = tempFolder;
  if (!format.FileName.empty() && format.FileName.back() != u'/') format.FileName += u'/';
  format.FileName += u"sonarel_out.wav";
  std::unique_ptr<TAudioOutput> output(new TAudioOutput(TKind::File, settings));
  output->file_.reset(std::fopen(NativePath(format.FileName).c_str(), "w+b"));
  if (!output->file_) return nullptr;
  // Unbuffered: a write that fails (a full disk) leaves nothing behind in a buffer that a later
  // flush could put after the cut. The pieces are large, so this costs no extra system calls.
  std::setvbuf(output->file_.get(), nullptr, _IONBF, 0);
  return output;
}

bool AppendAudio(TAudioOutput& output, bool& first, const std::string& piece) {
  const TOutputSettings& settings = output.settings_;
  const size_t start = StartOffset(first, settings.RawOutput);
  const bool keepsHeader = first && start == 0;
  first = false;
  if (piece.size() <= start) return true;
  if (keepsHeader && settings.ToStdout && settings.OmitDataLength && piece.size() >= kWavHeaderSize) {
    std::string header = piece.substr(0, kWavHeaderSize);
    PutUint32(header, 4, 0);
    PutUint32(header, 40, 0);
    if (!output.Write(header.data(), header.size())) return false;
    return output.Write(piece.data() + kWavHeaderSize, piece.size() - kWavHeaderSize);
  }
  return output.Write(piece.data() + start, piece.size() - start);
}

bool AppendAudio(std::string& buffer, bool& first, const std::string& piece) {
  const size_t start = StartOffset(first, false);
  first = false;
  if (piece.size() > start) buffer.append(piece, start);
  return true;
}

bool MakeSilence(std::string& stream, bool& first, int32_t sampleRate, int64_t ms, int32_t bitsPerSample,
                 int32_t channels) {
  const int64_t length = SilenceBytes(sampleRate, ms, bitsPerSample, channels);
  if (length < 0) return false;
  const auto bytes = static_cast<uint64_t>(length);
  if (first) {
    stream += MakeWavHeader(sampleRate, channels, bitsPerSample, bytes);
    first = false;
  }
  static const std::string zeros(kSilenceBlock, '\0');
  for (uint64_t left = bytes; left > 0;) {
    const size_t part = static_cast<size_t>(std::min<uint64_t>(left, kSilenceBlock));
    stream.append(zeros, 0, part);
    left -= part;
  }
  return true;
}

bool AppendSilence(TAudioOutput& output, bool& first, const TOutputData& format, int64_t ms) {
  // Written block by block: a pause of hours must not be built in memory first.
  const int64_t bytes = SilenceBytes(format.SampleRate, ms, format.BitsPerSample, format.Channels);
  if (bytes < 0) return false;
  const std::string header =
      MakeWavHeader(format.SampleRate, format.Channels, format.BitsPerSample, static_cast<uint64_t>(bytes));
  if (!AppendAudio(output, first, header)) return false;
  static const std::string zeros(kSilenceBlock, '\0');
  for (auto left = static_cast<uint64_t>(bytes); left > 0;) {
    const size_t part = static_cast<size_t>(std::min<uint64_t>(left, kSilenceBlock));
    if (!output.Write(zeros.data(), part)) return false;
    left -= part;
  }
  return true;
}

bool AppendSilence(std::string& buffer, bool& first, const TOutputData& format, int64_t ms) {
  std::string scratch;
  bool scratchFirst = true;
  if (!MakeSilence(scratch, scratchFirst, format.SampleRate, ms, format.BitsPerSample, format.Channels)) {
    return false;
  }
  return AppendAudio(buffer, first, scratch);
}

bool CloseOutput(TAudioOutput& output) {
  if (output.closed_) return true;
  output.closed_ = true;
  using TKind = TAudioOutput::TKind;
  switch (output.kind_) {
    case TKind::File: {
      std::FILE* file = output.file_.get();
      bool ok = std::fflush(file) == 0;
      uint64_t size = output.size_;
      if (output.WriteFailed()) {
        const std::optional<uint64_t> kept = CutToWholeFrames(fileno(file));
        ok = kept.has_value();
        size = kept.value_or(0);
      }
      ok = ok && CompleteFileHeader(file, size, output.settings_.PlainWavLimit);
      // fclose flushes; its failure (a full disk) is a failed output too.
      ok = (std::fclose(output.file_.release()) == 0) && ok;
      return ok;
    }
    case TKind::BufferedStdout: {
      errno = 0;
      const bool ok =
          WriteBufferWithSizes(output.settings_.StdoutFd, output.buffer_, output.settings_.PlainWavLimit);
      if (!ok && output.writeError_ == 0) output.writeError_ = errno != 0 ? errno : EIO;
      std::string().swap(output.buffer_);
      return ok;
    }
    case TKind::StreamedStdout:
      return true;
  }
  return true;
}

bool ReadWavFormat(const std::string& stream, TOutputData& format) {
  const auto reader = TWaveIn::OpenMemory(stream);
  // The reader decodes more than WAV (Ogg Opus among others); only a WAV gives the output format.
  if (!reader || !reader->IsWave()) return false;
  const TAudioFormat found = reader->Format();
  format.SampleRate = found.SampleRate;
  format.Channels = found.Channels;
  format.BitsPerSample = found.BitsPerSample;
  return true;
}

}  // namespace sonacli
