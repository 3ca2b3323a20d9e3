// The cutting of a part's text into the pieces the drivers send, one request each.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "text/piece.h"

namespace sonacli {

// Appends the pieces of one part of the text-mode input, each at most maxLength characters, with
// the attributes of `part` (TPiece::Of). An audio or pause part is one piece, its text unchanged
// (a pause with its length in PauseMs); a chapter part is one piece with its title, even an empty
// one. With syncOutput (LRC or SRT output) every sentence becomes
// a piece of its own and every piece gets a marker.
void SplitIntoPieces(std::u16string_view text, const TPiece& part, int maxLength, bool syncOutput,
                     TPieceList& pieces);

// The same for a part of a subtitle's text: never markers, audio and pause parts yield nothing, and
// a chapter part is one piece with its title.
void SplitSubtitleText(std::u16string_view text, const TPiece& part, int maxLength, TPieceList& pieces);

// The lines of a text, split at CR LF, CR and LF; a line break at the very end adds no empty line.
std::vector<std::u16string> SplitLines(std::u16string_view text);

// Cuts every line of the list into pieces of at most maxLength characters and appends them;
// spaces are trimmed at the ends and collapsed inside. With markers, the pieces that end a line
// get SentenceEnd, except those of the last line, which get LineEnd; pieces cut for length get Cut.
void CutToLength(const std::vector<std::u16string>& lines, int maxLength, const TPiece& part, bool markers,
                 TPieceList& pieces);

// Where to cut a window of maxLength characters: the number of characters that go into the piece
// (1..window length). Prefers a sentence end, then a CJK pause, then a comma-like mark, then a
// space, all in the last two thirds of the window; else cuts hard, never inside a surrogate pair.
size_t ChooseCut(std::u16string_view window);

}  // namespace sonacli
