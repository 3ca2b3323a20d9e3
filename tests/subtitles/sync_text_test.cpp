#include "subtitles/sync_text.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

TEST(SyncText, CleanSyncText) {
  const std::u16string_view cases[][2] = {
      {u"  Hello\r\nworld  ", u"Hello world"},
      {u"line\rbreak", u"line break"},
      {u"<b>Bold</b> text", u"Bold text"},
      {u"a < b and c", u"a < b and c"},  // unclosed "<" stays
      {u"x <i>y <z", u"x y <z"},
      {u"a<b>>c", u"a>c"},
      {u"a  b   c", u"a b c"},
      {u" <b> x", u" x"},  // not trimmed again after the tags
      {u"\tsome\ttab\t", u"some\ttab"},
      {u"<br><br>", u""},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(CleanSyncText(c[0]), c[1]) << ToUtf8(c[0]);
}

using Lines = std::vector<std::u16string>;

TEST(SyncText, WrapSyncTextCuts) {
  struct Case {
    std::u16string_view text;
    int32_t size;
    Lines lines;
  };
  const Case cases[] = {
      {u"short", 15, {u"short"}},
      {u"The quick brown fox jumps over the lazy dog",
       15,
       {u"The quick ", u"brown fox ", u"jumps over the ", u"lazy dog"}},
      {u"The quick brown fox jumps over the lazy dog",
       20,
       {u"The quick brown fox ", u"jumps over the lazy ", u"dog"}},
      // A break after a comma wins over a later space...
      {u"Alpha beta gamma, delta epsilon zeta eta theta",
       30,
       {u"Alpha beta gamma, ", u"delta epsilon zeta eta theta"}},
      // ...but not when it lies in the first half of the line.
      {u"Alpha beta, gamma delta epsilon zeta eta theta iota",
       40,
       {u"Alpha beta, gamma delta epsilon zeta ", u"eta theta iota"}},
      // A spaced dash goes after the space behind it, or to the next line after a full stop.
      {u"It was late at night – the end came fast", 30, {u"It was late at night – ", u"the end came fast"}},
      {u"It was late at night. – the end came fast", 30, {u"It was late at night. ", u"– the end came fast"}},
      // An opening bracket never ends a line.
      {u"Some words (here and) more text today", 20, {u"Some words ", u"(here and) more ", u"text today"}},
      // ".]" pushes the cut to the next space, even past the size.
      {u"Text here as [ref.]abcdefghij more words", 20, {u"Text here as [ref.]abcdefghij ", u"more words"}},
      // A long word in a short limit: the cut goes to the first break after it.
      {u"Supercalifragilistic is long", 15, {u"Supercalifragilistic ", u"is long"}},
      {u"Abcdefghijklmnopq rst", 15, {u"Abcdefghijklmnopq rst"}},
      {u"Abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz",
       40,
       {u"Abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz"}},
      // Ideographic full stop and comma are break characters; U+00A0 is not.
      {u"一二三四五六七八九十。一二三四五六七八九十、一二三",
       15,
       {u"一二三四五六七八九十。", u"一二三四五六七八九十、一二三"}},
      {u"aaaaa\u00A0bbbbb\u00A0ccccc\u00A0ddddd", 15, {u"aaaaa\u00A0bbbbb\u00A0ccccc\u00A0ddddd"}},
  };
  for (const Case& c : cases) EXPECT_EQ(WrapSyncText(c.text, c.size), c.lines) << ToUtf8(c.text);
}

TEST(SyncText, WrapSyncTextKeepsEveryCharacter) {
  std::u16string text;
  for (int i = 0; i < 40; ++i) text += u"word(" + ToUtf16(std::to_string(i)) + u"), [x.] – ; next{ }\u3000";
  for (int32_t size : {-5, 0, 1, 7, 15, 16, 24, 39, 40, 60, 100, 350}) {
    Lines lines = WrapSyncText(text, size);
    std::u16string joined;
    for (const std::u16string& line : lines) {
      EXPECT_FALSE(line.empty()) << size;
      joined += line;
    }
    EXPECT_EQ(joined, text) << size;
  }
}

}  // namespace
}  // namespace sonacli
