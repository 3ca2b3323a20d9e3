// What every driver run works with: the settled settings, the dictionaries, the service, the clock
// its waits are slept on and the result it reports into. All of it belongs to the caller.
#pragma once

#include "dict/dictionary_set.h"
#include "driver/driver_error.h"
#include "platform/tick_clock.h"
#include "service/synthesis_service.h"
#include "settings/settings.h"

namespace sonacli {

struct TDriverContext {
  const TSettings& Settings;
  const TDictionarySet& Dictionaries;
  TSynthesisService& Service;
  TTickClock& Clock;  // pacing waits; an interruptible clock cuts them short
  TRunResult& Result;
};

}  // namespace sonacli
