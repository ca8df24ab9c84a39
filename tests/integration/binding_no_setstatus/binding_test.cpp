// This host exports every BKA_* function but BKA_SetStatus.
#include "support/plugin_fixture.h"

#include <gtest/gtest.h>

using testing_support::PluginHostTest;

struct VersionCase {
    const char* version;
    bool loads;
};

class NoSetStatusHostTest : public PluginHostTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(NoSetStatusHostTest, LoadsOnlyForHostsOlderThan20006) {
    standin::Host().version = GetParam().version;
    EXPECT_EQ(GetParam().loads, LoadPlugin()) << GetParam().version;
}

INSTANTIATE_TEST_SUITE_P(Versions, NoSetStatusHostTest,
                         ::testing::Values(VersionCase{"2.00.05", true}, VersionCase{"1.26.04", true},
                                           VersionCase{"2.00.06", false}, VersionCase{"2.01", false},
                                           // Longer than seven characters: new whatever it says.
                                           VersionCase{"10.00.00", false}, VersionCase{"1.00.000", false}));
