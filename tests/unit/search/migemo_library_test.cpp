#include "support/migemo_support.h"

#include "search/migemo_library.h"
#include "search/migemo_syntax.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

using migemo_testing::TestDll;
using testing_support::TempDir;

namespace {

std::uintptr_t StackPointer() {
    std::uintptr_t value = 0;
#if defined(__i386__)
    __asm__ volatile("movl %%esp, %0" : "=r"(value));
#elif defined(__x86_64__)
    __asm__ volatile("movq %%rsp, %0" : "=r"(value));
#endif
    return value;
}

// Each build of migemo.dll this process can load: on i686 one exports cdecl
// functions, the other __stdcall ones, and neither may unbalance the stack.
class MigemoLibraryConventions : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        library = TestDll(GetParam());
        dictionary = temp.path() + "migemo-dict";
        migemo_testing::WriteTestDictionary(temp.path());
    }
    TempDir temp;
    std::string library;
    std::string dictionary;
};

TEST_P(MigemoLibraryConventions, ExpandsRomajiAndKeepsTheStackBalanced) {
    std::unique_ptr<tarnwick::MigemoLibrary> migemo = tarnwick::MigemoLibrary::Load(library, dictionary);
    ASSERT_TRUE(migemo);
    ASSERT_TRUE(migemo_testing::Loaded(library));
    for (int i = 0; i < 200; ++i) {
        const std::uintptr_t before = StackPointer();
        const std::string pattern = migemo->Query("jushin");
        const std::uintptr_t after = StackPointer();
        ASSERT_EQ(before, after) << "call " << i;
        ASSERT_EQ(migemo_testing::JushinPattern(), pattern) << "call " << i;
    }
    migemo.reset();
    EXPECT_FALSE(migemo_testing::Loaded(library)) << "migemo_close, then FreeLibrary";
}

TEST_P(MigemoLibraryConventions, QueriesItCannotPassSafelyGiveNothing) {
    std::unique_ptr<tarnwick::MigemoLibrary> migemo = tarnwick::MigemoLibrary::Load(library, dictionary);
    ASSERT_TRUE(migemo);
    const std::string refused[] = {
        std::string("ju\0shin", 7),  // C/Migemo would see "ju"
        std::string("ju") + tarnwick::kMigemoOr + "shin",  // would read as an operator of the pattern
        std::string("ju") + tarnwick::kMigemoSelectOut,
    };
    for (const std::string& query : refused) EXPECT_EQ("", migemo->Query(query)) << query.size();
}

INSTANTIATE_TEST_SUITE_P(Builds, MigemoLibraryConventions, ::testing::ValuesIn(migemo_testing::kOwnVariants),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             for (char& c : name) {
                                 if (c == '-') c = '_';
                             }
                             return name;
                         });

}  // namespace
