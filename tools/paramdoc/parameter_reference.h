// The parameter reference for board designers, in Markdown, written from
// the editor's schema.
#pragma once

#include <string>

#include "parameter_schema.h"

namespace zefr {

// The whole reference: every kind with its keys, names, types, ranges,
// options and help texts.
std::string ParameterReference(const ParameterSchema& schema);

// A range bound as a designer writes it: 1000000, -0.3, 0.25.
std::string FormatBound(float value);

// Text made safe for a Markdown table cell.
std::string TableCell(const std::string& text);

}  // namespace zefr
