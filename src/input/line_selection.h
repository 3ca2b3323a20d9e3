// Choosing lines of the input by number (-ln).
#pragma once

#include <string>
#include <vector>

namespace sonacli {

// The lines named by the selections, in selection order; duplicates and overlaps stay. A selection
// is "N" or "N-M" (1-based, as stored by the option parser); "N-M" is cut at the last line, and a
// selection whose N is past the last line adds nothing.
std::vector<std::u16string> SelectLines(const std::vector<std::u16string>& lines,
                                        const std::vector<std::u16string>& selections);

}  // namespace sonacli
