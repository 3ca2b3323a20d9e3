// Standard output: the audio stream, the messages and the progress line share it.
#pragma once

#include <string>
#include <string_view>

namespace sonacli {

// Writes all bytes to standard output; false on any error (a closed pipe included: SIGPIPE is
// ignored from the first call on, so the program never dies of it).
bool WriteStdout(std::string_view bytes);
// Writes text as UTF-8 followed by LF.
void PrintLine(std::u16string_view text);
// Writes text as UTF-8 without a line end (the progress line redraws itself with CR).
void PrintText(std::u16string_view text);
// Writes text as UTF-8 followed by LF on standard error (while standard output carries audio).
void PrintErrorLine(std::u16string_view text);

bool IsStdoutTerminal();
// Hides or shows the terminal cursor; does nothing when standard output is not a terminal.
void SetCursorVisible(bool visible);

// While an object lives, PrintLine and PrintText go into its text instead of standard output, and
// PrintErrorLine into its error text (tests read what the program printed); WriteStdout is not
// redirected.
class TConsoleCapture {
 public:
  TConsoleCapture();
  ~TConsoleCapture();
  TConsoleCapture(const TConsoleCapture&) = delete;
  TConsoleCapture& operator=(const TConsoleCapture&) = delete;

  const std::string& Text() const { return text_; }
  const std::string& ErrorText() const { return errorText_; }

 private:
  std::string text_;
  std::string errorText_;
  std::string* previous_;
  std::string* previousError_;
};

}  // namespace sonacli
