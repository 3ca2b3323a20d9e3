#include "platform/console.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <mutex>

#include "common/unicode_text.h"

namespace sonacli {

namespace {

std::string* g_capture = nullptr;
std::string* g_errorCapture = nullptr;

void IgnoreBrokenPipe() {
  static std::once_flag once;
  std::call_once(once, [] { std::signal(SIGPIPE, SIG_IGN); });
}

void WriteConsole(const std::string& bytes) {
  if (g_capture) {
    g_capture->append(bytes);
  } else {
    WriteStdout(bytes);
  }
}

bool WriteAll(int fd, std::string_view bytes) {
  IgnoreBrokenPipe();
  while (!bytes.empty()) {
    ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

}  // namespace

bool WriteStdout(std::string_view bytes) {
  return WriteAll(STDOUT_FILENO, bytes);
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
    WriteAll(STDERR_FILENO, line);
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
