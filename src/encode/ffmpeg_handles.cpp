#include "encode/ffmpeg_handles.h"

#include <mutex>

#include "encode/encode_error.h"

namespace sonacli {

TPacketPtr NewPacket() {
  TPacketPtr packet(av_packet_alloc());
  if (!packet) throw TEncodeError("Not enough memory for an encoded packet");
  return packet;
}

std::string FfmpegFailure(const std::string& what, int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return what + ": " + text;
}

void SilenceFfmpegLog() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

}  // namespace sonacli
