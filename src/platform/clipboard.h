// The text of the desktop clipboard, through the helper programs of Wayland and X11.
#pragma once

#include <string>

namespace sonacli {

// The clipboard's text from the first of wl-paste, xclip and xsel that is installed and succeeds.
// False, silently, when none does or the clipboard holds no text.
bool ReadClipboardText(std::u16string& text);

}  // namespace sonacli
