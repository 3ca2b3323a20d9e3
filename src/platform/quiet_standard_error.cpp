#include "platform/quiet_standard_error.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace sonacli {

TQuietStandardError::TQuietStandardError() {
  const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (null < 0) return;
  std::fflush(stderr);
  saved_ = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
  if (saved_ >= 0 && ::dup2(null, STDERR_FILENO) < 0) {
    ::close(saved_);
    saved_ = -1;
  }
  ::close(null);
}

TQuietStandardError::~TQuietStandardError() {
  if (saved_ < 0) return;
  std::fflush(stderr);
  ::dup2(saved_, STDERR_FILENO);
  ::close(saved_);
}

}  // namespace sonacli
