// What every driver run works with: the settled settings, the dictionaries, the service, the clock
// its waits are slept on, the random generator its waits and probe text are drawn from, the
// result it reports into, the output's format and tags, and the decode step of its answers. All of
// it belongs to the caller.
#pragma once

#include "audio/opus_decoder.h"
#include "dict/dictionary_set.h"
#include "driver/driver_error.h"
#include "encode/media_tags.h"
#include "encode/output_choice.h"
#include "platform/random.h"
#include "platform/tick_clock.h"
#include "service/synthesis_service.h"
#include "settings/settings.h"

namespace sonacli {

// The decode step of a run: the bytes of one answer as PCM of the output format (DecodeOpusAnswer).
// Called on the sending threads, so it keeps no state of its own.
using TSpeechDecoder = bool (*)(const std::string& answer, const TSpeechTarget& target,
                                const TVolumeAndChannel& piece, TDecodedSpeech& speech);

struct TDriverContext {
  const TSettings& Settings;
  const TDictionarySet& Dictionaries;
  TSynthesisService& Service;  // called from the sending threads too
  TTickClock& Clock;           // pacing waits; an interruptible clock cuts them short
  TRandom& Random;             // drawn from on the driver's thread only, before requests leave
  TRunResult& Result;
  // The output's format and the tags an encoded output stores; WAV without tags unless given.
  const TOutputChoice& Output = kWavOutputChoice;
  const TMediaTags& Tags = kNoMediaTags;
  TSpeechDecoder Decode = DecodeOpusAnswer;
};

}  // namespace sonacli
