#pragma once

// What the compiler would refuse in a configuration, per parameter of the tree,
// in the compiler's own words.

#include <map>
#include <string>

#include "parameter_schema.h"

namespace zefr {

// Runs the compiler's checker over the INI text. Each error it reports goes to
// the parameter of its section and key; one about a whole instance (no key, or
// a key the tree does not show) goes to the instance's `Enabled`. The texts of
// one parameter are joined in the compiler's order.
std::map<ParameterId, std::string> CompilerFindings(const ParameterSchema& schema, std::string text);

}  // namespace zefr
