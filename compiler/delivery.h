#pragma once
// Hands a finished payload image to the subsystem.

#include "console.h"
#include "payload_image.h"

namespace zefr {

// Sends the 1984-byte image to the firmware. Prints its own progress and
// verdict on out; returns true only when the firmware accepted the payload.
bool DeliverPayload(const PayloadImage& image, Console& out);

}  // namespace zefr
