// The one audio output of a run (a file, buffered or streamed standard output) and the operations
// that build it from canonical WAV pieces: append, silence, header completion.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "audio/wav_header.h"
#include "settings/settings.h"

namespace sonacli {

// Output format of one driver run, copied from the first decoded answer.
struct TOutputData {
  std::u16string FileName;  // temporary output WAV; set only for file output
  int32_t Channels = 0;
  int32_t SampleRate = 0;
  int32_t BitsPerSample = 0;
};

// Where the output goes, fixed when it is opened.
struct TOutputSettings {
  bool ToStdout = false;
  bool RawOutput = false;       // only the samples go out
  bool OmitDataLength = false;  // header size fields 0
  int StdoutFd = 1;             // the descriptor standing for standard output
  // Larger data make the finished file or buffer an RF64 file instead of a canonical WAV.
  uint64_t PlainWavLimit = kMaxPlainWavDataSize;
};

// The output options of a run (RawOutput, OmitDataLength count only with ToStdout).
TOutputSettings OutputSettingsFrom(const TSettings& settings);

class TAudioOutput {
 public:
  enum class TKind { File, BufferedStdout, StreamedStdout };

  ~TAudioOutput();
  TAudioOutput(const TAudioOutput&) = delete;
  TAudioOutput& operator=(const TAudioOutput&) = delete;

  TKind Kind() const { return kind_; }
  const TOutputSettings& Settings() const { return settings_; }
  // Bytes in the output so far (file or buffer length; for streamed output the bytes passed on,
  // headers included).
  uint64_t Size() const { return size_; }
  bool Closed() const { return closed_; }
  // A write into the output failed (a full disk, a file-size limit, an I/O error, a closed pipe).
  bool WriteFailed() const { return writeError_ != 0; }
  // The reader of standard output closed its end: no failure of the run, just its end.
  bool ReaderGone() const;

 private:
  friend std::unique_ptr<TAudioOutput> OpenOutput(TOutputData&, const std::u16string&,
                                                  const TOutputSettings&);
  friend bool AppendAudio(TAudioOutput&, bool&, const std::string&);
  friend bool AppendSilence(TAudioOutput&, bool&, const TOutputData&, int64_t);
  friend bool CloseOutput(TAudioOutput&);

  struct FileCloser {
    void operator()(std::FILE* file) const;
  };

  TAudioOutput(TKind kind, const TOutputSettings& settings);
  bool Write(const char* bytes, size_t count);

  TKind kind_;
  TOutputSettings settings_;
  std::unique_ptr<std::FILE, FileCloser> file_;
  std::string buffer_;
  uint64_t size_ = 0;
  bool closed_ = false;
  int writeError_ = 0;  // errno of the first failed write
};

// Opens the run's output: streamed standard output with ToStdout and (RawOutput or OmitDataLength),
// buffered standard output with ToStdout alone, otherwise format.FileName := folder + "/sonarel_out.wav",
// created empty. Null when the file cannot be created. Ignores SIGPIPE for standard output, so that a
// closed pipe makes the appends fail instead of ending the process.
std::unique_ptr<TAudioOutput> OpenOutput(TOutputData& format, const std::u16string& tempFolder,
                                         const TOutputSettings& settings);

// Appends one WAV piece (44-byte header, samples). The first piece keeps its header (except with
// --raw on the run's output); later pieces give only their samples. `first` is cleared. The bytes
// count in the output's Size(). False on any write error.
bool AppendAudio(TAudioOutput& output, bool& first, const std::string& piece);
// The same into a per-subtitle buffer: always the first-piece header rule, no options.
bool AppendAudio(std::string& buffer, bool& first, const std::string& piece);

// Appends round(ms / 1000 x rate x block align) bytes of silence, reduced to whole frames; with
// `first` set a 44-byte header for exactly that length comes first and `first` is cleared.
bool MakeSilence(std::string& stream, bool& first, int32_t sampleRate, int64_t ms, int32_t bitsPerSample,
                 int32_t channels);

// Silence of the output format appended as one piece (header dropped unless it is the first piece);
// into the run's output it is written in blocks, so that memory does not grow with its length.
bool AppendSilence(TAudioOutput& output, bool& first, const TOutputData& format, int64_t ms);
bool AppendSilence(std::string& buffer, bool& first, const TOutputData& format, int64_t ms);

// Completes and releases the sink: file: header sizes filled in, closed; buffered: header sizes
// filled in, the whole buffer written to standard output; streamed: nothing more. Data beyond
// PlainWavLimit, which the 32-bit sizes cannot describe, get an RF64 header instead (the file's
// samples are moved back to make room for it). After a failed write the file keeps what reached
// the disk, cut to whole frames, with sizes that match it. False when no valid file could be made
// or the buffer could not be written. Calling it twice does nothing the second time.
bool CloseOutput(TAudioOutput& output);

// Reads rate, channels and bits of a WAV held in memory into `format`; false when it is no WAV.
bool ReadWavFormat(const std::string& stream, TOutputData& format);

}  // namespace sonacli
