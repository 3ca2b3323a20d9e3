#include "audio/pcm_sink.h"

#include <cerrno>

#include "platform/descriptor.h"

namespace sonacli {

bool TPcmSink::Append(std::string_view pcm) {
  if (failed_ || finished_) return false;
  if (!started_) {
    started_ = true;
    if (!Start()) return false;
  }
  if (!Put(pcm)) return false;
  pcmBytes_ += pcm.size();
  return true;
}

int64_t TPcmSink::Frames() const {
  const auto blockAlign = static_cast<uint64_t>(Format().BlockAlign());
  return blockAlign == 0 ? 0 : static_cast<int64_t>(pcmBytes_ / blockAlign);
}

bool TPcmSink::Finish() {
  if (finished_) return complete_;
  complete_ = Complete();
  finished_ = true;
  if (!complete_) failed_ = true;
  return complete_;
}

std::u16string TPcmSink::Error() const {
  return failed_ ? u"Failed to save audio file" : u"";
}

bool TPcmSink::Write(std::string_view bytes) {
  if (failed_ || finished_) return false;
  errno = 0;
  if (WriteAll(fd_, bytes)) {
    written_ += bytes.size();
    return true;
  }
  writeError_ = errno != 0 ? errno : EIO;
  failed_ = true;
  return false;
}

}  // namespace sonacli
