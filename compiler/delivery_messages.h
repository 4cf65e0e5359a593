#pragma once
// The texts delivery prints: verdicts, failure reports and the failing entity.

#include <cstdint>

#include "console.h"

namespace zefr::delivery {

// What a report is about.
enum class Subject { kConnect, kCommunicate, kAllocate };

// Report codes beyond the completion codes 0 to 255.
inline constexpr int kSystemFailure = -1;
inline constexpr int kLibraryFailure = -2;

// Prints the message for a completion code or a failure marker, then an
// empty line. Takes the thread's last-error code (and errno) before printing.
void Report(Console& out, int code, Subject subject);

// Prints the entity and parameter a failing-entity word names, if it names one.
void PrintFailingEntity(Console& out, std::uint16_t word);

}  // namespace zefr::delivery
