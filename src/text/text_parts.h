// The ordered parts of one input text: text parts with their voice settings, split at the
// "{{lang=" switches, the audio and pause parts of the "{{audio=" and "{{pause=" tags, and the
// chapter parts of the "{{chapter=" tags.
#pragma once

#include <string_view>
#include <vector>

#include "text/text_part.h"

namespace sonacli {

inline constexpr std::u16string_view kAudioPart = u"audio";
inline constexpr std::u16string_view kPausePart = u"pause";
inline constexpr std::u16string_view kPauseParaPart = u"pause_para";  // a pause that ends a paragraph
inline constexpr std::u16string_view kChapterPart = u"chapter";       // starts a chapter; makes no audio

class TTextParts {
 public:
  // The parts of the text, starting from the given settings; every "{{lang=" switch starts from
  // them again.
  TTextParts(std::u16string_view text, const TPartSettings& defaults);

  size_t Count() const { return parts_.size(); }
  // The part at index (from 0).
  const TTextPart& Part(size_t index) const { return parts_.at(index); }
  void Clear() { parts_.clear(); }

  // Turns every closed "{{audio=file}}" in a text part into an "audio" part.
  void ExpandAudioTags();
  // Turns every closed "{{pause=ms}}" in a text part into a "pause" part ("pause_para" when a CR
  // follows the tag); a tag whose value is not a positive integer is removed without a part.
  void ExpandPauseTags();
  // Turns every closed "{{chapter=Title}}" in a text part into a "chapter" part whose text is the
  // title as one line, trimmed (empty when the tag gives none). It runs last, so that a pause
  // before a chapter tag on the next line still ends its paragraph.
  void ExpandChapterTags();

 private:
  std::vector<TTextPart> parts_;
};

// True when the audio insert cannot be used: the file does not exist, or its extension is
// neither ".wav" nor ".mp3" (any case).
bool IsAudioInsertInvalid(std::u16string_view fileName);

// The file names of the sound-file tags ("{{audio=NAME}}", any case) in the lines, in order, as the
// parts take them; a tag that runs over a line end is not found.
std::vector<std::u16string> AudioInsertNames(const std::vector<std::u16string>& lines);

}  // namespace sonacli
