#include "platform/console.h"

#include <unistd.h>

#include "common/unicode_text.h"
#include "platform/descriptor.h"

namespace sonacli {

namespace {

std::string* g_capture = nullptr;
std::string* g_errorCapture = nullptr;

void WriteConsole(const std::string& bytes) {
  if (g_capture) {
    g_capture->append(bytes);
  } else {
    WriteStdout(bytes);
  }
}

bool WriteConsoleBytes(int fd, std::string_view bytes) {
  IgnoreBrokenPipe();
  return WriteAll(fd, bytes);
}

}  // namespace

bool WriteStdout(std::string_view bytes) {
  return WriteConsoleBytes(STDOUT_FILENO, bytes);
}

void PrintLine(std::u16string_view text) {
  WriteConsole(ToUtf8(text) + "\n");
}

void PrintText(std::u16string_view text) {
  WriteConsole(ToUtf8(text));
}

void PrintErrorLine(std::u16string_view text) {
  const std::string line = ToUtf8(text) + "\n";
  if (g_errorCapture) {
    g_errorCapture->append(line);
  } else {
    WriteConsoleBytes(STDERR_FILENO, line);
  }
}

bool IsStdoutTerminal() {
  return isatty(STDOUT_FILENO) == 1;
}

void SetCursorVisible(bool visible) {
  if (!g_capture && IsStdoutTerminal()) WriteStdout(visible ? "\x1b[?25h" : "\x1b[?25l");
}

TConsoleCapture::TConsoleCapture() : previous_(g_capture), previousError_(g_errorCapture) {
  g_capture = &text_;
  g_errorCapture = &errorText_;
}

TConsoleCapture::~TConsoleCapture() {
  g_capture = previous_;
  g_errorCapture = previousError_;
}

}  // namespace sonacli
