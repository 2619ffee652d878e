// The run-time loader: libraries loaded, looked into and released by the
// calling program while it runs, over the system's dynamic linker.
//
// A module handle (HMODULE, HINSTANCE) is the address at which the module's
// file is mapped: the same value whether it comes from LoadLibraryA or from
// GetModuleHandleFromAddress on one of the module's own functions, so a
// module's resources and its loader handle agree.
//
// Where a bare name is looked for. A name without a slash is a bare name: "X"
// is looked for as the files libX.so and then X.so in each place in turn (a
// name that already ends in ".so" or holds ".so." is looked for only as given;
// a trailing ".dll" is dropped). The places, in order:
//   - when the environment variable QVDLL_LIBRARY_PATH is set and not empty,
//     only its colon-separated folders, in the order given;
//   - otherwise
//       1. the folder of the running executable,
//       2. the folder of libqvplatform.so itself, so a module installed beside
//          the platform layer is found,
//       3. the qvdll/ folder inside that one, where the library's own modules
//          are installed,
//       4. the system's own search (LD_LIBRARY_PATH, the run path, the
//          ld.so cache, the default folders),
//       5. the current folder, last and never first.
// The first file found is the one loaded; if it exists but cannot be loaded,
// the load fails rather than going on to a file elsewhere. A name with a slash
// is a path and is opened as given (a relative path from the current folder).
// QVDLL_LIBRARY_PATH is read at every call.
#pragma once

#include "qvplatform/types.h"

// Reasons passed to a library's entry point.
constexpr DWORD DLL_PROCESS_DETACH = 0;
constexpr DWORD DLL_PROCESS_ATTACH = 1;
constexpr DWORD DLL_THREAD_ATTACH = 2;
constexpr DWORD DLL_THREAD_DETACH = 3;

// Loads a library (or counts one more use of one already loaded through here)
// and runs its start-up code. Null when it is not found or cannot be loaded.
// Every successful call is matched by one FreeLibrary.
QVP_API HMODULE LoadLibraryA(LPCSTR lpLibFileName);

// The address of a function exported by the module itself (not by the
// libraries it depends on). Null for a handle not loaded through
// LoadLibraryA or already freed, and for a missing name. There are no
// ordinals: a number in place of a name gives null.
QVP_API FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);

// Ends one use of a library loaded with LoadLibraryA; the last one unloads it
// and runs its clean-up code. FALSE, touching nothing, for a null, unknown or
// already freed handle.
QVP_API BOOL FreeLibrary(HMODULE hLibModule);

// The full path of a loaded module's file (null: the executable's). Returns
// the number of characters written without the terminator; when the buffer is
// too small the path is cut to fit, terminated, and nSize is returned. Zero
// for a handle that names no loaded module.
QVP_API DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);

// The handle of the loaded module whose code or data holds `address`, without
// counting a use; null when no module holds it. A module finds its own
// instance handle this way.
QVP_API HMODULE GetModuleHandleFromAddress(LPCVOID address);
