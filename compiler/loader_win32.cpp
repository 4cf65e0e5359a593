// The Windows loader: the platform does all of it.

#include <windows.h>

#include "loader.h"

namespace zefr::loader {

const char kLinkLibraryFile[] = "ZefrComm.dll";

// The module handle is the library.
Library* Load(const char* fileName) { return reinterpret_cast<Library*>(::LoadLibraryA(fileName)); }

void* EntryByOrdinal(Library* library, unsigned ordinal) {
  return reinterpret_cast<void*>(
      ::GetProcAddress(reinterpret_cast<HMODULE>(library), MAKEINTRESOURCEA(ordinal)));
}

void Free(Library* library) {
  if (library != nullptr) ::FreeLibrary(reinterpret_cast<HMODULE>(library));
}

// Caller and library share the thread's last-error code.
void AdoptLastError(Library*) {}

}  // namespace zefr::loader
