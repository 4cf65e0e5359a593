// Writes a decoded payload as an INI configuration that the compiler turns
// back into the same payload bytes.
#pragma once

#include <string>

#include "decoded_payload.h"

namespace zefrdump {

// All 48 sections in kind order; a disabled entity as "Enabled=FALSE", an
// enabled one with every key of its kind. `source` names the payload file in
// the leading comment.
std::string PrintIni(const DecodedPayload& p, const std::string& source);

}  // namespace zefrdump
