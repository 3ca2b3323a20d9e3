// Where the audio of a run goes. A sink takes interleaved little-endian PCM of one format as it is
// made, counts it, and is finished once: a WAV file, a WAV stream or a raw PCM stream (and the
// encoded outputs, which take PCM the same way).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "audio/audio_source.h"

namespace sonacli {

class TAudioSink {
 public:
  virtual ~TAudioSink() = default;
  TAudioSink(const TAudioSink&) = delete;
  TAudioSink& operator=(const TAudioSink&) = delete;

  // The format of the PCM it takes.
  const TAudioFormat& Format() const { return format_; }

  // Appends PCM of Format(). False when it could not be written (a full disk, a file-size limit,
  // an I/O error, a closed pipe): Error() then has the message, and the sink takes nothing more,
  // so that what it wrote stays one unbroken stream.
  virtual bool Append(std::string_view pcm) = 0;
  // A chapter that starts at `startFrame`, given before Finish, in order. Outputs that store
  // chapters (the encoded formats) keep it; WAV and raw output have no place for it.
  virtual void AddChapter(std::u16string_view title, int64_t startFrame) {
    static_cast<void>(title);
    static_cast<void>(startFrame);
  }
  // The sample frames taken so far: the length of the audio, which LRC and SRT times follow.
  virtual int64_t Frames() const = 0;
  // Completes the output (the sizes in a header, a held buffer written out, an encoder's end).
  // After a failed append it keeps what was written where it can. False, with Error(), when no
  // valid output could be made. Further calls return the same; nothing is taken after it.
  virtual bool Finish() = 0;
  // What failed, in the program's words for the run to report; empty while nothing has.
  virtual std::u16string Error() const = 0;
  // The errno of a failed write, 0 without one; EPIPE when the reader of a stream went away.
  virtual int WriteError() const = 0;

 protected:
  explicit TAudioSink(const TAudioFormat& format) : format_(format) {}

 private:
  TAudioFormat format_;
};

}  // namespace sonacli
