// The load and unload entry and the export ordinals, where ELF has neither.

#include "ZefrComm.h"
#include "library.h"
#include "win_error.h"

namespace {

// Runs inside dlopen, where a Windows library's process attach runs. It
// cannot make dlopen fail, so the loader asks attachResult() right after.
__attribute__((constructor)) void OnLoad() { zefr::comm::ProcessAttach(); }

__attribute__((destructor)) void OnUnload() { zefr::comm::ProcessDetach(); }

uint32_t TableAttachResult() { return zefr::comm::AttachResult(); }
uint32_t TableLastError() { return zefr::win::LastError(); }

}  // namespace

extern "C" ZEFRCOMM_API const ZefrCommOrdinalTable ZefrCommOrdinals = {
    sizeof(ZefrCommOrdinalTable),
    2,
    &TableAttachResult,
    &TableLastError,
    {nullptr, reinterpret_cast<ZefrCommProc>(&ZefrCommand)},
};
