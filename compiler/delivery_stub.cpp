// Stand-in until the link to the subsystem exists: there is never a
// subsystem to reach.
#include "delivery.h"

namespace zefr {

bool DeliverPayload(const PayloadImage&, Console& out) {
  out.Line("*** Unable to connect to ZEFR Subsystem!!");
  return false;
}

}  // namespace zefr
