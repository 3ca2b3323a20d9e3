// Choosing lines of the input by number (-ln).
#pragma once

#include <string>
#include <vector>

#include "input/input_text.h"

namespace sonacli {

// The lines named by the selections, in selection order; duplicates and overlaps stay. A selection
// is "N" or "N-M" (1-based, as stored by the option parser); "N-M" is cut at the last line, and a
// selection whose N is past the last line adds nothing.
std::vector<std::u16string> SelectLines(const std::vector<std::u16string>& lines,
                                        const std::vector<std::u16string>& selections);
// The same over an input text: the lines keep their sources and numbers, and a book's chapter
// starts at its first line selected (TInputTextBuilder).
TInputText SelectLines(const TInputText& text, const std::vector<std::u16string>& selections);

}  // namespace sonacli
