// The inline tags ("{{lang=", "{{audio=", "{{pause=") and the cutting of every part into pieces,
// as the text driver and the subtitle mode do it. The first byte gives the length limit and the
// sync output switch; the rest is the text in UTF-8.
#include <algorithm>
#include <cstdlib>

#include "common/unicode_text.h"
#include "fuzz_input.h"
#include "text/piece_lists.h"
#include "text/text_parts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sonacli;
  std::string_view bytes = fuzz::Bytes(data, size);
  const uint8_t choice = fuzz::TakeByte(bytes);
  const int maxLength = 1 + (choice & 0x7f) * 3;
  const bool syncOutput = choice & 0x80;
  const TPartSettings defaults{u"ru-RU", u"alena", u"", u"neutral"};
  const TTextParts parts(ToUtf16(bytes), defaults);
  TPieceList pieces;
  TPieceList subtitlePieces;
  for (size_t i = 0; i < parts.Count(); ++i) {
    const TTextPart& part = parts.Part(i);
    SplitIntoPieces(part.Text, TPiece::Of(part), maxLength, syncOutput, pieces);
    SplitSubtitleText(part.Text, TPiece::Of(part), maxLength, subtitlePieces);
  }
  for (const TPiece& piece : pieces) {
    // A surrogate pair is never cut, so a limit of one may let a piece of two through.
    if (piece.Kind == TPieceKind::Speech && piece.Text.size() > size_t(std::max(maxLength, 2))) std::abort();
  }
  return 0;
}
