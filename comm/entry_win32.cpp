// The library's load and unload entry on Windows. A failed process attach
// makes LoadLibraryA fail, which is how a missing device reaches the caller.

#include <windows.h>

#include "library.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      return zefr::comm::ProcessAttach() == 0 ? TRUE : FALSE;
    case DLL_PROCESS_DETACH:
      zefr::comm::ProcessDetach();
      return TRUE;
    default:  // thread attach and detach: nothing to do
      return TRUE;
  }
}
