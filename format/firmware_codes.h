#pragma once
// The firmware's command and completion codes: what the compiler sends and
// reads back, and what the simulator answers.

#include <cstdint>

namespace zefr::firmware {

// First byte of a request.
enum Command : std::uint8_t { kFailureQuery = 0, kPayloadCommand = 3 };

// First byte of an answer.
enum Completion : std::uint8_t { kAccepted = 0, kNotSupported = 1, kInvalidParameter = 3, kIncompatibleFormat = 4 };

}  // namespace zefr::firmware
