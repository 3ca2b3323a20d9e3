#include "input/input_lines.h"

namespace sonacli {

std::vector<std::u16string> InputLines;

}  // namespace sonacli
