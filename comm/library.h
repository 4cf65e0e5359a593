#pragma once
// The library's process-wide state, shared by the exported entry and the
// platform's load and unload entry.

#include <cstdint>

namespace zefr::comm {

// Process attach: finds the device and creates the lock. Returns 0, or the
// error the failed load reports.
std::uint32_t ProcessAttach();
// Process detach: closes the connection and the lock.
void ProcessDetach();
// What ProcessAttach returned; nonzero also before it ran.
std::uint32_t AttachResult();

}  // namespace zefr::comm
