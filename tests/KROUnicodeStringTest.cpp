// Number parsing, searching, slicing and copying of the 16-bit text value.
#include "KROUnicodeString.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

namespace {

std::string Narrow(const KROWChar* text) {
  std::string out;
  for (; *text; ++text)
    out += static_cast<char>(*text);
  return out;
}

struct NumCase {
  const KROWChar* text;
  int converted;
  int value;
};

TEST(KROUnicodeStringConvertToNum, AgreesWithScanfOnInRangeNumbers) {
  const NumCase cases[] = {
      {u"42", 1, 42},
      {u"  -17xyz", 1, -17},
      {u"+8", 1, 8},
      {u"\t\n 5", 1, 5},
      {u"007", 1, 7},
      {u"12:34", 1, 12},
      {u"-0", 1, 0},
      {u"2147483647", 1, INT_MAX},
      {u"-2147483648", 1, INT_MIN},
      {u"3 4", 1, 3},
      {u"0000000000000000000000001", 1, 1},
      {u"abc", 0, 0},
      {u"", 0, 0},
      {u"-", 0, 0},
      {u"+", 0, 0},
      {u"   ", 0, 0},
      {u"- 5", 0, 0},
      {u"+-5", 0, 0},
      {u":3", 0, 0},
  };
  for (const NumCase& c : cases) {
    const int sentinel = -12345;
    int value = sentinel;
    EXPECT_EQ(KROUnicodeString(c.text).ConvertToNum(&value), c.converted) << Narrow(c.text);
    EXPECT_EQ(value, c.converted ? c.value : sentinel) << Narrow(c.text);

    int scanned = sentinel;
    const int scanfResult = std::sscanf(Narrow(c.text).c_str(), "%d", &scanned);
    EXPECT_EQ(scanfResult == 1 ? 1 : 0, c.converted) << Narrow(c.text);
    if (scanfResult == 1) {
      EXPECT_EQ(scanned, value) << Narrow(c.text);
    }
  }
}

TEST(KROUnicodeStringConvertToNum, RejectsNumbersOutsideThirtyTwoBits) {
  for (const KROWChar* text :
       {u"2147483648", u"-2147483649", u"4294967296", u"99999999999999999999999999999",
        u"-99999999999999999999999999999", u"  +2147483648:"}) {
    int value = 7;
    EXPECT_EQ(KROUnicodeString(text).ConvertToNum(&value), 0) << Narrow(text);
    EXPECT_EQ(value, 7) << Narrow(text);
  }
}

TEST(KROUnicodeStringConvertToNum, RefusesNullOutputAndOtherFormats) {
  const KROUnicodeString text(u"12");
  EXPECT_EQ(text.ConvertToNum(nullptr), 0);
  int value = 0;
  EXPECT_EQ(text.ConvertToNum(&value, "%x"), 0);
  EXPECT_EQ(text.ConvertToNum(&value, nullptr), 0);
  EXPECT_EQ(value, 0);
}

TEST(KROUnicodeStringSearch, FindsTheFirstOccurrenceAtOrAfterStart) {
  const KROUnicodeString text(u"D:3:7:");
  const KROUnicodeString colon(u":");
  EXPECT_EQ(text.SearchSubString(colon), 1);
  EXPECT_EQ(text.SearchSubString(colon, 1), 1);
  EXPECT_EQ(text.SearchSubString(colon, 2), 3);
  EXPECT_EQ(text.SearchSubString(colon, 5), 5);
  EXPECT_EQ(text.SearchSubString(colon, 6), -1);
  EXPECT_EQ(text.SearchSubString(colon, 100), -1);
  EXPECT_EQ(text.SearchSubString(colon, -4), 1);
  EXPECT_EQ(text.SearchSubString(KROUnicodeString(u"7:"), 0), 4);
  EXPECT_EQ(text.SearchSubString(KROUnicodeString(u"7::")), -1);
  EXPECT_EQ(text.SearchSubString(KROUnicodeString(u"D:3:7:D")), -1);
  EXPECT_EQ(text.SearchSubString(KROUnicodeString(), 2), 2);
  EXPECT_EQ(KROUnicodeString().SearchSubString(colon), -1);
}

TEST(KROUnicodeStringSubString, ClampsToTheText) {
  const KROUnicodeString text(u"abcdef");
  EXPECT_TRUE(text.SubString(1, 3) == u"bcd");
  EXPECT_TRUE(text.SubString(4, 10) == u"ef");
  EXPECT_TRUE(text.SubString(-2, 4) == u"ab");
  EXPECT_TRUE(text.SubString(0, INT_MAX) == u"abcdef");
  EXPECT_EQ(text.SubString(6, 1).GetLengthInChar(), 0);
  EXPECT_EQ(text.SubString(2, 0).GetLengthInChar(), 0);
  EXPECT_EQ(text.SubString(2, -1).GetLengthInChar(), 0);
  EXPECT_EQ(text.SubString(INT_MAX, INT_MAX).GetLengthInChar(), 0);
}

TEST(KROUnicodeStringText, CopiesOutWithTerminator) {
  const KROUnicodeString text(u"xyz");
  KROWChar out[5] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
  text.ConvertToWChar(out);
  EXPECT_EQ(std::u16string(out), u"xyz");
  EXPECT_EQ(out[4], 0xFFFF);

  KROWChar* fresh = text.NewWCharArray();
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(std::u16string(fresh), u"xyz");
  delete[] fresh;

  KROWChar* empty = KROUnicodeString().NewWCharArray();
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty[0], 0);
  delete[] empty;
}

TEST(KROUnicodeStringText, CopiesAreIndependentAndRebuildMayAlias) {
  KROUnicodeString a(u"hello");
  KROUnicodeString b(a);
  a.BuildFromWChar(a.Data() + 2);
  EXPECT_TRUE(a == u"llo");
  EXPECT_TRUE(b == u"hello");
  b = a;
  a = KROUnicodeString("other");
  EXPECT_TRUE(b == "llo");
  const KROUnicodeString& same = b;
  b = same;
  EXPECT_TRUE(b == "llo");
  a.BuildFromWChar(nullptr);
  EXPECT_EQ(a.GetLengthInChar(), 0);
  EXPECT_EQ(a.Data()[0], 0);
}

TEST(KROUnicodeStringText, ComparesByContent) {
  const KROUnicodeString text("abc");
  EXPECT_TRUE(text == KROUnicodeString(u"abc"));
  EXPECT_FALSE(text == KROUnicodeString(u"ab"));
  EXPECT_FALSE(text == "ab");
  EXPECT_FALSE(text == "abcd");
  EXPECT_FALSE(text == u"abd");
  EXPECT_FALSE(text == static_cast<const char*>(nullptr));
  EXPECT_FALSE(text == static_cast<const KROWChar*>(nullptr));
  EXPECT_TRUE(KROUnicodeString(static_cast<const KROWChar*>(nullptr)) == "");
  EXPECT_TRUE(KROUnicodeString(u"\u00e9") == "\xe9") << "bytes widen as unsigned";
  EXPECT_TRUE(KROUnicodeString("\xe9") == u"\u00e9");
}

} // namespace
