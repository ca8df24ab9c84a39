// The 32-bit toolchain unwinds with DWARF tables. Its start-up code hands a
// module's tables to the toolchain's shared unwinder DLL when some other
// module of the process has already loaded it; the plug-in's own (static)
// unwinder must still find them, or every throw inside it ends the host.
#include "support/plugin_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#if !defined(_WIN64)

using testing_support::PluginHostTest;

namespace {

constexpr SIZE_T kFolderListBytes = 16 << 20;
constexpr SIZE_T kSmallestReservedBytes = 1 << 20;

// Reserves every free stretch of the address space of at least the given
// size, so that no allocation of that size can succeed until destruction.
class ExhaustedAddressSpace {
public:
    explicit ExhaustedAddressSpace(SIZE_T smallest) {
        reserved_.reserve(4096);
        SYSTEM_INFO system{};
        GetSystemInfo(&system);
        const auto granularity = static_cast<ULONG_PTR>(system.dwAllocationGranularity);
        auto at = reinterpret_cast<ULONG_PTR>(system.lpMinimumApplicationAddress);
        const auto end = reinterpret_cast<ULONG_PTR>(system.lpMaximumApplicationAddress);
        MEMORY_BASIC_INFORMATION region{};
        while (at < end && reserved_.size() < reserved_.capacity() &&
               VirtualQuery(reinterpret_cast<void*>(at), &region, sizeof region) == sizeof region) {
            const auto base = reinterpret_cast<ULONG_PTR>(region.BaseAddress);
            const ULONG_PTR next = base + region.RegionSize;
            const ULONG_PTR first = (base + granularity - 1) / granularity * granularity;
            if (region.State == MEM_FREE && next > first && next - first >= smallest) {
                void* block = VirtualAlloc(reinterpret_cast<void*>(first), next - first, MEM_RESERVE, PAGE_NOACCESS);
                if (block) reserved_.push_back(block);
            }
            at = next;
        }
    }
    ~ExhaustedAddressSpace() {
        for (void* block : reserved_) VirtualFree(block, 0, MEM_RELEASE);
    }
    ExhaustedAddressSpace(const ExhaustedAddressSpace&) = delete;
    ExhaustedAddressSpace& operator=(const ExhaustedAddressSpace&) = delete;

private:
    std::vector<void*> reserved_;
};

}  // namespace

class ForeignUnwinderTest : public PluginHostTest, public ::testing::WithParamInterface<bool> {};

// The catalogue reads a "Folder.lst" whole: with no room for it the read
// throws std::bad_alloc inside the plug-in, and BKC_OnStart catches it.
TEST_P(ForeignUnwinderTest, ExceptionInsideThePluginIsCaught) {
    const bool foreignUnwinder = GetParam();
    HMODULE unwinder = nullptr;
    if (foreignUnwinder) {
        // From the toolchain, beside this program, as another plug-in of the host would bring it.
        unwinder = LoadLibraryA("libgcc_s_dw2-1.dll");
        ASSERT_NE(nullptr, unwinder);
    }
    WriteIni("[Config]\r\nUseUpateThread=0\r\nUseCache=1\r\n");
    testing_support::MakeDirs(dataFolder, "MB1\\Work");
    std::string lines;
    while (lines.size() < kFolderListBytes) lines += "Work\r\n";
    testing_support::WriteFileBytes(dataFolder + "MB1\\Folder.lst", lines);
    lines = std::string();
    ASSERT_TRUE(LoadPlugin());
    {
        ExhaustedAddressSpace exhausted(kSmallestReservedBytes);
        void* room = std::malloc(kFolderListBytes);
        std::free(room);
        ASSERT_EQ(nullptr, room) << "the plug-in's read of the list file would not fail";
        EXPECT_EQ(0, plugin.OnStart());
    }
    HMENU menu = testing_support::MakeHostMenu();
    EXPECT_EQ(0, plugin.OnMenuInit(nullptr, menu, 0));
    ExitAndUnload();
    DestroyMenu(menu);
    EXPECT_NE(std::string::npos, IniText().find("ShortCutKey=Ctrl+Shift+F\r\n")) << IniText();
    if (unwinder) FreeLibrary(unwinder);
}

// Without the shared unwinder first, then with it: once loaded it stays for
// every later load of the plug-in in this process.
INSTANTIATE_TEST_SUITE_P(Hosts, ForeignUnwinderTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "WithSharedUnwinderLoaded" : "Alone");
                         });

#endif
