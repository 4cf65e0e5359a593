// Draws how the entities of a decoded payload feed each other, as a
// Graphviz DOT graph (render with `dot -Tpng`).
#pragma once

#include <string>

#include "decoded_payload.h"

namespace zefrdump {

// Enabled entities only, one cluster per kind, in the order data flows:
// temperature monitors -> responses ("primary", "ambient"), responses ->
// controllers (labelled with the weighting; zero weightings draw nothing),
// controllers -> fan monitors ("fan K"). A response's primary fan controller
// is a dotted edge. Edges to disabled entities are left out.
std::string PrintGraph(const DecodedPayload& p);

}  // namespace zefrdump
