#include "binding/host_api.h"

#include "host_model.h"

#include <gtest/gtest.h>

using tarnwick::CHostApi;
using tarnwick::HostApi;

namespace {

LPCSTR WINAPI NullText() { return nullptr; }
LPCSTR WINAPI NullDisplayName(LPCSTR) { return nullptr; }

class HostBindingTest : public ::testing::Test {
protected:
    void SetUp() override {
        HostApi() = CHostApi{};
        standin::ResetHost();
    }
    void TearDown() override { HostApi() = CHostApi{}; }
};

}  // namespace

TEST_F(HostBindingTest, BindsEveryFunctionOfAFullHost) {
    ASSERT_TRUE(tarnwick::BindHostApiTo(GetModuleHandleA(nullptr)));
    const CHostApi& api = HostApi();
    EXPECT_EQ(GetModuleHandleA(nullptr), api.hostModule);
    // First, last required and an optional entry.
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(nullptr), "BKA_GetVersion")),
              reinterpret_cast<void*>(api.BKA_GetVersion));
    EXPECT_NE(nullptr, api.BKA_Connect);
    EXPECT_NE(nullptr, api.BKA_SetStatus);
    EXPECT_NE(nullptr, api.BKA_MoveMessages);
    EXPECT_NE(nullptr, api.BKA_ProcessMail);
}

TEST_F(HostBindingTest, SecondBindReturnsTrueWithoutLookingUpAgain) {
    HostApi().hostModule = GetModuleHandleA(nullptr);
    EXPECT_TRUE(tarnwick::BindHostApi());
    EXPECT_EQ(nullptr, HostApi().BKA_GetVersion);
}

TEST_F(HostBindingTest, ModuleWithoutHostFunctionsIsRefused) {
    EXPECT_FALSE(tarnwick::BindHostApiTo(GetModuleHandleA("kernel32.dll")));
    EXPECT_EQ(nullptr, HostApi().hostModule);
    EXPECT_FALSE(tarnwick::BindHostApiTo(nullptr));
}

TEST_F(HostBindingTest, NullTextsFromTheHostReadAsEmpty) {
    HostApi().BKA_GetDataFolder = NullText;
    HostApi().BKA_GetCurrentMailBox = NullText;
    HostApi().BKA_GetFolderDisplayName = NullDisplayName;
    EXPECT_EQ("", tarnwick::HostDataFolder());
    EXPECT_EQ("", tarnwick::HostCurrentMailBox());
    EXPECT_EQ("", tarnwick::HostFolderDisplayName("MB1\\Work\\"));
}

TEST_F(HostBindingTest, MissingEntriesAnswerEmptyAndDoNothing) {
    EXPECT_EQ("", tarnwick::HostDataFolder());
    EXPECT_EQ(0u, tarnwick::HostRegisterCommand("x", 0, nullptr));
    tarnwick::HostSetCurrentFolder("MB1\\Work\\");
    tarnwick::HostMoveSelectedMessages("MB1\\Work\\", true);
    const tarnwick::HostWindows windows = tarnwick::HostWindowHandles();
    EXPECT_EQ(nullptr, windows.main);
    EXPECT_EQ(nullptr, windows.list);
}
