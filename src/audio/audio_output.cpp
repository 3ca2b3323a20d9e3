#include "audio/audio_output.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <mutex>

#include "audio/wav_header.h"
#include "audio/wave_in.h"
#include "platform/file_system.h"

namespace sonacli {

namespace {

constexpr size_t kSilenceBlock = 8000;

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

}  // namespace

TOutputSettings OutputSettingsFrom(const TSettings& options) {
  TOutputSettings settings;
  settings.ToStdout = options.ToStdout;
  settings.RawOutput = options.ToStdout && options.RawOutput;
  settings.OmitDataLength = options.ToStdout && options.OmitDataLength && !options.RawOutput;
  return settings;
}

void TAudioOutput::FileCloser::operator()(std::FILE* file) const {
  std::fclose(file);
}

TAudioOutput::TAudioOutput(TKind kind, const TOutputSettings& settings) : kind_(kind), settings_(settings) {}

TAudioOutput::~TAudioOutput() = default;

bool TAudioOutput::Write(const char* bytes, size_t count) {
  if (closed_) return false;
  bool ok = true;
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
  if (ok) size_ += count;
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
  const int32_t blockAlign = channels * bitsPerSample / 8;
  if (blockAlign <= 0 || sampleRate <= 0 || ms < 0) return false;
  auto bytes =
      static_cast<uint64_t>(std::nearbyint(static_cast<double>(ms) / 1000.0 * sampleRate * blockAlign));
  bytes -= bytes % static_cast<uint64_t>(blockAlign);
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

namespace {

template <typename TTarget>
bool AppendSilenceTo(TTarget& target, bool& first, const TOutputData& format, int64_t ms) {
  std::string scratch;
  bool scratchFirst = true;
  if (!MakeSilence(scratch, scratchFirst, format.SampleRate, ms, format.BitsPerSample, format.Channels)) {
    return false;
  }
  return AppendAudio(target, first, scratch);
}

}  // namespace

bool AppendSilence(TAudioOutput& output, bool& first, const TOutputData& format, int64_t ms) {
  return AppendSilenceTo(output, first, format, ms);
}

bool AppendSilence(std::string& buffer, bool& first, const TOutputData& format, int64_t ms) {
  return AppendSilenceTo(buffer, first, format, ms);
}

bool CloseOutput(TAudioOutput& output) {
  if (output.closed_) return true;
  output.closed_ = true;
  using TKind = TAudioOutput::TKind;
  switch (output.kind_) {
    case TKind::File: {
      std::FILE* file = output.file_.get();
      bool ok = std::fflush(file) == 0;
      if (ok && output.size_ >= kWavHeaderSize) {
        std::string sizes(4, '\0');
        PutUint32(sizes, 0, static_cast<uint32_t>(output.size_ - 8));
        ok = std::fseek(file, 4, SEEK_SET) == 0 && std::fwrite(sizes.data(), 1, 4, file) == 4;
        PutUint32(sizes, 0, static_cast<uint32_t>(output.size_ - kWavHeaderSize));
        ok = ok && std::fseek(file, 40, SEEK_SET) == 0 && std::fwrite(sizes.data(), 1, 4, file) == 4;
      }
      // fclose flushes; its failure (a full disk) is a failed output too.
      ok = (std::fclose(output.file_.release()) == 0) && ok;
      return ok;
    }
    case TKind::BufferedStdout: {
      FinalizeWavHeader(output.buffer_);
      const bool ok = WriteAll(output.settings_.StdoutFd, output.buffer_.data(), output.buffer_.size());
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
