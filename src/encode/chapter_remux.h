// The step that gives Ogg Opus, MP3 and FLAC files their chapters. These formats keep chapters in
// the header, before the audio, but a run learns its chapters while the audio is being made; so
// the audio is written first, and once it is complete the file is copied packet by packet (no
// second encoding) into one whose header holds the chapters.
#pragma once

#include <string_view>
#include <vector>

#include "encode/chapter_list.h"
#include "encode/ffmpeg_handles.h"
#include "encode/media_tags.h"
#include "encode/output_format.h"
#include "encode/packet_timing.h"

namespace sonacli {

// Writes `target` from `source`, a complete file of the format that TOutputMuxer wrote from the
// encoder `codec` (whose extradata is final): the same stream, tags and cover, and `chapters`. The
// packets come back through FFmpeg's demuxer and get the timing recorded as they were first
// written, so the copy plays exactly as long as the source. Throws TEncodeError when the target
// cannot be written (the message says why) or the source does not give back the packets that were
// written.
void RemuxWithChapters(TOutputFormat format, const AVCodecContext& codec, const TMediaTags& tags,
                       const std::vector<TChapterSpan>& chapters, const TPacketTiming& timing,
                       std::u16string_view source, std::u16string_view target);

}  // namespace sonacli
