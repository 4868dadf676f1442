// What the common code asks of the page extension modules outside their hooks: the judge
// hooks, the custom paper table, the chapter list, the profile path control and the
// preset-list steps; and the blocks of the module events the common code sends.
#pragma once

#include <cstdint>

#include "win/types.h"

struct ControlRecord;
struct DriverContext;

// Module events of the common code.
constexpr DWORD MODEV_UI_STRING = 16;       // block {DWORD string id, WCHAR* text}
constexpr DWORD MODEV_RESOLUTION_LIST = 30; // block i32* answer
constexpr DWORD MODEV_BIN_LIST = 33;        // block i32* answer
constexpr DWORD MODEV_INCH_PAPER_IN = 44;   // block {BYTE* devmode}
constexpr DWORD MODEV_INCH_PAPER_OUT = 45;  // block {BYTE* devmode, DWORD handled}
constexpr DWORD MODEV_SMALL_PAPER = 54;     // block DWORD* answer

struct UiStringEventBlock {
  DWORD stringId;
  WCHAR* text;
};
struct DevmodeEventBlock {
  BYTE* devmode;
  DWORD handled;
};

std::int32_t ComputeProfileJudgeHook(DriverContext* context, WORD id);
std::int32_t ComputeCopiesJudgeHook(DriverContext* context, WORD id);
// 1 and the range (which 1: the first, 0: the second) in the user's unit, the maximum
// taken down and the minimum up; 0 when the custom paper table has no entry for the pair.
int FindCustomPaperEntry(DriverContext* context, DWORD paperValue, DWORD feedValue, int* maximum, int* minimum,
                         std::int32_t which);
// 1 and the two range values (1200 dpi) for the custom-size controls of pages 1017 and
// 1041; 0 for other controls.
int GetCustomPaperSizeValues(DriverContext* context, ControlRecord* control, int* a, int* b);

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
