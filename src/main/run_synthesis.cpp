#include "main/run_synthesis.h"

#include "main/report_error.h"
#include "settings/online_global.h"
#include "speech/driver_error.h"
#include "speech/yandex_tts_object.h"

namespace sonacli {

void RunSynthesis() {
  // The subtitle-mode driver is called here once it is built; until then subtitle mode ends after
  // its checks.
  if (SubtitleMode) return;
  SetErrorPrinter(ReportError);
  TYandexTTSObject synthesis;
  TRunResult runResult;
  synthesis.SpeakText(runResult);
}

}  // namespace sonacli
