#include "input/input_text.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"
#include "input/input_filters.h"
#include "input/line_selection.h"

namespace sonacli {
namespace {

using Described = std::vector<std::string>;

// Each line as "<-ln number> <source> [<chapter starting there>] <text>".
Described Describe(const TInputText& text) {
  Described lines;
  size_t chapter = 0;
  for (size_t line = 0; line < text.Lines.size(); ++line) {
    const TInputRun& run = text.Runs[RunOfLine(text, line)];
    std::string described = std::to_string(LineNumber(text, line)) + " " +
                            (run.Source == TLineSource::Book ? "book" + std::to_string(run.Book) : "text");
    if (chapter < text.Chapters.size() && text.Chapters[chapter].Line == line)
      described += " [" + ToUtf8(text.Chapters[chapter++].Title) + "]";
    lines.push_back(described + " " + ToUtf8(text.Lines[line]));
  }
  EXPECT_EQ(chapter, text.Chapters.size()) << "a chapter mark out of order or past the end";
  return lines;
}

// The user's text, a book of two chapters, the user's text again, a book of one chapter: lines 1 to 9.
TInputText MixedInput() {
  TInputText input = UserText({u"u1 [x", u"u2] y"});
  AppendBookText(input, {u"{heading}", u"A2 {b} c", u"A3 {{pause=5}}", u"A4 {open", u"close} A5"},
                 {{0, u"One"}, {2, u"Two"}}, 0, u"en");
  BeginUserText(input);
  input.Lines.push_back(u"u3");
  AppendBookText(input, {u"B1"}, {{0, u"Solo"}}, 1, u"");
  return input;
}

TEST(InputText, RunsNumberTheLinesAsLineSelectionCountsThem) {
  const TInputText input = MixedInput();
  EXPECT_EQ(Describe(input),
            (Described{"1 text u1 [x", "2 text u2] y", "3 book0 [One] {heading}", "4 book0 A2 {b} c",
                       "5 book0 [Two] A3 {{pause=5}}", "6 book0 A4 {open", "7 book0 close} A5", "8 text u3",
                       "9 book1 [Solo] B1"}));
  EXPECT_EQ(input.Runs[1].Language, u"en");
  // Files of the user's text that follow each other are one run; a text file without lines makes none.
  TInputText files = UserText({u"a"});
  BeginUserText(files);
  files.Lines.push_back(u"b");
  AppendBookText(files, {u"c"}, {{0, u"C"}}, 0, u"");
  BeginUserText(files);
  AppendBookText(files, {u"d"}, {{0, u"D"}}, 1, u"");
  EXPECT_EQ(files.Runs.size(), 3u);
  EXPECT_EQ(Describe(files), (Described{"1 text a", "2 text b", "3 book0 [C] c", "4 book1 [D] d"}));
}

TEST(InputText, SelectedLinesKeepTheirSourcesNumbersAndChapters) {
  const TInputText input = MixedInput();
  const struct {
    std::vector<std::u16string> selections;
    Described expected;
  } cases[] = {
      // A chapter whose first line is left out starts at its first line selected; a book line
      // after the user's text goes on in the chapter of the book line before it.
      {{u"9", u"4-5", u"1", u"7-8", u"20"},
       {"9 book1 [Solo] B1", "4 book0 [One] A2 {b} c", "5 book0 [Two] A3 {{pause=5}}", "1 text u1 [x",
        "7 book0 close} A5", "8 text u3"}},
      // Back into a chapter left before: it starts again there.
      {{u"6", u"4", u"6"}, {"6 book0 [Two] A4 {open", "4 book0 [One] A2 {b} c", "6 book0 [Two] A4 {open"}},
      {{u"2-1", u"10"}, {}},
  };
  for (const auto& c : cases) {
    const TInputText selected = SelectLines(input, c.selections);
    EXPECT_EQ(Describe(selected), c.expected);
  }
  EXPECT_EQ(SelectLines(input, {u"4-5", u"7"}).Runs.size(), 2u) << "a gap in the numbers starts a run";
}

TEST(InputText, FiltersReadTheUsersTextAsOneTextAndABookLineByLine) {
  const TFilterFlags brackets{true, true, false, false, false, false};
  // The user's square brackets reach over a line end as they always did; a book's curly ones never
  // leave their line, so "{open" stays unclosed, and a line the filter empties takes no chapter
  // along: its chapter starts at the next line.
  EXPECT_EQ(Describe(FilterInputText(MixedInput(), brackets)),
            (Described{"0 text u1 y", "4 book0 [One] A2 c", "5 book0 [Two] A3", "6 book0 A4 {open",
                       "7 book0 close} A5", "0 text u3", "9 book1 [Solo] B1"}));
  // Without filters a book keeps every line, the user's text loses the line breaks at its ends.
  TInputText input = UserText({u"", u"  x", u"", u""});
  AppendBookText(input, {u" spaced ", u"\tB"}, {{0, u"B"}}, 0, u"");
  EXPECT_EQ(Describe(FilterInputText(std::move(input), {})),
            (Described{"0 text   x", "5 book0 [B]  spaced ", "6 book0 B"}));
  // A chapter all of whose lines go is gone.
  TInputText gone = UserText({});
  AppendBookText(gone, {u"[1]", u"[2]", u"Text."}, {{0, u"Notes"}, {2, u"Text"}}, 0, u"");
  EXPECT_EQ(Describe(FilterInputText(std::move(gone), brackets)), (Described{"3 book0 [Text] Text."}));
}

TEST(InputText, FilterLineIsTheFilterOfATextOfThatLineAlone) {
  const TFilterFlags all{true, true, true, true, true, true};
  for (const std::u16string line : {u"a [b], c", u"(x) http://e.org/a. /* c */ d // e", u"[whole]",
                                    u"\ttab {{x}} <y>", u"<speak>Hi</speak>"}) {
    const std::vector<std::u16string> alone = FilterInputText(std::vector<std::u16string>{line}, all);
    EXPECT_EQ(FilterLine(line, all), alone.empty() ? std::u16string() : alone.front()) << ToUtf8(line);
  }
}

}  // namespace
}  // namespace sonacli
