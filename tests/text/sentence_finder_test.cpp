#include "text/sentence_finder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

std::vector<std::string> Sentences(const std::string& line) {
  std::vector<std::string> out;
  for (const std::u16string& sentence : SplitLineIntoSentences(ToUtf16(line)))
    out.push_back(ToUtf8(sentence));
  return out;
}

struct SentenceCase {
  const char* Line;
  std::vector<std::string> Expected;
};

const SentenceCase kSentenceCases[] = {
    {"Dr. Smith arrived. He sat.", {"Dr. Smith arrived.", "He sat."}},
    {"  Ok.   Two words here.  ", {"Ok.   Two words here."}},
    {"Wir nutzen z. B. Äpfel. Dann mehr.", {"Wir nutzen z. B. Äpfel.", "Dann mehr."}},
    {"Ein Gedicht von A. Puschkin ist schön. Ja, gut.",
     {"Ein Gedicht von A. Puschkin ist schön.", "Ja, gut."}},
    {"He left at noon. then he came back. Fine!", {"He left at noon. then he came back.", "Fine!"}},
    {"Read the chapter. 5 pages remain. Good.", {"Read the chapter. 5 pages remain.", "Good."}},
    {"123. Punkt eins ist wichtig. Weiter.", {"123. Punkt eins ist wichtig.", "Weiter."}},
    {"XIV. Teil beginnt hier. Danach.", {"XIV. Teil beginnt hier.", "Danach."}},
    {"xiv. Teil beginnt hier. Danach.", {"xiv. Teil beginnt hier.", "Danach."}},
    {"Mix. Teil beginnt hier.", {"Mix.", "Teil beginnt hier."}},
    {"Am 3. März fahren wir los. Gut so.", {"Am 3. März fahren wir los.", "Gut so."}},
    {"Hi! - he said. Then he left.", {"Hi! - he said.", "Then he left."}},
    {"Hello! He said.", {"Hello!", "He said."}},
    // Two letters are too short for a sentence of their own.
    {"Hi! He said.", {"Hi! He said."}},
    {"Are you serious?! Yes.", {"Are you serious?!", "Yes."}},
    {"He said \"Stop.\" Then he left.", {"He said \"Stop.\"", "Then he left."}},
    {"Он сказал «Стоп.» Потом ушёл.", {"Он сказал «Стоп.»", "Потом ушёл."}},
    {"\"Stop!\", he said. Then he left.", {"\"Stop!\", he said.", "Then he left."}},
    {"我们走吧。他说好。", {"我们走吧。", "他说好。"}},
    {"今天很好！我们走吧。", {"今天很好！", "我们走吧。"}},
    {"It ends here.[1] Next part.", {"It ends here.", "[1] Next part."}},
    {"Er sagte: - Komm her. Gut.", {"Er sagte:", "- Komm her.", "Gut."}},
    {"Siehe http://example.com: gut. Ende.", {"Siehe http://example.com: gut.", "Ende."}},
    {"<i>He came. She left.</i> Then rain fell.", {"<i>He came. She left.</i>", "Then rain fell."}},
    {"<i>He came. She left.</i>, said Tom. Ok then.",
     {"<i>He came. She left.</i>,", "said Tom.", "Ok then."}},
    {"One here. Two <b>bold</b> there.", {"One here.", "Two <b>bold</b> there."}},
    {"Hello there {{audio=bell.wav and more", {"Hello there", "{{audio=bell.wav and more"}},
    {"{{PAUSE=300 Hello world. Next one.", {"{{PAUSE=300 Hello world.", "Next one."}},
    {"a{{audio=x", {"a", "{{audio=x"}},
    {"Hello there {{Chapter=Two and more", {"Hello there", "{{Chapter=Two and more"}},
    {"a{{chapter", {"a{{chapter"}},
    {"", {}},
    {"   ", {}},
};

TEST(SentenceFinder, SplitsLinesIntoSentences) {
  for (const SentenceCase& c : kSentenceCases) {
    EXPECT_EQ(Sentences(c.Line), c.Expected) << c.Line;
  }
}

TEST(SentenceFinder, InParenthesesBeyondPosition70KeepsTheSentence) {
  const std::string pad = "This sentence is long enough to push the parenthesis past seventy chars";
  EXPECT_EQ(Sentences(pad + " (see the note. It helps) and ends. Next one."),
            (std::vector<std::string>{pad + " (see the note. It helps) and ends.", "Next one."}));
}

TEST(SentenceFinder, AnOpenSentenceEndsWithinItsWindow) {
  // Without any candidate the sentence ends one position after its window of 1025 positions.
  std::u16string solid(3000, u'x');
  std::vector<std::u16string> sentences = SplitLineIntoSentences(solid);
  ASSERT_EQ(sentences.size(), 3u);
  EXPECT_EQ(sentences[0].size(), 1026u);
  EXPECT_EQ(sentences[1].size(), 1026u);
  EXPECT_EQ(sentences[2].size(), 948u);

  // Never between the two halves of a surrogate pair.
  sentences = SplitLineIntoSentences(std::u16string(1025, u'x') + u"😀" + std::u16string(100, u'x'));
  ASSERT_EQ(sentences.size(), 2u);
  EXPECT_EQ(sentences[0].size(), 1025u);

  // With spaces it ends before the last space of the window.
  std::u16string words;
  for (int k = 0; k < 300; ++k) words += u"abcdefg ";
  sentences = SplitLineIntoSentences(words);
  ASSERT_GE(sentences.size(), 2u);
  EXPECT_EQ(sentences[0].size(), 1023u);  // 128 words of 8 end at 1024; the last space is at 1024
  std::u16string joined;
  for (const std::u16string& s : sentences) joined += s + u" ";
  EXPECT_EQ(joined, words);

  // A comma is a candidate: the sentence ends at the last one the window recorded.
  std::u16string commas = u"one, two, three" + std::u16string(2000, u'x');
  sentences = SplitLineIntoSentences(commas);
  EXPECT_EQ(ToUtf8(sentences[0]), "one, two,");
}

TEST(SentenceFinder, FindSentenceEndNeverEndsBeforeItsStart) {
  const std::u16string text = u"{{audio=a {{pause=b {{chapter=c";
  for (ptrdiff_t start = 1; start <= static_cast<ptrdiff_t>(text.size()); ++start) {
    EXPECT_GE(FindSentenceEnd(text, start, start + 1024), start) << start;
  }
}

TEST(SentenceFinder, IncludeClosingTagsTakesNestedClosingTagsAndAMark) {
  const std::u16string text = u"<p><b>Bold.</b></p>! More text";
  const ptrdiff_t fullStop = static_cast<ptrdiff_t>(text.find(u'.')) + 1;
  EXPECT_EQ(IncludeClosingTags(text, 1, fullStop), static_cast<ptrdiff_t>(text.find(u'!')) + 1);
  const std::u16string plain = u"Plain. <br> text </b>";
  EXPECT_EQ(IncludeClosingTags(plain, 1, 6), 6);
}

}  // namespace
}  // namespace sonacli
