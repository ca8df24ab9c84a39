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
                      UpperCase{"\x88\x61", "\x88\x61"}));

TEST(CopyTruncated, CutsAndAlwaysTerminates) {
    char buffer[5];
    EXPECT_EQ(4u, CopyTruncated(buffer, sizeof(buffer), "abcdefg"));
    EXPECT_STREQ("abcd", buffer);
    EXPECT_EQ(0u, CopyTruncated(buffer, sizeof(buffer), nullptr));
    EXPECT_STREQ("", buffer);
    EXPECT_EQ(0u, CopyTruncated(buffer, 0, "x"));
}
