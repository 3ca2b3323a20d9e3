#include "text/sentence_end_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "common/unicode_text.h"
#include "text/abbreviations.h"

namespace sonacli {
namespace {

// A text with "^" just before the terminator under test; the marker is removed.
struct Marked {
  std::u16string Text;
  ptrdiff_t Position;
};

Marked Mark(const std::string& utf8) {
  std::u16string text = ToUtf16(utf8);
  size_t caret = text.find(u'^');
  text.erase(caret, 1);
  return {text, static_cast<ptrdiff_t>(caret) + 1};
}

struct RuleCase {
  const char* Rule;
  bool (*Test)(std::u16string_view, ptrdiff_t);
  const char* Text;
  bool Expected;
};

const RuleCase kRuleCases[] = {
    {"NumberedItem", NumberedItem, "12^. Punkt", true},
    {"NumberedItem", NumberedItem, "   7^. Punkt", true},
    {"NumberedItem", NumberedItem, "a12^. Punkt", false},
    {"NumberedItem", NumberedItem, "1 2^. Punkt", false},
    {"NumberedItem", NumberedItem, "^. Punkt", false},
    {"RomanItem", RomanItem, "IV^. Teil", true},
    {"RomanItem", RomanItem, "  iv^. Teil", true},
    {"RomanItem", RomanItem, "MCMXCIV^. Teil", true},
    {"RomanItem", RomanItem, "MIX^. Teil", true},
    {"RomanItem", RomanItem, "IIIIIIIIII^. ten letters pass unchecked", true},
    {"RomanItem", RomanItem, "iV^. mixed case", false},
    {"RomanItem", RomanItem, "IIII^. not canonical", false},
    {"RomanItem", RomanItem, "CIVIL^. a word", false},
    {"RomanItem", RomanItem, "a IV^. not at the start", false},
    {"RomanItem", RomanItem, "^. nothing before", false},
    {"Abbreviation", Abbreviation, "Dr^. Smith", true},
    {"Abbreviation", Abbreviation, "(Dr^. Smith", true},
    {"Abbreviation", Abbreviation, "ADr^. Smith", false},
    {"Abbreviation", Abbreviation, "dr^. Smith", false},
    {"Abbreviation", Abbreviation, "z^.B. inner", true},
    {"Abbreviation", Abbreviation, "z.B^. full", true},
    {"Abbreviation", Abbreviation, "i.e^.S. inner at 4", true},
    {"Abbreviation", Abbreviation, "u. a^. full with a space", true},
    {"Abbreviation", Abbreviation, "в т^. ч. inner at 4", true},
    {"Abbreviation", Abbreviation, "в т. ч^. full", true},
    {"Abbreviation", Abbreviation, "т^.е. inner", true},
    {"Abbreviation", Abbreviation, "1 г^. full", true},
    {"Abbreviation", Abbreviation, "Мег^. after letters", false},
    {"Abbreviation", Abbreviation, "Dr^! not a full stop", false},
    {"GermanDate", GermanDate, "am 3^. März 2020", true},
    {"GermanDate", GermanDate, "am 3^. märz 1", true},
    {"GermanDate", GermanDate, "am 3^. märz", false},
    {"GermanDate", GermanDate, "1^. jan. 2000", true},
    {"GermanDate", GermanDate, "am 30^. September 1999", true},
    {"GermanDate", GermanDate, "am 3^. Mai", false},
    {"GermanDate", GermanDate, "am x^. März 2020", false},
    {"GermanDate", GermanDate, "am 3^. Märzen 2020", false},
    {"GermanDate", GermanDate, "3^. Mai", false},
};

TEST(SentenceEndRules, TablesOfCases) {
  for (const RuleCase& c : kRuleCases) {
    Marked m = Mark(c.Text);
    EXPECT_EQ(c.Test(m.Text, m.Position), c.Expected) << c.Rule << ": " << c.Text;
  }
}

TEST(SentenceEndRules, AbbreviationTablesAreComplete) {
  EXPECT_EQ(FullAbbreviations().size(), 236u);
  EXPECT_EQ(InnerAbbreviations().size(), 41u);
  for (std::u16string_view entry : FullAbbreviations()) {
    EXPECT_TRUE(Abbreviation(entry, static_cast<ptrdiff_t>(entry.size()))) << ToUtf8(entry);
  }
  for (const TAbbreviation& entry : InnerAbbreviations()) {
    EXPECT_TRUE(Abbreviation(entry.Text, entry.Position)) << ToUtf8(entry.Text);
  }
}

TEST(SentenceEndRules, InParenthesesOnlyBeyondPosition70) {
  const std::u16string pad(70, u'x');
  Marked open = Mark(ToUtf8(pad) + " (see the note^. It helps)");
  EXPECT_TRUE(InParentheses(open.Text, open.Position));
  Marked closed = Mark(ToUtf8(pad) + " (see) the note^. It helps");
  EXPECT_FALSE(InParentheses(closed.Text, closed.Position));
  Marked noSpace = Mark(ToUtf8(pad) + "x(see the note^. It helps)");
  EXPECT_FALSE(InParentheses(noSpace.Text, noSpace.Position));
  Marked farAway = Mark(ToUtf8(pad) + " (" + std::string(50, 'y') + "^. It helps)");
  EXPECT_FALSE(InParentheses(farAway.Text, farAway.Position));
  Marked early = Mark("a (see the note^. It helps)");
  EXPECT_FALSE(InParentheses(early.Text, early.Position));
}

TEST(SentenceEndRules, TooShortCountsLettersSinceTheLastTerminator) {
  Marked hi = Mark("Hi^! He said.");
  EXPECT_TRUE(TooShort(hi.Text, hi.Position, 1));
  Marked hello = Mark("Hey^! He said.");
  EXPECT_FALSE(TooShort(hello.Text, hello.Position, 1));
  Marked afterStop = Mark("Yes. No^.");
  EXPECT_TRUE(TooShort(afterStop.Text, afterStop.Position, 1));
  Marked far = Mark("a          b^.");
  EXPECT_FALSE(TooShort(far.Text, far.Position, 1));
  Marked comma = Mark("Hi^, there");
  EXPECT_FALSE(TooShort(comma.Text, comma.Position, 1));
  // Combining marks are not letters: two letters with their accents are still too short.
  Marked marks = Mark("a\u0301b\u0301^! Next");
  EXPECT_TRUE(TooShort(marks.Text, marks.Position, 1));
}

TEST(SentenceEndRules, BracketOpensSentenceNeedsATerminatorBeforeTheBracket) {
  Marked spaced = Mark("Ok. [Note^.] Next");
  EXPECT_TRUE(BracketOpensSentence(spaced.Text, spaced.Position, 5));
  EXPECT_FALSE(BracketOpensSentence(spaced.Text, spaced.Position, 1));
  Marked direct = Mark("Ok.[Note^.] Next");
  EXPECT_TRUE(BracketOpensSentence(direct.Text, direct.Position, 4));
  Marked word = Mark("Ok [Note^.] Next");
  EXPECT_FALSE(BracketOpensSentence(word.Text, word.Position, 4));
  Marked closed = Mark("Ok. [a] Note^.] Next");
  EXPECT_FALSE(BracketOpensSentence(closed.Text, closed.Position, 5));
}

TEST(SentenceEndRules, IsNotSentenceEndLeavesOutTooShort) {
  Marked hi = Mark("Hi^. there");
  EXPECT_FALSE(IsNotSentenceEnd(hi.Text, hi.Position));
  for (const char* text : {"12^. x", "XIV^. x", "Dr^. x", "am 3^. März 1"}) {
    Marked m = Mark(text);
    EXPECT_TRUE(IsNotSentenceEnd(m.Text, m.Position)) << text;
  }
}

}  // namespace
}  // namespace sonacli
