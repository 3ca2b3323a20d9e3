#include "main/run_synthesis.h"

#include "driver/driver_context.h"
#include "driver/text_driver.h"
#include "platform/interrupt.h"
#include "service/yandex_tts_object.h"

namespace sonacli {

void RunSynthesis(const TSynthesisInput& input) {
  // The subtitle-mode driver is called here once it is built; until then subtitle mode ends after
  // its checks.
  if (input.Settings.SubtitleMode) return;
  TInterruptGuard interruptGuard;
  TInterruptibleClock clock(SystemTickClock());
  TYandexTTSObject service(input.Settings, clock);
  TErrorReport& errors = input.Errors;
  TRunResult result{[&errors](std::u16string_view message) { errors.ReportError(message); },
                    input.Settings.ToStdout};
  TDriverContext context{input.Settings, input.Dictionaries, service, clock, result};
  SpeakText(context, input.Lines);
}

}  // namespace sonacli
