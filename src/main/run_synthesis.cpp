#include "main/run_synthesis.h"

#include <optional>

#include "driver/driver_context.h"
#include "driver/subtitle_driver.h"
#include "driver/text_driver.h"
#include "main/report_error.h"
#include "platform/interrupt.h"
#include "service/yandex_tts_object.h"

namespace sonacli {

void RunSynthesis(const TSynthesisInput& input) {
  TInterruptGuard interruptGuard;
  TInterruptibleClock clock(SystemTickClock());
  std::optional<TAnswerCache> cache;
  if (!input.Settings.CacheFolder.empty()) {
    std::u16string warning;
    cache.emplace(input.Settings.CacheFolder, warning);
    if (!cache->Usable()) {
      ReportWarning(warning);
      cache.reset();
    }
  }
  TYandexTTSObject service(input.Settings, clock, cache ? &*cache : nullptr);
  TErrorReport& errors = input.Errors;
  TRunResult result{[&errors](std::u16string_view message) { errors.ReportError(message); },
                    input.Settings.ToStdout};
  TDriverContext context{input.Settings, input.Dictionaries, service, clock, result};
  if (input.Settings.SubtitleMode) {
    SpeakSubtitles(context, input.Subtitles);
  } else {
    SpeakText(context, input.Lines);
  }
}

}  // namespace sonacli
