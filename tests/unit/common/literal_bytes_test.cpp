#include <gtest/gtest.h>

#include <string>

TEST(JapaneseLiterals, CompileToCodePage932Bytes) {
    const std::string inbox = "受信箱";
    EXPECT_EQ(std::string("\x8E\xF3\x90\x4D\x94\xA0"), inbox);
    const std::string caption = "フォルダ検索";
    EXPECT_EQ(std::string("\x83\x74\x83\x48\x83\x8B\x83\x5F\x8C\x9F\x8D\xF5"), caption);
}
