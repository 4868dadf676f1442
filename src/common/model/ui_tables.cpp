// Lookups in the page engine's picture and control size tables (the tables themselves are
// generated into dictionary_data.cpp).
#include "model/ui_tables.h"

const PictureRow* FindPictureRow(const PictureRow* table, DWORD pictureId) {
  if (!table || pictureId == 0 || pictureId > 0xFFFF) return nullptr;
  for (const PictureRow* row = table; row->pictureId; ++row)
    if (row->pictureId == pictureId) return row;
  return nullptr;
}

const MeasureItemRow* FindMeasureItemRow(const MeasureItemRow* table, UINT controlId) {
  if (!table || controlId == 0 || controlId > 0xFFFF) return nullptr;
  for (const MeasureItemRow* row = table; row->controlId; ++row)
    if (row->controlId == controlId) return row;
  return nullptr;
}

const MeasureItemRow* FindMeasureItemEntry(UINT controlId) {
  return FindMeasureItemRow(GetMeasureItemTable(), controlId);
}
