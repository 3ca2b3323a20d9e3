#include "audio/wav_stream_sink.h"

#include "audio/wav_header.h"

namespace sonacli {

TWavStreamSink::TWavStreamSink(const TAudioFormat& format, int fd, TSizes sizes, uint64_t plainWavLimit)
    : TPcmSink(format, fd), sizes_(sizes), plainWavLimit_(plainWavLimit) {}

bool TWavStreamSink::Start() {
  if (sizes_ == TSizes::AtTheEnd) return true;  // the header waits for the sizes
  std::string header = MakeWavHeader(Format().SampleRate, Format().Channels, Format().BitsPerSample, 0);
  PutUint32(header, 4, 0);
  return Write(header);
}

bool TWavStreamSink::Put(std::string_view pcm) {
  if (sizes_ == TSizes::Omitted) return Write(pcm);
  held_.append(pcm);
  return true;
}

bool TWavStreamSink::Complete() {
  if (sizes_ == TSizes::Omitted || !Started()) return true;
  const std::string plain =
      MakeWavHeader(Format().SampleRate, Format().Channels, Format().BitsPerSample, held_.size());
  const bool written =
      Write(held_.size() <= plainWavLimit_ ? plain : MakeRf64Header(plain, held_.size())) && Write(held_);
  std::string().swap(held_);
  return written;
}

}  // namespace sonacli
