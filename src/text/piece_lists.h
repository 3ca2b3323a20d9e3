// The pieces of text the drivers send, one request each, with the attributes they are spoken
// with, and the cutting of a part's text into them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sonacli {

class TTextPart;

// Markers for the LRC and SRT writer: where a piece stands in its sentence and line.
inline constexpr std::u16string_view kMarkerCut = u"0";          // cut for length; audio, pause
inline constexpr std::u16string_view kMarkerLineEnd = u"1";      // ends its line; pause_para
inline constexpr std::u16string_view kMarkerSentenceEnd = u"2";  // ends a sentence inside a line

// What every piece of one part is spoken with.
struct PieceAttributes {
  std::u16string Kind;  // a language code, or "audio", "pause", "pause_para"
  std::u16string Voice;
  std::u16string Rate;  // empty: the default rate
  std::u16string Emotion;
  std::u16string ChannelMode;
  std::u16string Volume;  // volume delta as decimal text

  // The attributes of a part: its language as the kind, its volume as text.
  static PieceAttributes Of(const TTextPart& part);
};

// Parallel lists, one entry per piece, all appended together; Markers only with sync output.
struct PieceLists {
  std::vector<std::u16string> Texts;
  std::vector<std::u16string> Kinds;
  std::vector<std::u16string> Voices;
  std::vector<std::u16string> Rates;
  std::vector<std::u16string> Emotions;
  std::vector<std::u16string> ChannelModes;
  std::vector<std::u16string> Volumes;
  std::vector<std::u16string> Markers;

  size_t Count() const { return Texts.size(); }
  void Clear();
  // Appends one piece; an empty marker appends none.
  void Append(std::u16string text, const PieceAttributes& attributes, std::u16string_view marker);
};

// Appends the pieces of one part of the text-mode input, each at most maxLength characters. An
// "audio", "pause" or "pause_para" part is one piece, unchanged. With syncOutput (LRC or SRT
// output) every sentence becomes a piece of its own and every piece gets a marker.
void SplitIntoPieces(std::u16string_view text, const PieceAttributes& attributes, int maxLength,
                     bool syncOutput, PieceLists& lists);

// The same for a part of a subtitle's text: never markers, and audio and pause parts yield nothing.
void SplitSubtitleText(std::u16string_view text, const PieceAttributes& attributes, int maxLength,
                       PieceLists& lists);

// The lines of a text, split at CR LF, CR and LF; a line break at the very end adds no empty line.
std::vector<std::u16string> SplitLines(std::u16string_view text);

// Cuts every line of the list into pieces of at most maxLength characters and appends them;
// spaces are trimmed at the ends and collapsed inside. With markers, the pieces that end a line
// get "2", except those of the last line, which get "1"; pieces cut for length get "0".
void CutToLength(const std::vector<std::u16string>& lines, int maxLength, const PieceAttributes& attributes,
                 bool markers, PieceLists& lists);

// Where to cut a window of maxLength characters: the number of characters that go into the piece
// (1..window length). Prefers a sentence end, then a CJK pause, then a comma-like mark, then a
// space, all in the last two thirds of the window; else cuts hard, never inside a surrogate pair.
size_t ChooseCut(std::u16string_view window);

}  // namespace sonacli
