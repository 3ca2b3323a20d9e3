#include "input/library_version.h"

namespace sonacli {

std::string UchardetVersion() {
  return SONACLI_UCHARDET_VERSION " (at build time)";
}

}  // namespace sonacli
