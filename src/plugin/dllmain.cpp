#include "binding/host_api.h"
#include "binding/plugin_paths.h"

#include <windows.h>

#if defined(__GNUC__) && defined(__i386__) && !defined(__SEH__) && !defined(__USING_SJLJ_EXCEPTIONS__)
// 32-bit MinGW unwinds with DWARF tables, which the unwinder that throws must
// have registered. The toolchain's start-up code hands this module's tables
// to the shared unwinder DLL (libgcc_s_dw2-1.dll) instead of the static one
// linked in here whenever another module of the host has loaded that DLL;
// every throw in the plug-in would then end in std::terminate. So the module
// registers its tables with its own unwinder whenever that one lacks them.

// The start of this module's tables. This object is the first one linked into
// the DLL; the tables run on to the terminator that the toolchain's last
// start-up object puts at their end.
asm(".section .eh_frame,\"dr\"\n"
    "\t.balign 4\n"
    "_tarnwick_unwind_tables:\n"
    "\t.text\n");

extern "C" {
extern const char tarnwick_unwind_tables[];
void __register_frame_info(const void* tables, void* object);
void* __deregister_frame_info(const void* tables);
const void* _Unwind_Find_FDE(void* address, void* bases);
}

namespace {

// The unwinder's bookkeeping for the tables (libgcc's struct object: six
// pointers), with room to spare.
void* g_unwindObject[16];
bool g_tablesRegistered = false;

void RegisterOwnUnwindTables() noexcept {
    void* bases[3] = {};
    if (_Unwind_Find_FDE(reinterpret_cast<void*>(&RegisterOwnUnwindTables), bases)) return;
    __register_frame_info(tarnwick_unwind_tables, g_unwindObject);
    g_tablesRegistered = true;
}

// Frees what the unwinder allocated for the tables.
void DeregisterOwnUnwindTables() noexcept {
    if (g_tablesRegistered) __deregister_frame_info(tarnwick_unwind_tables);
    g_tablesRegistered = false;
}

}  // namespace
#else
namespace {
void RegisterOwnUnwindTables() noexcept {}
void DeregisterOwnUnwindTables() noexcept {}
}  // namespace
#endif

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    tarnwick::SetPluginModule(module);
    if (reason == DLL_PROCESS_DETACH) DeregisterOwnUnwindTables();
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    RegisterOwnUnwindTables();
    if (!tarnwick::BindHostApi()) return FALSE;
    tarnwick::DeriveIniFilePath(module);
    return TRUE;
}
