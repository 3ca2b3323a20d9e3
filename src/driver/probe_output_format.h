// The probe request that fixes the output format of a run before anything is written.
#pragma once

#include "audio/audio_output.h"
#include "driver/driver_context.h"
#include "driver/pacing.h"

namespace sonacli {

// Three random digits (100 to 999) as the text of the probe.
std::u16string ProbeText(TRandom& random);
// The probe's text when answers are cached.
inline constexpr char16_t kCachedProbeText[] = u"100";

// Sends the probe (the run's language, voice and rate, neutral tone, no volume change) and takes
// its sample rate, channels and bits per sample into `format`; the probe's audio is discarded.
// On failure reports the request's message (not after an interruption), or "No audio data" for a
// spoken answer without decoded speech. A wait cut short by an interruption raises TInterrupted.
bool ProbeOutputFormat(TDriverContext& context, TPacer& pacer, TOutputData& format);

}  // namespace sonacli
