// The page engine's two built-in tables: the picture table (where a picture named by id sits
// in the control that shows it, and how it is drawn there) and the control size table (the
// item size of the owner-drawn lists and combos). Both are generated from the data files of
// src/common/data (pictures.def, control_sizes.def).
#pragma once

#include <cstddef>
#include <cstdint>

#include "win/types.h"

// One picture row: 24 bytes. The picture is moved by (x, y), drawn with `flags` added, and
// occupies [x, x + width) x [y, y + height) of the control that shows it. With `overlayId`
// another picture is drawn under it; background kind 3 makes `background` the background
// colour. A picture id of 0 ends the table.
struct PictureRow {
  WORD pictureId;
  WORD overlayId;
  std::int16_t x;
  std::int16_t y;
  DWORD flags;
  std::int16_t width;
  std::int16_t height;
  DWORD backgroundKind;  // 3: the row sets the background colour
  DWORD background;
};

static_assert(offsetof(PictureRow, pictureId) == 0);
static_assert(offsetof(PictureRow, overlayId) == 2);
static_assert(offsetof(PictureRow, x) == 4);
static_assert(offsetof(PictureRow, y) == 6);
static_assert(offsetof(PictureRow, flags) == 8);
static_assert(offsetof(PictureRow, width) == 12);
static_assert(offsetof(PictureRow, height) == 14);
static_assert(offsetof(PictureRow, backgroundKind) == 16);
static_assert(offsetof(PictureRow, background) == 20);
static_assert(sizeof(PictureRow) == 24);

constexpr DWORD kPictureRowBackground = 3;
constexpr int kPictureRowCount = 1090;

// One control size row: the item width and height of an owner-drawn control (a value that is
// not positive leaves the control's own). A control id of 0 ends the table.
struct MeasureItemRow {
  WORD controlId;
  std::int16_t width;
  std::int16_t height;
};

static_assert(offsetof(MeasureItemRow, controlId) == 0);
static_assert(offsetof(MeasureItemRow, width) == 2);
static_assert(offsetof(MeasureItemRow, height) == 4);
static_assert(sizeof(MeasureItemRow) == 6);

constexpr int kMeasureItemRowCount = 131;

// The built-in picture table: kPictureRowCount rows and a row of zeros.
const PictureRow* GetPictureTable();
// The built-in control size table: kMeasureItemRowCount rows and a row of zeros.
const MeasureItemRow* GetMeasureItemTable();

// The first row of `pictureId` in `table` (a table ended by a zero row), or null; id 0 and
// ids above 0xFFFF have none.
const PictureRow* FindPictureRow(const PictureRow* table, DWORD pictureId);
// The first row of `controlId` in `table`, or null; control id 0 has none.
const MeasureItemRow* FindMeasureItemRow(const MeasureItemRow* table, UINT controlId);
// The row of `controlId` in the built-in control size table, or null.
const MeasureItemRow* FindMeasureItemEntry(UINT controlId);
