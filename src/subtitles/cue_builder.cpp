#include "subtitles/cue_builder.h"

#include <utility>

#include "subtitles/subtitle_text.h"

namespace sonacli {

namespace {

constexpr std::u16string_view kArrow = u"-->";

}  // namespace

bool HoldsArrow(std::u16string_view line) {
  return line.find(kArrow) != std::u16string_view::npos;
}

void TCueBuilder::Start(std::u16string_view timingLine, TimeParser parse) {
  const size_t arrow = timingLine.find(kArrow);
  const std::u16string_view end = TrimmedLeftView(timingLine.substr(arrow + kArrow.size()));
  startMs_ = parse(timingLine.substr(0, arrow));
  endMs_ = parse(end.substr(0, end.find_first_of(u" \t")));
  text_.clear();
  building_ = true;
}

void TCueBuilder::AddLine(std::u16string_view line) {
  if (!text_.empty()) text_ += u' ';
  text_ += TrimmedView(line);
}

void TCueBuilder::Finish(SubtitleList& subtitles) {
  if (!building_) return;
  building_ = false;
  std::u16string text = clean_(text_);
  text_.clear();
  if (!text.empty() && endMs_ != startMs_) subtitles.push_back({startMs_, endMs_, std::move(text)});
}

}  // namespace sonacli
