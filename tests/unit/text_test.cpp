// The double-byte aware text helpers, with code page 932's lead bytes.
#include "app/state.h"
#include "util/text.h"

#include <gtest/gtest.h>

#include <string.h>

// C:\ソフト\ : 43 3A 5C 83 5C 83 74 83 67 5C
static const char softFolder[] = "C:\\\x83\x5C\x83\x74\x83\x67\\";

TEST(FindChar, BackslashOnCharacterBoundariesOnly)
{
    char text[32];
    strcpy(text, softFolder);
    ASSERT_EQ(findChar(text, '\\'), text + 2);
    EXPECT_EQ(findChar(text + 3, '\\'), text + 9);  // never the second byte of ソ
}

TEST(FindChar, AbsentEmptyAndCutOffLeadByte)
{
    EXPECT_EQ(findChar("", ','), nullptr);
    EXPECT_EQ(findChar("abc", ','), nullptr);
    // 61 62 83 then the terminator and, behind it, a byte that must not be read as text
    char cut[] = { 'a', 'b', '\x83', 0, ',', 0 };
    EXPECT_EQ(findChar(cut, ','), nullptr);
}

TEST(EndsInsideDbcs, TrailByteOfSo)
{
    EXPECT_TRUE(endsInsideDbcs("C:\\\x83\x5C", 4));
    EXPECT_FALSE(endsInsideDbcs("C:\\\x83\x5C\\", 5));
    EXPECT_FALSE(endsInsideDbcs("\x83\x5C", 0));
    // 表 is 95 5C
    EXPECT_TRUE(endsInsideDbcs("\x95\x5C", 1));
}

struct SeparatorCase {
    const char* before;
    const char* after;
};

TEST(EnsureTrailingSeparator, AppendsOnlyWhenNotEndingInARealBackslash)
{
    const SeparatorCase cases[] = {
        { "C:\\Korval", "C:\\Korval\\" },
        { "C:\\Korval\\", "C:\\Korval\\" },
        { "C:\\\x83\x5C", "C:\\\x83\x5C\\" },        // a trail byte 0x5C is not a separator
        { "C:\\\x83\x5C\\", "C:\\\x83\x5C\\" },
        { "C:\\\x95\x5C", "C:\\\x95\x5C\\" },
        { "C:", "C:\\" },
        { "", "\\" },
    };
    for (const SeparatorCase& c : cases) {
        char text[PATH_SIZE];
        strcpy(text, c.before);
        EXPECT_TRUE(ensureTrailingSeparator(text, sizeof text)) << c.before;
        EXPECT_STREQ(text, c.after) << c.before;
    }
}

TEST(EnsureTrailingSeparator, RefusesWhenTheBufferHasNoRoom)
{
    char text[PATH_SIZE];
    memset(text, 'a', 259);
    text[259] = 0;
    EXPECT_FALSE(ensureTrailingSeparator(text, sizeof text));
    EXPECT_EQ(strlen(text), 259u);
    text[258] = '\\';
    EXPECT_TRUE(ensureTrailingSeparator(text, sizeof text));  // already ends in one
}

TEST(EnsureTrailingSeparator, RefusesATextCutAfterALeadByte)
{
    // C:\ab and a lone 83: an appended 5C would turn into ソ, not a separator
    char text[PATH_SIZE] = "C:\\ab\x83";
    EXPECT_FALSE(ensureTrailingSeparator(text, sizeof text));
    EXPECT_STREQ(text, "C:\\ab\x83");
}

TEST(ParseDecimal, DigitsUntilTheFirstOtherByteAndWraps)
{
    EXPECT_EQ(parseDecimal("46"), 46);
    EXPECT_EQ(parseDecimal("12ab"), 12);
    EXPECT_EQ(parseDecimal("x1"), 0);
    EXPECT_EQ(parseDecimal(""), 0);
    EXPECT_EQ(parseDecimal("-5"), 0);
    EXPECT_EQ(parseDecimal("4294967297"), 1);       // 2^32 + 1
    EXPECT_LT(parseDecimal("2147483648"), 0);       // 2^31 reads as negative
}

TEST(FormatKey, UnsignedDecimalInTheKeyBuffer)
{
    EXPECT_STREQ(formatKey(1), "1");
    EXPECT_STREQ(formatKey(0), "0");
    EXPECT_STREQ(formatKey(4294967295u), "4294967295");
    EXPECT_EQ(formatKey(7), setup.keyBuffer);
}

TEST(TextCopy, CutsOnACharacterBoundaryAndSaysSo)
{
    char small[4];
    EXPECT_TRUE(textCopy(small, sizeof small, "abc"));
    EXPECT_STREQ(small, "abc");
    EXPECT_FALSE(textCopy(small, sizeof small, "abcd"));
    EXPECT_STREQ(small, "abc");
    // "ab" then ソ: the lead byte would land in the last place, so both bytes stay out
    EXPECT_FALSE(textCopy(small, sizeof small, "ab\x83\x5C"));
    EXPECT_STREQ(small, "ab");
    char guarded[8];
    memset(guarded, 'Z', sizeof guarded);
    EXPECT_FALSE(textCopy(guarded, 4, "abcdefg"));
    EXPECT_EQ(guarded[4], 'Z');                      // nothing past the given size
}

TEST(TextAppend, BoundedByTheWholeBuffer)
{
    char text[8] = "abc";
    EXPECT_TRUE(textAppend(text, sizeof text, "def"));
    EXPECT_STREQ(text, "abcdef");
    EXPECT_FALSE(textAppend(text, sizeof text, "gh"));
    EXPECT_STREQ(text, "abcdefg");
    EXPECT_FALSE(textAppend(text, sizeof text, "x"));
    EXPECT_STREQ(text, "abcdefg");
}
