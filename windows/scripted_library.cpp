// A stand-in for ZefrComm.dll that answers as $ZEFR_SCRIPT says, so that
// delivery runs through the real LoadLibraryA, GetProcAddress by ordinal,
// FreeLibrary and the shared thread last-error code:
//   accept  - completion code 0
//   refuse  - completion code 3; the failure query names VoltageMonitor3, parameter 29
//   fail    - the call fails with ERROR_TIMEOUT
// $ZEFR_SCRIPT_RECORD names a file that receives every request, one after the other.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" BOOL ZefrCommand(const unsigned char* request, unsigned requestLength, unsigned char* response,
                            unsigned responseLength) {
  if (const char* record = std::getenv("ZEFR_SCRIPT_RECORD")) {
    if (std::FILE* f = std::fopen(record, "ab")) {
      std::fwrite(request, 1, requestLength, f);
      std::fclose(f);
    }
  }
  const char* script = std::getenv("ZEFR_SCRIPT");
  if (script == nullptr || std::strcmp(script, "fail") == 0) {
    ::SetLastError(ERROR_TIMEOUT);
    return FALSE;
  }
  if (responseLength == 0) return TRUE;
  std::memset(response, 0, responseLength);
  const bool refuse = std::strcmp(script, "refuse") == 0;
  if (request[0] == 3) response[0] = refuse ? 3 : 0;
  if (request[0] == 0 && responseLength >= 6) {
    response[4] = 0x27;
    response[5] = 0x1D;
  }
  return TRUE;
}
