// The text of the desktop clipboard, through the helper programs of Wayland and X11.
#pragma once

#include <string>

namespace sonacli {

// How reading the clipboard went.
enum class TClipboardRead { Text, NoText, NoProgram };

// The clipboard's text from the first of wl-paste, xclip and xsel that is installed and succeeds.
// NoProgram when none of them is installed; NoText when those that are give no text.
TClipboardRead ReadClipboardText(std::u16string& text);

}  // namespace sonacli
