#pragma once
// Loading a library at run time and binding its entries by ordinal. POSIX:
// dlopen and the library's ordinal table (loader_posix.cpp); Windows:
// LoadLibraryA and GetProcAddress (loader_win32.cpp). Failures set the
// thread's last-error code to a Windows error number, as Windows does.

#include <cstdint>

namespace zefr::loader {

struct Library;  // opaque module handle

// The file name of the link library on this platform.
extern const char kLinkLibraryFile[];

// POSIX: where an installed link library lives, relative to the directory of
// the installed program (a private folder, so no other program finds it).
extern const char kInstalledLibraryDir[];

// Loads by plain file name: the directory of the running program first, then
// (POSIX) kInstalledLibraryDir, then the system's search. Fails when the
// library's load entry fails.
Library* Load(const char* fileName);
// The entry exported as `ordinal`, or nullptr.
void* EntryByOrdinal(Library* library, unsigned ordinal);
void Free(Library* library);
// After a failed call into the library: takes the library's last-error code
// for this thread as ours (nothing to do where both share one).
void AdoptLastError(Library* library);

}  // namespace zefr::loader
