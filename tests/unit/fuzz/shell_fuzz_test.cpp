// Campaigns over the plug-in's parsers: shortcut texts and module paths.
#include "plugin/menu.h"
#include "binding/plugin_paths.h"
#include "support/fuzz.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using testing_support::DescribeCase;
using testing_support::FuzzRandom;
using testing_support::PlanCampaign;

TEST(ShellFuzz, ShortcutTextsParseConsistently) {
    const auto plan = PlanCampaign(20000);
    FuzzRandom random(plan.seed);
    for (long i = 0; i < plan.cases; ++i) {
        const std::string text = random.Text(24);
        tarnwick::CurrentShortcutKey() = tarnwick::ShortcutKey{};
        const bool valid = tarnwick::ParseShortcutKey(text.c_str());
        const tarnwick::ShortcutKey& key = tarnwick::CurrentShortcutKey();
        if (!valid) continue;
        // A valid text names a letter, a digit or F1 to F12, with one of the four shift states.
        const bool letterOrDigit = (key.keyCode >= 'A' && key.keyCode <= 'Z') || (key.keyCode >= '0' && key.keyCode <= '9');
        ASSERT_TRUE(letterOrDigit || (key.keyCode >= 112 && key.keyCode <= 123)) << DescribeCase(plan, i);
        ASSERT_TRUE(key.shiftCode == 0 || key.shiftCode == 32 || key.shiftCode == 64 || key.shiftCode == 96 ||
                    key.shiftCode == 254)
            << DescribeCase(plan, i);
    }
}

TEST(ShellFuzz, IniPathsFitTheBufferOrAreRefused) {
    const auto plan = PlanCampaign(20000);
    FuzzRandom random(plan.seed + 1);
    for (long i = 0; i < plan.cases; ++i) {
        const std::string path = random.Text(random.OneIn(4) ? 400 : 280);
        const bool derived = tarnwick::SetIniFilePathFromModulePath(path.c_str());
        const std::size_t length = std::strlen(tarnwick::IniFilePath());
        ASSERT_LT(length, static_cast<std::size_t>(MAX_PATH)) << DescribeCase(plan, i);
        if (derived) {
            ASSERT_GE(length, 4u);
            ASSERT_EQ(0, std::strcmp(tarnwick::IniFilePath() + length - 4, ".ini")) << DescribeCase(plan, i);
            // Everything before ".ini" is a prefix of the module path.
            ASSERT_EQ(0, path.compare(0, length - 4, tarnwick::IniFilePath(), length - 4)) << DescribeCase(plan, i);
        } else {
            ASSERT_EQ(0u, length) << DescribeCase(plan, i);
        }
    }
}
