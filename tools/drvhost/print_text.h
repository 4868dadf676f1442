// The text statement of a print job as the engine makes it: a string in a TrueType face
// (glyphs from the font file) or in one of the driver's device fonts.
#pragma once

#include <string>

#include "job_file.h"
#include "plat/engine.h"

namespace drvhost {

// DrvTextOut when the surface hooks it, else (or when the driver declines) EngTextOut into
// a surface with bits. Answers a line for the report; a font that is neither a device font
// of the driver nor a font file sets `error` (an error of the job file) and draws nothing.
std::string DrawText(plat::engine::Device& device, const DrawCall& call, std::string& error);

}  // namespace drvhost
