#include "common/text.h"

#include <gtest/gtest.h>

#include <string>

using tarnwick::CopyTruncated;
using tarnwick::FindLastMbcsChar;
using tarnwick::UpperCaseMbcs;

struct FindCase {
    const char* text;
    std::size_t expected;
};

class FindLastDotTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindLastDotTest, StepsByCharacters) {
    EXPECT_EQ(GetParam().expected, FindLastMbcsChar(GetParam().text, '.'));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FindLastDotTest,
    ::testing::Values(FindCase{"a.b.c", 3}, FindCase{"abc", std::string::npos}, FindCase{"", std::string::npos},
                      // A lead byte swallows the byte after it, even a dot.
                      FindCase{"a.\x81.b", 1},
                      // A lone lead byte at the end is one character; the search stops at the terminator.
                      FindCase{"x.y\x81", 1}, FindCase{"\x81", std::string::npos}));

TEST(FindLastMbcsChar, NullTextHasNoCharacter) { EXPECT_EQ(std::string::npos, FindLastMbcsChar(nullptr, '.')); }

struct UpperCase {
    const char* text;
    const char* expected;
};

class UpperCaseTest : public ::testing::TestWithParam<UpperCase> {};

TEST_P(UpperCaseTest, FoldsLikeTheRuntimeUnderCodePage932) {
    EXPECT_EQ(std::string(GetParam().expected), UpperCaseMbcs(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, UpperCaseTest,
    ::testing::Values(UpperCase{"abc", "ABC"}, UpperCase{"Work-old 2", "WORK-OLD 2"}, UpperCase{"", ""},
                      // Full-width a b (82 81, 82 82) become full-width A B (82 60, 82 61).
                      UpperCase{"\x82\x81\x82\x82", "\x82\x60\x82\x61"},
                      // Kana, kanji and digits stay as they are.
                      UpperCase{"\x8E\xF3\x90\x4D\x94\xA0x1", "\x8E\xF3\x90\x4D\x94\xA0X1"},
                      // The trail byte 0x61 ('a') of a double-byte character is not a letter.
                      UpperCase{"\x88\x61", "\x88\x61"},
                      // A lone lead byte at the end stays; what comes before is folded.
                      UpperCase{"ab\x82", "AB\x82"}, UpperCase{"\x82\x81\x83", "\x82\x60\x83"},
                      // So does one before a byte that cannot follow a lead byte, such as a space.
                      UpperCase{"tea\x81 time", "TEA\x81 TIME"}));

TEST(CopyTruncated, CutsAndAlwaysTerminates) {
    char buffer[5];
    EXPECT_EQ(4u, CopyTruncated(buffer, sizeof(buffer), "abcdefg"));
    EXPECT_STREQ("abcd", buffer);
    EXPECT_EQ(0u, CopyTruncated(buffer, sizeof(buffer), nullptr));
    EXPECT_STREQ("", buffer);
    EXPECT_EQ(0u, CopyTruncated(buffer, 0, "x"));
}

struct ContainsCase {
    const char* text;
    const char* query;
    bool expected;
};

class MbcsContainsTest : public ::testing::TestWithParam<ContainsCase> {};

TEST_P(MbcsContainsTest, MatchesWholeCharactersOnly) {
    const ContainsCase& c = GetParam();
    EXPECT_EQ(c.expected, tarnwick::MbcsContains(c.text, c.query)) << c.text << " / " << c.query;
}

// "ソフト" is 83 5C 83 74 83 67: its trail bytes are '\\' and 't'.
INSTANTIATE_TEST_SUITE_P(
    Texts, MbcsContainsTest,
    ::testing::Values(ContainsCase{"WORK", "OR", true}, ContainsCase{"WORK", "", true}, ContainsCase{"", "", true},
                      ContainsCase{"WORK", "WORKS", false}, ContainsCase{"\x83\x5C\x83\x74\x83\x67", "\x83\x74", true},
                      ContainsCase{"\x83\x5C\x83\x74\x83\x67", "\\", false},
                      ContainsCase{"\x83\x5C\x83\x74\x83\x67", "\x5C\x83", false},
                      ContainsCase{"\x83\x5C\x83\x74\x83\x67", "t", false},
                      // Found after a trail byte that looks like it, and after a false start.
                      ContainsCase{"\x83\x5C\\", "\\", true}, ContainsCase{"WOWORK", "WORK", true},
                      // A query that ends inside a character of the text does not match.
                      ContainsCase{"\x83\x5C", "\x83", false},
                      // Lone lead bytes at the end of either text are characters of their own.
                      ContainsCase{"AB\x83", "\x83", true}, ContainsCase{"AB\x83", "B\x83", true},
                      ContainsCase{"AB", "B\x83", false}, ContainsCase{"\x83", "\x83\x5C", false}));

TEST(MbcsContains, NullTextsAreEmpty) {
    EXPECT_TRUE(tarnwick::MbcsContains("A", nullptr));
    EXPECT_FALSE(tarnwick::MbcsContains(nullptr, "A"));
}

struct CompareCase {
    const char* a;
    const char* b;
    int sign;
};

class MbcsCompareTest : public ::testing::TestWithParam<CompareCase> {};

TEST_P(MbcsCompareTest, OrdersByCharacterCodes) {
    const CompareCase& c = GetParam();
    const int result = tarnwick::MbcsCompare(c.a, c.b);
    EXPECT_EQ(c.sign, (result > 0) - (result < 0)) << c.a << " / " << c.b;
    const int reverse = tarnwick::MbcsCompare(c.b, c.a);
    EXPECT_EQ(-c.sign, (reverse > 0) - (reverse < 0));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MbcsCompareTest,
    ::testing::Values(CompareCase{"abc", "abc", 0}, CompareCase{"ab", "abc", -1}, CompareCase{"", "a", -1},
                      CompareCase{"B", "a", -1},
                      // Half-width katakana (B1) is one byte and sorts before any double-byte character (83 41).
                      CompareCase{"\xB1", "\x83\x41", -1},
                      CompareCase{"\x83\x41", "\x83\x42", -1},
                      // A lone lead byte at the end counts as its own byte value.
                      CompareCase{"a\x83", "a\x83\x41", -1}, CompareCase{"a\x83", "a\x82", 1},
                      CompareCase{"a\x83", "aZ", 1}));

TEST(WithoutLoneLeadByte, DropsOnlyALeadByteAtTheEnd) {
    EXPECT_EQ("ab", tarnwick::WithoutLoneLeadByte("ab\x83"));
    EXPECT_EQ("ab\x83\x41", tarnwick::WithoutLoneLeadByte("ab\x83\x41"));
    EXPECT_EQ("\x83\x41", tarnwick::WithoutLoneLeadByte("\x83\x41\x83"));
    EXPECT_EQ("", tarnwick::WithoutLoneLeadByte("\x83"));
    EXPECT_EQ("a\xB1", tarnwick::WithoutLoneLeadByte("a\xB1")) << "half-width katakana is no lead byte";
}
