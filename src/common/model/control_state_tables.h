// Hot-spot tables of the printer pictures: the rectangles of the source-tray picture that
// answer a pointer, each under the settings that show its tray, and the output picture's
// table (empty).
#pragma once

#include <cstddef>

#include "win/devmode.h"
#include "win/types.h"

// Moves a hot spot by (dx, dy) while its field reads 1; a field id of 0 ends the list.
struct HotspotShift {
  WORD fieldId;
  LONG dx;
  LONG dy;
};

// One hot spot. It applies when its condition field is 0 or reads 1 and its second condition
// field is 0 or reads the second value. A value of 0 ends the table.
struct HotspotRow {
  DWORD tag;                  // 90 in every built-in row; not read
  RECTL rect;                 // pixels from the picture's left and top edge
  WORD conditionField;        // 0: no condition
  WORD value;                 // the code the hot spot answers; 0 ends the table
  WORD secondConditionField;  // 0: no second condition
  WORD reserved;              // 0
  LONG secondValue;
  const HotspotShift* shifts;  // or null
};

// The 32-bit row is 36 bytes; the pointer takes its native size here.
static_assert(offsetof(HotspotRow, tag) == 0);
static_assert(offsetof(HotspotRow, rect) == 4);
static_assert(offsetof(HotspotRow, conditionField) == 20);
static_assert(offsetof(HotspotRow, value) == 22);
static_assert(offsetof(HotspotRow, secondConditionField) == 24);
static_assert(offsetof(HotspotRow, secondValue) == 28);
static_assert(offsetof(HotspotRow, shifts) == 32);
static_assert(sizeof(HotspotRow) == (sizeof(void*) == 4 ? 36 : 40));

constexpr int kSourceTrayHotspotCount = 10;

// The source-tray hot spots: ten rows and a row of zeros.
const HotspotRow* GetBuiltinTable12();
// The output hot spots: only the row of zeros.
const HotspotRow* GetBuiltinTable13();
