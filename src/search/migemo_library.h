#pragma once
// One loaded C/Migemo library (migemo.dll) with its dictionary open.

#include "common/unique_handle.h"

#include <windows.h>

#include <memory>
#include <string>

namespace tarnwick {

class MigemoLibrary {
public:
    // Loads the DLL from libraryPath, a full path (never through the DLL
    // search path; its own dependencies come from its folder), and opens the
    // dictionary at dictionaryPath with the operators of migemo_syntax.h.
    // Null, with nothing left loaded, when the DLL does not load (absent, of
    // the other architecture), lacks one of the functions used, or reads no
    // dictionary; the system shows no error box meanwhile. In a 32-bit
    // process the DLL's functions may be cdecl (MinGW builds) or __stdcall
    // (MSVC builds of C/Migemo 1.3 and later): both work.
    static std::unique_ptr<MigemoLibrary> Load(const std::string& libraryPath, const std::string& dictionaryPath);

    // migemo_close, then FreeLibrary.
    ~MigemoLibrary();
    MigemoLibrary(const MigemoLibrary&) = delete;
    MigemoLibrary& operator=(const MigemoLibrary&) = delete;

    // The pattern C/Migemo expands query into (the caller lower-cases ASCII
    // letters: C/Migemo starts a new word at each upper-case one); empty for
    // an empty query, one holding a NUL or an operator character, or when
    // C/Migemo gives none. One thread at a time.
    std::string Query(const std::string& query) const;

private:
    struct Functions {
        FARPROC open = nullptr;
        FARPROC close = nullptr;
        FARPROC query = nullptr;
        FARPROC release = nullptr;
        FARPROC setOperator = nullptr;
        FARPROC isEnable = nullptr;
    };

    MigemoLibrary(UniqueModule module, const Functions& functions) noexcept;

    UniqueModule module_;
    Functions functions_;
    void* object_ = nullptr;  // the migemo object, closed before the module goes
};

}  // namespace tarnwick
