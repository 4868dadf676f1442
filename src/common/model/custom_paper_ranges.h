// Custom paper limit tables: per input tray and feed orientation, the largest and smallest
// custom paper length and width in 1200-dpi units, once for the millimetre display and once
// for the inch display. A model of the family may replace the default table.
#pragma once

#include <cstddef>

#include "win/types.h"

constexpr WORD kPaperPlatform9x = 1;
constexpr WORD kPaperPlatformNt = 2;
constexpr WORD kPaperPlatformBoth = 3;

struct CustomPaperLimitRow {
  WORD platform;      // 1 Windows 9x only, 2 Windows NT only, 3 both
  WORD tray;          // the stored dmDefaultSource value; 0 ends the table
  WORD orientation;   // 1 or 2
  WORD reserved;      // 0
  DWORD lengthMaxMm;
  DWORD lengthMinMm;
  DWORD widthMaxMm;
  DWORD widthMinMm;
  DWORD lengthMaxInch;
  DWORD lengthMinInch;
  DWORD widthMaxInch;
  DWORD widthMinInch;
};
static_assert(sizeof(CustomPaperLimitRow) == 40);
static_assert(offsetof(CustomPaperLimitRow, tray) == 2);
static_assert(offsetof(CustomPaperLimitRow, orientation) == 4);
static_assert(offsetof(CustomPaperLimitRow, reserved) == 6);
static_assert(offsetof(CustomPaperLimitRow, lengthMaxMm) == 8);
static_assert(offsetof(CustomPaperLimitRow, widthMinMm) == 20);
static_assert(offsetof(CustomPaperLimitRow, lengthMaxInch) == 24);
static_assert(offsetof(CustomPaperLimitRow, widthMinInch) == 36);

// {model mask, table}: the printer's model at position i (from 1) of the product's special
// model list takes the first table whose mask has bit i - 1 set. A null table ends the list.
struct CustomPaperModelTable {
  DWORD mask;
  const CustomPaperLimitRow* table;
};

constexpr int kDefaultCustomPaperRowCount = 10;

// The default table: ten rows (trays 1, 3, 2, 256 and 4, each in orientations 1 and 2) and
// a row of zeros.
const CustomPaperLimitRow* GetDefaultCustomPaperTable();
// The model tables for the masks 1 and 2, then {0, null}.
const CustomPaperModelTable* GetCustomPaperModelTables();
