// The input of a run as the front end hands it on: its lines, where each comes from (the user's own
// text, or a book with its language), and the chapters of the books beside the lines. Only the
// user's own text is read for inline tags; a book's text is input from strangers and is never taken
// for a command, so its chapters cannot travel as tags inside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sonacli {

enum class TLineSource : uint8_t { UserText, Book };

// Consecutive lines of one source, numbered on from FirstNumber as line selection (-ln) counts them.
struct TInputRun {
  TLineSource Source = TLineSource::UserText;
  size_t Book = 0;          // a book's run: which book of the input it comes from, counted from 0
  std::u16string Language;  // a book's run: the language the book names ("en", "en-US"); empty when none
  size_t FirstLine = 0;     // its first line, an index of TInputText::Lines
  // The -ln number of its first line, the next lines counted on from it; 0 when its lines have no
  // numbers any more (the filters rewrote the user's text, joining and splitting its lines).
  size_t FirstNumber = 0;

  bool operator==(const TInputRun&) const = default;
};

// A chapter of a book: it starts at Lines[Line] and runs up to the next mark or to the end.
struct TLineChapter {
  size_t Line = 0;
  std::u16string Title;

  bool operator==(const TLineChapter&) const = default;
};

struct TInputText {
  std::vector<std::u16string> Lines;
  // In line order, the first at line 0; together they hold every line.
  std::vector<TInputRun> Runs;
  // On the lines of books only, in line order, at most one a line. Every line of a book has a mark
  // at or before it, and the last of them is its chapter's.
  std::vector<TLineChapter> Chapters;
};

// The user's own text of these lines, numbered from 1.
TInputText UserText(std::vector<std::u16string> lines);
// The lines appended next to the text are the user's own: a run of the user's text goes on, or a
// new one starts at the end of the lines.
void BeginUserText(TInputText& text);
// Appends a book's lines as a run of their own, with its chapters (their lines counted within
// `lines`; a chapter at its first line, each on a line of it).
void AppendBookText(TInputText& text, std::vector<std::u16string> lines, std::vector<TLineChapter> chapters,
                    size_t book, std::u16string language);

// Where the run at `run` ends: the first line of the next run, or the end of the lines.
size_t RunEnd(const TInputText& text, size_t run);
// The run that holds the line.
size_t RunOfLine(const TInputText& text, size_t line);
// The -ln number of the line; 0 when it has none.
size_t LineNumber(const TInputText& text, size_t line);
// The lines of the user's own text, in order; a book's lines are left out.
std::vector<std::u16string> UserLines(const TInputText& text);
// Both runs are the user's text, or both come from the same book.
bool SameSource(const TInputRun& first, const TInputRun& second);

}  // namespace sonacli
