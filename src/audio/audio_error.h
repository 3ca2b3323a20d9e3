// The exception that library and conversion failures of the audio layer raise, carrying the
// program's own message text.
#pragma once

#include <stdexcept>
#include <string>

namespace sonacli {

class TAudioError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace sonacli
