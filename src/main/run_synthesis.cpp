#include "main/run_synthesis.h"

#include <optional>

#include <stdexcept>

#include "driver/driver_context.h"
#include "driver/dry_run_plan.h"
#include "driver/subtitle_driver.h"
#include "driver/text_driver.h"
#include "main/dry_run_report.h"
#include "main/report_error.h"
#include "platform/console.h"
#include "platform/file_system.h"
#include "platform/interrupt.h"
#include "platform/random.h"
#include "service/answer_cache.h"
#include "service/service_settings.h"
#include "service/yandex_tts_object.h"

namespace sonacli {

namespace {

// The service of a dry run: it has the cache's answers when a cache is given, and nothing is ever
// sent to it.
class TNoService final : public TSynthesisService {
 public:
  TSynthesisAnswer Synthesize(const TSynthesisRequest&, const TAnswerUse&, std::stop_token) override {
    throw std::logic_error("dry run: a request was about to be sent");
  }
};

void PrintDryRun(const TDryRunPlan& plan, const TSynthesisInput& input) {
  const TSettings& settings = input.Settings;
  if (settings.ListRequests) {
    for (size_t i = 0; i < plan.Requests.size(); ++i)
      PrintLine(RequestLine(i + 1, plan.Requests[i], settings.SubtitleMode));
    return;
  }
  for (const std::u16string& line : DryRunSummary(plan, settings, input.Environment, input.Books))
    PrintLine(line);
}

}  // namespace

void RunDryRun(const TSynthesisInput& input) {
  const TSettings& settings = input.Settings;
  TNoService none;
  // The cache is only read: a folder that is not there yet is not made, and holds nothing.
  std::optional<TAnswerCache> cache;
  if (!settings.CacheFolder.empty() && FolderExists(settings.CacheFolder)) {
    std::u16string warning;
    cache.emplace(none, ServiceSettingsOf(settings, input.Environment).Endpoints, settings.CacheFolder,
                  warning);
    if (!cache->Usable()) cache.reset();
  }
  TSynthesisService& service = cache ? static_cast<TSynthesisService&>(*cache) : none;
  TErrorReport& errors = input.Errors;
  TRunResult result{[&errors](std::u16string_view message) { errors.ReportError(message); },
                    settings.ToStdout};
  TDriverContext context{settings, input.Dictionaries, service, SystemTickClock(), ProcessRandom(), result};
  const TDryRunPlan plan =
      settings.SubtitleMode ? PlanSubtitles(context, input.Subtitles) : PlanText(context, input.Text);
  if (!result.ErrorReported) PrintDryRun(plan, input);
}

void RunSynthesis(const TSynthesisInput& input) {
  if (input.Settings.DryRun) {
    RunDryRun(input);
    return;
  }
  TInterruptGuard interruptGuard;
  TInterruptibleClock clock(SystemTickClock());
  const TServiceSettings serviceSettings = ServiceSettingsOf(input.Settings, input.Environment);
  TYandexTTSObject yandex(serviceSettings, clock);
  std::optional<TAnswerCache> cache;
  if (!input.Settings.CacheFolder.empty()) {
    std::u16string warning;
    cache.emplace(yandex, serviceSettings.Endpoints, input.Settings.CacheFolder, warning);
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
    SpeakText(context, input.Text);
  }
  if (cache) {
    for (const std::u16string& line : cache->EndOfRunWarnings()) ReportWarning(line);
  }
}

}  // namespace sonacli
