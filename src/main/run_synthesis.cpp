#include "main/run_synthesis.h"

#include <optional>

#include "driver/driver_context.h"
#include "driver/subtitle_driver.h"
#include "driver/text_driver.h"
#include "main/report_error.h"
#include "platform/interrupt.h"
#include "platform/random.h"
#include "service/answer_cache.h"
#include "service/yandex_tts_object.h"

namespace sonacli {

void RunSynthesis(const TSynthesisInput& input) {
  TInterruptGuard interruptGuard;
  TInterruptibleClock clock(SystemTickClock());
  TYandexTTSObject yandex(input.Settings, clock);
  std::optional<TAnswerCache> cache;
  if (!input.Settings.CacheFolder.empty()) {
    std::u16string warning;
    cache.emplace(yandex, input.Settings, input.Settings.CacheFolder, warning);
    if (!warning.empty()) ReportWarning(warning);
    if (!cache->Usable()) cache.reset();
  }
  TSynthesisService& service = cache ? static_cast<TSynthesisService&>(*cache) : yandex;
  TErrorReport& errors = input.Errors;
  TRunResult result{[&errors](std::u16string_view message) { errors.ReportError(message); },
                    input.Settings.ToStdout};
  result.WarningPrinter = [](std::u16string_view message) { ReportWarning(message); };
  TDriverContext context{input.Settings, input.Dictionaries, service,   clock, ProcessRandom(),
                         result,         input.Output,       input.Tags};
  if (input.Settings.SubtitleMode) {
    SpeakSubtitles(context, input.Subtitles);
  } else {
    SpeakText(context, input.Lines);
  }
  if (cache) {
    for (const std::u16string& line : cache->EndOfRunWarnings()) ReportWarning(line);
  }
}

}  // namespace sonacli
