// What the common code asks of the page extension modules outside their hooks: the judge
// hooks, the custom paper table, the chapter list, the profile path control and the
// preset-list steps; and the blocks of the module events the common code sends.
#pragma once

#include <cstdint>

#include "win/types.h"

struct ControlRecord;
struct DriverContext;

// Module events of the common code.
constexpr DWORD MODEV_UI_STRING = 16;       // block UiStringEventBlock
constexpr DWORD MODEV_RESOLUTION_LIST = 30; // block i32* answer
constexpr DWORD MODEV_BIN_LIST = 33;        // block i32* answer
constexpr DWORD MODEV_INCH_PAPER_IN = 44;   // block {BYTE* devmode}
constexpr DWORD MODEV_INCH_PAPER_OUT = 45;  // block {BYTE* devmode, DWORD handled}
constexpr DWORD MODEV_SMALL_PAPER = 54;     // block DWORD* answer

struct UiStringEventBlock {
  DWORD stringId;
  WCHAR* text;
  int size;  // characters of text
};
struct DevmodeEventBlock {
  BYTE* devmode;
  DWORD handled;
};

std::int32_t ComputeProfileJudgeHook(DriverContext* context, WORD id);
std::int32_t ComputeCopiesJudgeHook(DriverContext* context, WORD id);
// The custom paper table (the model's own or the default one): 1 and the limits of the tray
// and orientation in 1200-dpi units, rounded inward to values the display unit shows, for
// the length (length nonzero) or the width; 0 when no row applies on this platform.
int FindCustomPaperEntry(DriverContext* context, DWORD tray, DWORD orientation, int* maximum, int* minimum,
                         std::int32_t length);
// 1 and the limits (1200 dpi) of a custom-size control of the open page 1017 or 1041; 0 for
// other controls and pages. GetCustomPaperLimitsForPage names the page itself.
int GetCustomPaperSizeValues(DriverContext* context, ControlRecord* control, int* maximum, int* minimum);
int GetCustomPaperLimitsForPage(DriverContext* context, WORD pageId, ControlRecord* control, int* maximum,
                                int* minimum);
// In inch mode with both size edits of page 1041 visible: kdmPaperINCHLength and
// kdmPaperINCHWidth := the custom size in 0.01 inch, within the edits' limits.
void ClampInchPaperSize(DriverContext* context);

// One chapter entry (38 bytes).
#pragma pack(push, 1)
struct ChapterEntry {
  WORD pageNumber;
  WORD trayValue;
  BYTE kind;   // 0 copy or blank page, 3 page range, others a break
  BYTE mode;
  WCHAR rangeText[16];
};
#pragma pack(pop)
static_assert(sizeof(ChapterEntry) == 38, "ChapterEntry is 38 bytes");
// Entry n, or null when n < 0, n >= wdmChapterNum, or the context or work area is missing.
// The array of wdmChapterMax + 1 entries is allocated zero-filled on first use.
ChapterEntry* GetChapterEntry(DriverContext* context, int n);
// Frees the chapter array of the context.
void FreeChapterEntries(DriverContext* context);

// The control record of control 2825 on page 4011, or null.
ControlRecord* FindProfilePathControl(DriverContext* context);

// Adds a preset at the end of the printer's preset list; the result of the count write.
BOOL AppendPreset(DriverContext* context, const WCHAR* filePath, const WCHAR* name, const WCHAR* comment);
// "Count" := "0" in the printer section of the per-printer INI.
BOOL ResetPresetCount(DriverContext* context);
