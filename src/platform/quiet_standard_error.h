// Keeps what libraries print on standard error away from the user's terminal for a while.
#pragma once

namespace sonacli {

// While an object lives, descriptor 2 points at /dev/null; the destructor puts the old one back.
// Decoders of damaged files print their own diagnostics there, and the program says what failed
// in its own words. Does nothing when /dev/null cannot be opened.
class TQuietStandardError {
 public:
  TQuietStandardError();
  ~TQuietStandardError();
  TQuietStandardError(const TQuietStandardError&) = delete;
  TQuietStandardError& operator=(const TQuietStandardError&) = delete;

 private:
  int saved_ = -1;
};

}  // namespace sonacli
