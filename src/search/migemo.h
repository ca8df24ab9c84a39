#pragma once
// The process's C/Migemo ("MatchMigemo"): the library and its dictionary,
// loaded on a thread of their own so that no opening of the dialog waits for
// them, and used on the user-interface thread once ready.

#include <windows.h>

#include <string>

namespace tarnwick {

// Start: when "MatchMigemo" is on, starts loading the library and its
// dictionary on a thread of its own; nothing when it is off. Where no thread
// can be started (out of memory), the key acts as 0.
void StartMigemo() noexcept;

// How long exit waits for a loader still inside migemo_open: no longer than
// for the catalogue's threads.
constexpr DWORD kMigemoStopMilliseconds = 5000;

// Exit: waits for the loader, at most timeoutMilliseconds, then closes and
// unloads the library on this thread. A loader still busy then closes and
// unloads what it loaded itself when it is done (its thread keeps the
// plug-in's module referenced until then) and publishes nothing.
void StopMigemo(DWORD timeoutMilliseconds = kMigemoStopMilliseconds) noexcept;

// User-interface thread: whether the dictionary is ready.
bool MigemoReady() noexcept;

// User-interface thread: the pattern query expands into (see
// MigemoLibrary::Query); empty when not ready.
std::string MigemoQuery(const std::string& query);

// The window that hears `message` (posted, wParam and lParam 0) once, when
// the dictionary becomes ready; null to stop. Set when it is ready already,
// it hears nothing.
void SetMigemoListener(HWND window, UINT message) noexcept;

}  // namespace tarnwick
