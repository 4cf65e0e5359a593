#pragma once
// Runs every section parser in the fixed order and completes the image.

#include <string>

#include "console.h"
#include "ini_reader.h"
#include "payload_image.h"

namespace zefr {

// Parses the INI file the command line named into image; prints progress and
// diagnostics. False after the first error or when nothing is enabled.
bool ParseConfiguration(const std::string& iniPath, ProfileReader& reader, Console& out, PayloadImage& image);

}  // namespace zefr
