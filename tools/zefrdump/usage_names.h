// What each Usage code of a kind stands for, as the editor's option lists
// name them; used to annotate the dump and to label graph nodes.
#pragma once

#include <string>

namespace zefrdump {

enum class UsageFamily { Temperature, Fan, Voltage };

// The name of `usage`, or "Usage N" for a code no list holds.
std::string UsageName(UsageFamily family, unsigned usage);

}  // namespace zefrdump
