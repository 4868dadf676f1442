// The text records of a drawing-record stream decoded by their fields: font selections
// (0x50, 0x56), character boxes and outlines (0x51), character runs (0x52), glyph images
// (0x53, 0x57), glyph definitions (0x54) and glyph positions (0x55).
#pragma once

#include <cstddef>
#include <string>

#include "win/types.h"

namespace drvhost {

// One line for the record at p (len bytes, its whole length). A record whose fields do not
// agree with its length (counts, bitmap sizes, compressed bitmaps that do not expand to
// their width and height) sets *damaged and says why.
std::string DescribeTextRecord(const BYTE* p, std::size_t len, bool* damaged);

}  // namespace drvhost
