// TYandexTTSObject::SpeakText: the text-mode driver over the whole input.
#include "settings/online_global.h"
#include "speech/interrupt.h"
#include "speech/progress_line.h"
#include "speech/text_driver.h"
#include "speech/yandex_tts_object.h"

namespace sonacli {

void TYandexTTSObject::SpeakText(TRunResult& runResult) {
  // Ctrl+C or a TERM signal ends the run early but cleanly: waits are cut short, the audio made so
  // far is completed and saved, and the temporary folder is removed.
  InterruptGuard interruptGuard;
  TInterruptibleClock clock(clock_);
  TYandexTTSObject service(clock);
  {
    TTextDriver driver(service, clock, runResult);
    driver.Run(InputLines);
  }
  // The progress line has no line end of its own; an error line after it brings its own.
  EndProgressLine(!runResult.ErrorReported);
}

}  // namespace sonacli
