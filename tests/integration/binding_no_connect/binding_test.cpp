// This host lacks BKA_Connect, the last required function.
#include "support/plugin_fixture.h"

#include <gtest/gtest.h>

using testing_support::PluginHostTest;

class NoConnectHostTest : public PluginHostTest {};

TEST_F(NoConnectHostTest, IsRefused) {
    standin::Host().version = "2.00.05";
    EXPECT_FALSE(LoadPlugin());
}
