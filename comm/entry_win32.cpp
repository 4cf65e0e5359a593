// The load and unload entry on Windows; ZefrComm.def gives the ordinal.

#include <windows.h>

#include "library.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      // FALSE makes LoadLibraryA fail: no device, no library.
      return zefr::comm::ProcessAttach() == 0 ? TRUE : FALSE;
    case DLL_PROCESS_DETACH:
      zefr::comm::ProcessDetach();
      break;
    default:
      break;
  }
  return TRUE;
}
