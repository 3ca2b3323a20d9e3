#include "input/line_selection.h"

#include <gtest/gtest.h>

namespace sonacli {
namespace {

using Lines = std::vector<std::u16string>;

TEST(SelectLines, TakesLinesInSelectionOrderWithRepeats) {
  const Lines five = {u"1", u"2", u"3", u"4", u"5"};
  EXPECT_EQ(SelectLines(five, {u"3", u"1-2", u"3"}), (Lines{u"3", u"1", u"2", u"3"}));
  EXPECT_EQ(SelectLines(five, {u"4-99"}), (Lines{u"4", u"5"}));
  EXPECT_EQ(SelectLines(five, {u"2-4", u"3-5"}), (Lines{u"2", u"3", u"4", u"3", u"4", u"5"}));
  EXPECT_EQ(SelectLines(five, {u"5"}), (Lines{u"5"}));
}

TEST(SelectLines, SelectionsPastTheEndOrReversedGiveNothing) {
  const Lines five = {u"1", u"2", u"3", u"4", u"5"};
  EXPECT_TRUE(SelectLines(five, {u"9"}).empty());
  EXPECT_TRUE(SelectLines(five, {u"6-9", u"4-2"}).empty());
  EXPECT_TRUE(SelectLines(std::vector<std::u16string>{}, {u"1"}).empty());
}

}  // namespace
}  // namespace sonacli
