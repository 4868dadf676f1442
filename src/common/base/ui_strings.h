// The UI resource modules of a context and its UI strings, with the completion that some
// strings get (a tray name, a paper size, a unit, a range).
#pragma once

#include "win/types.h"

struct DriverContext;

// The context's uiModule, loaded from GetUiResourcePath on first use (a failed load is
// tried again at the next call).
HMODULE GetUiResourceModule(DriverContext* context);
// The neutralModule, loaded from GetNeutralResourcePath.
HMODULE GetNeutralResourceModule(DriverContext* context);
// Frees both modules and sets them to null.
void FreeResourceModules(DriverContext* context);

// The characters loaded into the buffer (emptied first; empty and 0 when the module cannot
// be loaded). With complete nonzero the text is completed by CompleteUiString.
int LoadUiString(DriverContext* context, DWORD stringId, WCHAR* buffer, int size, int complete);
void CompleteUiString(DriverContext* context, DWORD stringId, WCHAR* buffer, int size);

// Kinds of the completion table.
constexpr DWORD UIS_TRAY_NAME = 1;
constexpr DWORD UIS_PAPER_SIZE = 2;
constexpr DWORD UIS_UNIT_NAME = 3;
constexpr DWORD UIS_MODULE = 4;
constexpr DWORD UIS_RANGE = 5;
constexpr DWORD UIS_CUSTOM_MEDIA = 6;

struct UiStringCompletionRow {
  DWORD stringId;
  WORD fieldId;
  WORD reserved;
  DWORD kind;
};
// 79 rows and an end row with string id 0.
const UiStringCompletionRow* GetUiStringCompletionTable();
