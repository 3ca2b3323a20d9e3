#include "driver/dry_run_plan.h"

#include <algorithm>
#include <optional>

#include "catalogue/speech_rate.h"
#include "driver/progress_line.h"
#include "driver/subtitle_driver.h"
#include "driver/text_driver.h"

namespace sonacli {

namespace {

// As the subtitle driver has them.
constexpr int64_t kSubtitlePlaceholderMs = 100;
constexpr int64_t kSubtitleTrailingMs = 1000;

double RateValue(std::u16string_view rate) {
  const std::optional<double> value = ParseRate(rate);
  return value && *value > 0 ? *value : 1.0;
}

// The estimated speech of each subtitle.
std::vector<int64_t> SubtitleSpeechMs(const TDryRunPlan& plan) {
  std::vector<int64_t> speechMs(plan.SubtitleStartsMs.size(), 0);
  for (const TPlannedRequest& planned : plan.Requests) {
    if (planned.Subtitle < speechMs.size()) speechMs[planned.Subtitle] += EstimatedSpeechMs(planned.Request);
  }
  return speechMs;
}

// What a subtitle takes in the output: its speech, or the short silence of one without.
int64_t SpokenMs(int64_t speechMs) {
  return speechMs > 0 ? speechMs : kSubtitlePlaceholderMs;
}

}  // namespace

int64_t BilledCharacters(const std::u16string& text) {
  // A surrogate pair is one character.
  return static_cast<int64_t>(text.size()) -
         std::count_if(text.begin(), text.end(), [](char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; });
}

int64_t EstimatedSpeechMs(const TSynthesisRequest& request) {
  const double seconds =
      double(BilledCharacters(request.Text)) / (kEstimatedCharactersPerSecond * RateValue(request.Rate));
  return static_cast<int64_t>(seconds * 1000 + 0.5);
}

int64_t EstimatedAudioMs(const TDryRunPlan& plan, bool subtitleMode) {
  if (!subtitleMode) {
    int64_t ms = plan.PausesMs;
    for (const TPlannedRequest& planned : plan.Requests) ms += EstimatedSpeechMs(planned.Request);
    return ms;
  }
  const std::vector<int64_t> speechMs = SubtitleSpeechMs(plan);
  if (speechMs.empty()) return 0;
  return EstimatedSubtitlePlacesMs(plan).back() + SpokenMs(speechMs.back()) + kSubtitleTrailingMs;
}

std::vector<int64_t> EstimatedSubtitlePlacesMs(const TDryRunPlan& plan) {
  const std::vector<int64_t> speechMs = SubtitleSpeechMs(plan);
  std::vector<int64_t> places;
  int64_t position = 0;
  for (size_t j = 0; j < speechMs.size(); ++j) {
    position = std::max(position, plan.SubtitleStartsMs[j]);
    places.push_back(position);
    position += SpokenMs(speechMs[j]);
  }
  return places;
}

TDryRunPlan PlanText(TDriverContext& context, const TInputText& text) {
  TProgressLine progress;  // never drawn
  TTextDriver driver(context, progress);
  return driver.Plan(text);
}

TDryRunPlan PlanSubtitles(TDriverContext& context, const SubtitleList& subtitles) {
  TProgressLine progress;  // never drawn
  TSubtitleDriver driver(context, progress);
  return driver.Plan(subtitles);
}

}  // namespace sonacli
