// The built-in table of the ten page extension modules, in dispatch order: 1 presets,
// 2 stamps, margins and header/footer font, 3 user quality and colour profiles, 4 custom
// paper, 5 chapters, 6 options and trays, 7 font substitution, 8 settings summary,
// 9 setting locks, 10 print type, initial settings and utility.
#pragma once

#include <cstdint>

#include "model/module_dispatch.h"

constexpr std::int32_t kModuleCount = 10;
// Table index of each module (0-based).
constexpr int MODULE_PRESETS = 0;
constexpr int MODULE_STAMPS = 1;
constexpr int MODULE_USER_QUALITY = 2;
constexpr int MODULE_CUSTOM_PAPER = 3;
constexpr int MODULE_CHAPTERS = 4;
constexpr int MODULE_OPTIONS = 5;
constexpr int MODULE_FONT_SUBSTITUTION = 6;
constexpr int MODULE_SUMMARY = 7;
constexpr int MODULE_SETTING_LOCKS = 8;
constexpr int MODULE_PRINT_TYPE = 9;

// GetModuleTable answers the table of the current deliverable (context/deliverable.h). The
// printer interface DLL's table has the modules' control-message hooks; in the rendering
// DLL and the settings API every control-message hook does nothing, and the rendering
// DLL's print-type module sees only the events it handles there.
// The static table of the current deliverable; stores 10 in count.
const ExtensionModule* GetModuleTable(std::int32_t* count);
