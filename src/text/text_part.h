// One part of the input: a text with the voice settings it is spoken with, or an audio insert
// or a pause.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/settings.h"

namespace sonacli {

inline constexpr std::u16string_view kChannelBoth = u"MonoToBoth";
inline constexpr std::u16string_view kChannelLeft = u"MonoToLeft";
inline constexpr std::u16string_view kChannelRight = u"MonoToRight";

// The settings a part starts from: the validated global settings of the run.
struct TPartSettings {
  std::u16string Language;
  std::u16string Voice;
  std::u16string Rate;  // empty: the default rate
  std::u16string Emotion;
  std::u16string ChannelMode{kChannelBoth};
  int32_t Volume = 0;  // percent minus 100

  // The run's settings; a default spelling of the speech rate becomes the empty rate.
  static TPartSettings FromSettings(const TSettings& run);
};

class TTextPart {
 public:
  // A part with the given settings. A text that begins with "{{lang=" (any case) and contains
  // "}}" has that switch applied; its text is then what follows the "}}".
  TTextPart(std::u16string text, const TPartSettings& settings);
  // A part of another kind ("audio", "pause", "pause_para") with the settings of `source`.
  TTextPart(std::u16string_view kind, std::u16string text, const TTextPart& source);

  // The settings of this part, for the parts cut from it.
  TPartSettings Settings() const;

  std::u16string Language;  // language code; for other parts "audio", "pause" or "pause_para"
  std::u16string Text;      // the text; the audio file name; the pause in ms as decimal text
  std::u16string Voice;
  std::u16string Rate;  // as typed; empty means the default rate
  std::u16string Emotion;
  std::u16string ChannelMode;
  int32_t Volume = 0;  // volume delta: percent minus 100

 private:
  void ApplyLanguageSwitch(size_t close);
  void ApplyRate(std::u16string_view rate);
};

}  // namespace sonacli
