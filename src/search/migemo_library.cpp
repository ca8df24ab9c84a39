#include "search/migemo_library.h"

#include "search/migemo_syntax.h"

#include <cstdint>
#include <iterator>
#include <type_traits>
#include <utility>

namespace tarnwick {
namespace {

#if defined(__i386__) || defined(_M_IX86)

// What one call into the library needs, in memory the thunk reads.
struct CallFrame {
    FARPROC function;
    std::uintptr_t arguments[3];
};

// Calls frame.function with three arguments, whatever it pops. Nothing tells
// whether a 32-bit migemo.dll is cdecl (the caller pops) or __stdcall (the
// callee pops as many arguments as it declares), so the stack pointer is
// kept in ESI, which both preserve, and put back after the call; arguments
// beyond those declared are ignored by either. Not inlined: nothing of the
// caller then lives in a register across the call.
#if defined(__GNUC__)
__attribute__((noinline)) std::uintptr_t CallAnyConvention(const CallFrame& frame) noexcept {
    std::uintptr_t result;
    __asm__ volatile(
        "movl %%esp, %%esi\n\t"
        "andl $-16, %%esp\n\t"  // the callee finds the stack aligned as at any call
        "subl $4, %%esp\n\t"
        "pushl 12(%1)\n\t"
        "pushl 8(%1)\n\t"
        "pushl 4(%1)\n\t"
        "call *(%1)\n\t"
        "movl %%esi, %%esp"
        : "=a"(result)
        : "r"(&frame)
        : "ecx", "edx", "esi", "memory", "cc");
    return result;
}
#elif defined(_MSC_VER)
__declspec(noinline) std::uintptr_t CallAnyConvention(const CallFrame& frame) noexcept {
    const CallFrame* pointer = &frame;
    std::uintptr_t result;
    __asm {
        mov ecx, pointer
        mov esi, esp
        and esp, -16
        sub esp, 4
        push dword ptr [ecx + 12]
        push dword ptr [ecx + 8]
        push dword ptr [ecx + 4]
        call dword ptr [ecx]
        mov esp, esi
        mov result, eax
    }
    return result;
}
#else
#error "a 32-bit build needs the call thunk for this compiler"
#endif

template <typename T>
std::uintptr_t ToWord(T value) noexcept {
    if constexpr (std::is_pointer_v<T>) {
        return reinterpret_cast<std::uintptr_t>(value);
    } else {
        return static_cast<std::uintptr_t>(value);
    }
}

#endif

// Every call into the library goes through here.
template <typename Result, typename... Args>
Result CallExport(FARPROC function, Args... args) noexcept {
#if defined(__i386__) || defined(_M_IX86)
    static_assert(sizeof...(Args) <= 3, "the thunk passes three arguments");
    const CallFrame frame{function, {ToWord(args)...}};
    const std::uintptr_t result = CallAnyConvention(frame);
    if constexpr (std::is_pointer_v<Result>) {
        return reinterpret_cast<Result>(result);
    } else if constexpr (!std::is_void_v<Result>) {
        return static_cast<Result>(result);
    }
#else
    // One calling convention on x86-64.
    using Function = Result (*)(Args...);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(function))(args...);
#endif
}

constexpr int kOperatorIndexOr = 0;  // C/Migemo's MIGEMO_OPINDEX_* order
constexpr char kOperators[][2] = {{kMigemoOr, '\0'},        {kMigemoNestIn, '\0'},    {kMigemoNestOut, '\0'},
                                  {kMigemoSelectIn, '\0'}, {kMigemoSelectOut, '\0'}, {'\0', '\0'}};

// Keeps the system's "cannot find" and "insert a disk" boxes away while the
// library and its files load.
class QuietErrors {
public:
    QuietErrors() noexcept
        : changed_(SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_) != FALSE) {}
    ~QuietErrors() {
        if (changed_) SetThreadErrorMode(previous_, nullptr);
    }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;

private:
    DWORD previous_ = 0;
    bool changed_;
};

}  // namespace

MigemoLibrary::MigemoLibrary(UniqueModule module, const Functions& functions) noexcept
    : module_(std::move(module)), functions_(functions) {}

MigemoLibrary::~MigemoLibrary() {
    if (object_) CallExport<void>(functions_.close, object_);
}

std::unique_ptr<MigemoLibrary> MigemoLibrary::Load(const std::string& libraryPath,
                                                   const std::string& dictionaryPath) {
    const QuietErrors quiet;
    UniqueModule module(LoadLibraryExA(libraryPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module) return nullptr;
    Functions functions;
    const std::pair<FARPROC*, const char*> wanted[] = {
        {&functions.open, "migemo_open"},       {&functions.close, "migemo_close"},
        {&functions.query, "migemo_query"},     {&functions.release, "migemo_release"},
        {&functions.setOperator, "migemo_set_operator"}, {&functions.isEnable, "migemo_is_enable"},
    };
    for (const auto& function : wanted) {
        *function.first = GetProcAddress(module.get(), function.second);
        if (!*function.first) return nullptr;
    }
    std::unique_ptr<MigemoLibrary> library(new MigemoLibrary(std::move(module), functions));
    library->object_ = CallExport<void*>(functions.open, dictionaryPath.c_str());
    if (!library->object_ || CallExport<int>(functions.isEnable, library->object_) == 0) return nullptr;
    for (int index = 0; index < static_cast<int>(std::size(kOperators)); ++index) {
        const int set = CallExport<int>(functions.setOperator, library->object_, kOperatorIndexOr + index,
                                        kOperators[index]);
        if (set == 0) return nullptr;
    }
    return library;
}

std::string MigemoLibrary::Query(const std::string& query) const {
    if (query.empty()) return std::string();  // C/Migemo reads past the end of an empty query
    for (const char c : query) {
        if (c == '\0' || (c >= kMigemoOr && c <= kMigemoSelectOut)) return std::string();
    }
    // C/Migemo may step two bytes over a last byte it takes for a lead byte:
    // the NULs after the query keep that within the buffer.
    const std::string terminated = query + std::string(3, '\0');
    unsigned char* pattern = CallExport<unsigned char*>(functions_.query, object_, terminated.c_str());
    if (!pattern) return std::string();
    std::string copy;
    try {
        copy = reinterpret_cast<const char*>(pattern);
    } catch (...) {
        CallExport<void>(functions_.release, object_, pattern);
        throw;
    }
    CallExport<void>(functions_.release, object_, pattern);
    return copy;
}

}  // namespace tarnwick
