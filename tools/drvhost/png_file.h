// Pictures of windows written as PNG files.
#pragma once

#include <string>

#include "plat/ui_driver.h"

namespace drvhost {

// Writes a picture as an 8-bit RGB PNG file; false (with the reason in `error`) when the file
// cannot be written or the picture is empty.
bool WritePng(const std::string& path, const plat::ui::Picture& picture, std::string& error);

// The file name of the picture taken after `index` actions: a "%d" in the pattern is the
// index; without one every picture goes to the same file (the last one stays).
std::string PictureName(const std::string& pattern, int index);

}  // namespace drvhost
