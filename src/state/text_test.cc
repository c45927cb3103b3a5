#include "state/text.h"

#include <gtest/gtest.h>

namespace kelvaro {
namespace {

TEST(TextOperations, LeftRightClampTheirCounts) {
  EXPECT_EQ(Left("FA014250000", 2), "FA");
  EXPECT_EQ(Left("FA", -1), "");
  EXPECT_EQ(Left("FA", 0), "");
  EXPECT_EQ(Left("FA", 9), "FA");
  EXPECT_EQ(Right("01A007100000B0071000009990", 4), "9990");
  EXPECT_EQ(Right("abc", -3), "");
  EXPECT_EQ(Right("abc", 10), "abc");
  EXPECT_EQ(Left("", 3), "");
  EXPECT_EQ(Right("", 3), "");
}

TEST(TextOperations, MidClampsStartAndLength) {
  EXPECT_EQ(Mid("01A007100000B", 3, 10), "A007100000");
  EXPECT_EQ(Mid("abcdef", 0, 2), "ab");     // start below 1 counts as 1
  EXPECT_EQ(Mid("abcdef", -5, 3), "abc");
  EXPECT_EQ(Mid("abcdef", 7, 2), "");      // beyond the end
  EXPECT_EQ(Mid("abcdef", 6, 1), "f");
  EXPECT_EQ(Mid("abcdef", 4), "def");      // no length: to the end
  EXPECT_EQ(Mid("abcdef", 4, -1), "def");  // negative length: to the end
  EXPECT_EQ(Mid("abcdef", 4, 99), "def");  // past the end: to the end
  EXPECT_EQ(Mid("abcdef", 2, 0), "");
}

TEST(TextOperations, FindGivesOneBasedPositionOrZero) {
  EXPECT_EQ(Find("FA014250000;ID0840;", "ID"), 13);
  EXPECT_EQ(Find("FA014250000;", "ID"), 0);
  EXPECT_EQ(Find("", "ID"), 0);
  EXPECT_EQ(Find("ID", ""), 0);
  EXPECT_EQ(Find("abab", "ab", 2), 3);
  EXPECT_EQ(Find("abab", "ab", 0), 1);
  EXPECT_EQ(Find("abab", "ab", 5), 0);
  EXPECT_EQ(Find("fa", "FA"), 0);  // case-sensitive
  EXPECT_EQ(CharAt("abc", 1), 'a');
  EXPECT_EQ(CharAt("abc", 4), '\0');
  EXPECT_EQ(CharAt("abc", 0), '\0');
}

TEST(TextOperations, NumberFromTextStopsAtTheFirstOtherCharacter) {
  EXPECT_EQ(IntFromText("  \t42abc"), 42);
  EXPECT_EQ(IntFromText("-17"), -17);
  EXPECT_EQ(IntFromText("12.9"), 12);
  EXPECT_EQ(IntFromText("-12.9"), -12);
  EXPECT_EQ(IntFromText("abc"), 0);
  EXPECT_EQ(IntFromText(""), 0);
  EXPECT_EQ(IntFromText("- 5"), 0);
  EXPECT_EQ(IntFromText("007"), 7);
  EXPECT_EQ(IntFromText("99999999999999"), 2147483647);
  EXPECT_DOUBLE_EQ(NumberFromText("7.25x"), 7.25);
  EXPECT_DOUBLE_EQ(NumberFromText(".5"), 0.5);
}

TEST(TextOperations, NumbersToText) {
  EXPECT_EQ(NumberToText(5), " 5");
  EXPECT_EQ(NumberToText(0), " 0");
  EXPECT_EQ(NumberToText(-3), "-3");
  EXPECT_EQ(ZeroPad(10, 3), "010");
  EXPECT_EQ(ZeroPad(14250000, 9), "014250000");
  EXPECT_EQ(ZeroPad(1234, 3), "1234");  // never cut
  EXPECT_EQ(ZeroPad(-5, 3), "000");     // never a minus sign in a command
  EXPECT_EQ(Digits(152), "152");
}

TEST(BoundedText, AssignmentsKeepTheFirstCharacters) {
  Text t = std::string(300, 'x');
  EXPECT_EQ(t.size(), 254u);
  ReplyText r = std::string(300, 'y');
  EXPECT_EQ(r.size(), 255u);
  t = "abc";
  t += std::string(400, 'z');
  EXPECT_EQ(t.size(), 254u);
  EXPECT_EQ(Left(t, 4), "abcz");
  t = r;  // a reply copied into an ordinary text is cut to 254
  EXPECT_EQ(t.size(), 254u);
  Text empty;
  EXPECT_TRUE(empty.empty());
  EXPECT_TRUE(Text("999") == "999");
}

}  // namespace
}  // namespace kelvaro
