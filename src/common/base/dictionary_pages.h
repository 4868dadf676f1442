// The page and control records of the property sheets as the shared dictionary holds
// them, the context's copy of the page table, and the page and control lookups.
#pragma once

#include <cstdint>

#include "win/types.h"

// Window handle of the user-interface layer (the same opaque handle type it declares).
struct HWND__;
using HWND = HWND__*;

struct DriverContext;
struct OptionRecord;
struct SettingField;

struct ControlRecord {
  WORD itemId;         // ordinal of the control's name in the control-name table
  WORD controlId;      // id in the dialog template
  WORD kind;           // ControlKind number
  WORD alternateId;    // 0 in the table; binding sets the control id
  WORD helpId;
  WORD tipId;
  WORD infoId;
  WORD linkedId;
  WORD reserved;
  WORD afterChange;    // built-in function run after an accepted change
  const OptionRecord* option;  // run time: the model option of the item id
  SettingField* field;         // the field the control edits; set at binding
  void* savedWindowProc;       // run time
  const void* extraData;       // typed extra data, first u16 = type
  DWORD flags;
  WORD state;                  // bits 0-1 hidden, bits 2-3 grey
  HWND window;                 // run time
  DWORD runtimeMarks;
  WORD lockMessageId;
  WORD lockFieldId;
};

struct PageRecord {
  WORD pageId;
  WORD optionId;       // item id of the page's own symbol
  DWORD flags;
  const char* symbol;  // "KPD_IDD_..."
  DWORD helpId;
  ControlRecord* controls;
  WORD reserved;
  WORD controlCount;
  HWND window;         // run time
  DWORD openFlag;      // run time
};

struct PageTable {
  std::int16_t count;
  PageRecord* records;
};

constexpr int kBuiltInPageCount = 79;

// The shared dictionary's page table (79 pages, 1397 control rows); its run-time members
// stay empty.
const PageTable* GetBuiltInPageTable();

// The context's deep copy: each page with its own copy of its control array.
bool CopyBuiltInPageTable(PageTable& table);
void FreePageTable(PageTable& table);

PageRecord* FindPageById(DriverContext* context, WORD pageId);
PageRecord* FindPageByWindow(DriverContext* context, HWND window);
// Without a context the shared dictionary's table is searched.
const PageRecord* FindPageByName(DriverContext* context, const char* name);
ControlRecord* GetPageControl(PageRecord* page, int n);
// With a null page every page of the context is searched in page order.
ControlRecord* FindControlById(DriverContext* context, PageRecord* page, WORD controlId);
ControlRecord* FindControlByWindow(DriverContext* context, PageRecord* page, HWND window);
ControlRecord* FindControlByItemId(DriverContext* context, PageRecord* page, WORD itemId);
ControlRecord* FindControlByItemName(DriverContext* context, PageRecord* page, const char* name);
