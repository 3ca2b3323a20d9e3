#include "dict/plain_replacer.h"

#include <gtest/gtest.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <random>

#include "common/char_classes.h"
#include "dict/dictionary_set.h"
#include "dict_files.h"

namespace sonacli {
namespace {

using testing::ApplyOneFile;

TEST(DicEntries, ReplaceWholeWordsWithTheCaseOfTheText) {
  struct Case {
    std::string dic;
    std::u16string input, expected;
  };
  const Case cases[] = {
      {"cat=dog", u"Cat CAT cat cats tomcat", u"Dog Dog dog cats tomcat"},
      {"cat*=dog", u"cats Cats", u"dogs Dogs"},
      {"*cat=dog", u"tomcat tomCat Cat", u"tomdog tomdog Dog"},  // no capital inside a word
      {"$Bob=Robert", u"Bob bob BOB", u"Robert bob BOB"},
      {"$$x=y", u"$x $X", u"y Y"},
      {"known=famous", u"well-known known's <known> ^known `known known",
       u"well-known known's <known> ^known `known famous"},
      {"*known*=famous", u"well-known known's", u"well-famous famous's"},
      {"new=old\nnew york=нью-йорк", u"New York and new", u"Нью-йорк and old"},
      {"word=", u"a word here", u"a  here"},
      {"ab=abab", u"ab ab", u"abab abab"},  // a replacement is not searched again
      {"aa=b\nb=c", u"aa b", u"c c"},       // but the entries after it see it
      {"x1=y", u"x1 ax1 x12 x1.", u"y ax1 x12 y."},
      {"cat=«dog»", u"Cat", u"«Dog»"},
      {"*-cat=-dog", u"big-Cat", u"big-Dog"},
      {"$AB=x\nab=y", u"AB ab Ab", u"X y Y"},
      {"ёж=еж", u"Ёж ЁЖ", u"Еж Еж"},
      {"aa=x", u"aaa aa", u"aaa x"},  // a rejected place is passed over as a whole
      {"*aa*=x", u"aaaa", u"xx"},
      // Only a letter or a digit before the match keeps its capital from counting; a combining
      // mark or a joiner does not.
      {"*cat=dog", u"e\u0301Cat a\u200DCat 1Cat", u"e\u0301Dog a\u200DDog 1dog"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ToUtf8(ApplyOneFile("a.dic", c.dic, c.input)), ToUtf8(c.expected)) << c.dic;
  }
}

// The entry-by-entry algorithm as plainly as it can be written: every replacement rebuilds the text
// and its lower-cased copy.
std::u16string ReferenceApply(const std::vector<TDICItem>& entries, std::u16string text) {
  auto blocks = [](char16_t c) { return WordChar(c) || IsJoiningChar(c); };
  std::u16string copy = LowerCase(text);
  for (const TDICItem& entry : entries) {
    const size_t n = entry.Key.size();
    size_t position = 0;
    for (;;) {
      const size_t p = (entry.CaseSensitive ? text : copy).find(entry.Key, position);
      if (p == std::u16string::npos) break;
      if ((!entry.OpenStart && p > 0 && blocks(text[p - 1])) ||
          (!entry.OpenEnd && p + n < text.size() && blocks(text[p + n]))) {
        position = p + n;
        continue;
      }
      std::u16string replacement = entry.Replacement;
      const std::u16string match = text.substr(p, n);
      const size_t letter = std::find_if(match.begin(), match.end(), WordLetter) - match.begin();
      const bool midWord = letter == 0 && p > 0 &&
                           (DecimalDigit(text[p - 1]) || (U_GET_GC_MASK(text[p - 1]) & U_GC_L_MASK) != 0);
      if (letter < n && !midWord && u_charType(match[letter]) == U_UPPERCASE_LETTER) {
        auto target = std::find_if(replacement.begin(), replacement.end(), WordLetter);
        if (target != replacement.end()) *target = UpperChar(*target);
      }
      text.replace(p, n, replacement);
      copy.replace(p, n, LowerCase(replacement));
      position = p + replacement.size();
    }
  }
  return text;
}

std::string RandomUtf8(std::mt19937& rng, std::u16string_view alphabet, size_t minLength, size_t maxLength) {
  std::u16string out(std::uniform_int_distribution<size_t>(minLength, maxLength)(rng), u' ');
  for (char16_t& c : out) c = alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(rng)];
  return ToUtf8(out);
}

// Short keys over a small alphabet, so that keys overlap, nest, touch joining characters and meet
// the replacements of earlier entries.
std::string RandomDic(std::mt19937& rng, size_t entries) {
  std::bernoulli_distribution often(0.25);
  std::string dic;
  for (size_t i = 0; i < entries; ++i) {
    if (often(rng)) dic += "$";
    if (often(rng)) dic += "*";
    dic += RandomUtf8(rng, u"aAbBяЯ-' 1", 1, 4);
    if (often(rng)) dic += "*";
    dic.append("=").append(RandomUtf8(rng, u"aAbяЯz-' ", 0, 5)).append("\n");
  }
  return dic;
}

TEST(DicEntries, StopGrowingTheTextAtTheLimit) {
  // Every entry doubles the text that the earlier ones left: 2^30 characters without the limit.
  std::string doubling;
  for (int i = 0; i < 30; ++i) doubling += "*a*=aa\n";
  struct Case {
    std::string dic;
    std::u16string input, expected;
  };
  const Case cases[] = {
      {doubling, u"a", std::u16string(65536, u'a')},
      // The last entry that grows stops at the place where the limit is reached.
      {doubling, u"a a", std::u16string(32768, u'a') + u" " + std::u16string(32767, u'a')},
      {doubling + "*a*=b", u"a", std::u16string(65536, u'b')},  // entries that do not grow still apply
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ApplyOneFile("grow.dic", c.dic, c.input), c.expected) << c.dic.substr(c.dic.size() - 8);
  }
}

TEST(DicEntries, FastSearchGivesExactlyTheEntryByEntryResult) {
  std::mt19937 rng(20240611);
  testing::ScopedTempDir dir;
  int changed = 0;
  for (int round = 0; round < 300; ++round) {
    const std::string dic = RandomDic(rng, std::uniform_int_distribution<size_t>(1, 300)(rng));
    const std::u16string text = ToUtf16(RandomUtf8(rng, u"aAbBяЯ-' 1.z", 0, 1500));
    TDictionarySet set;
    testing::LoadFiles(set, dir, {{"random.dic", "\xEF\xBB\xBF" + dic}});
    const std::u16string expected = ReferenceApply(set.DicEntries, ReduceSpaces(text));
    ASSERT_EQ(ToUtf8(set.Apply(text)), ToUtf8(expected)) << "round " << round << "\n" << dic;
    if (expected != ReduceSpaces(text)) ++changed;
  }
  EXPECT_GT(changed, 200);
}

TEST(DicEntries, FastSearchMatchesOnALargeDictionary) {
  std::mt19937 rng(77);
  std::vector<std::string> words;
  for (int i = 0; i < 3000; ++i) words.push_back(RandomUtf8(rng, u"абвгдеёжзийклмнопрстуaeioulnrst", 2, 9));
  std::string dic;
  for (int i = 0; i < 20000; ++i) {
    const std::string& word = words[std::uniform_int_distribution<size_t>(0, words.size() - 1)(rng)];
    const int shape = i % 5;
    dic.append(shape == 0 ? "*" : shape == 1 ? "$" : "").append(word).append(shape == 2 ? "*=" : "=");
    dic.append(RandomUtf8(rng, u"ABCабвгД-' xyz", 0, 12)).append("\n");
  }
  std::u16string text;
  while (text.size() < 4000) {
    std::u16string word = ToUtf16(words[std::uniform_int_distribution<size_t>(0, words.size() - 1)(rng)]);
    if (rng() % 4 == 0) word[0] = UpperChar(word[0]);
    text += word + (rng() % 7 == 0 ? u"-" : rng() % 9 == 0 ? u". " : u" ");
  }
  testing::ScopedTempDir dir;
  TDictionarySet set;
  testing::LoadFiles(set, dir, {{"big.dic", "\xEF\xBB\xBF" + dic}});
  const std::u16string result = set.Apply(text);
  EXPECT_NE(result, text);
  EXPECT_EQ(ToUtf8(result), ToUtf8(ReferenceApply(set.DicEntries, text)));
}

}  // namespace
}  // namespace sonacli
