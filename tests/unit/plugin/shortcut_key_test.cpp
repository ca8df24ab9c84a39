#include "plugin/menu.h"

#include <gtest/gtest.h>

using tarnwick::CurrentShortcutKey;
using tarnwick::ParseShortcutKey;

struct ShortcutCase {
    const char* text;
    bool valid;
    int shiftCode;
    int keyCode;  // checked only when valid
};

class ShortcutKeyTest : public ::testing::TestWithParam<ShortcutCase> {};

TEST_P(ShortcutKeyTest, Parses) {
    const ShortcutCase& c = GetParam();
    CurrentShortcutKey() = tarnwick::ShortcutKey{};
    CurrentShortcutKey().keyCode = 12345;
    EXPECT_EQ(c.valid, ParseShortcutKey(c.text)) << c.text;
    EXPECT_EQ(c.shiftCode, CurrentShortcutKey().shiftCode) << c.text;
    // An invalid text leaves the key code as it was.
    EXPECT_EQ(c.valid ? c.keyCode : 12345, CurrentShortcutKey().keyCode) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ShortcutKeyTest,
    ::testing::Values(ShortcutCase{"Ctrl+Shift+F", true, 96, 70},
                      ShortcutCase{"Ctrl+F1", true, 32, 112},
                      ShortcutCase{"Shift+F12", true, 64, 123},
                      ShortcutCase{"F5", true, 0, 116},
                      ShortcutCase{"A", true, 0, 65},
                      ShortcutCase{"7", true, 0, 55},
                      ShortcutCase{"Alt+F4", true, 254, 115},
                      ShortcutCase{"Ctrl+F01", true, 32, 112},
                      ShortcutCase{"Shift+Ctrl+F", false, 64, 0},
                      ShortcutCase{"ctrl+shift+f", false, 0, 0},
                      ShortcutCase{"Ctrl+a", false, 32, 0},
                      ShortcutCase{"Ctrl+", false, 32, 0},
                      ShortcutCase{"F13", false, 0, 0},
                      ShortcutCase{"F0", false, 0, 0},
                      ShortcutCase{"FF", false, 0, 0},
                      ShortcutCase{"F-1", false, 0, 0},
                      ShortcutCase{"G1", false, 0, 0},
                      ShortcutCase{"", false, 0, 0},
                      ShortcutCase{"Ctrl+\x82\x60", false, 32, 0}));

TEST(ShortcutKey, NullTextIsInvalid) { EXPECT_FALSE(ParseShortcutKey(nullptr)); }
