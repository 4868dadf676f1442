// The free-size list: ten user-defined paper sizes kept in the per-printer INI, one
// settings section per entry ("FreeSize<n><language code>" holding "KstVersion" and
// wdmFreeSizeName, wdmFreeSizeWidth, wdmFreeSizeLength, wdmFreeSizeTray,
// wdmFreeSizeOrient), cached in the work area's records and mirrored into the list fields
// wdmFreeSize1Width ... wdmFreeSize10Orient. The driver package ships defaults in the
// second model INI.
#pragma once

#include "win/types.h"

struct DriverContext;

// The list always has ten entries; the paper map adds two records (paper ids 256, 448).
constexpr int kFreeSizeEntries = 10;
// Bit of the change-flag word: the ten records are loaded.
constexpr DWORD kFreeSizesLoadedFlag = 0x04000000;

// 10, and 12 with the two records of the paper map.
int GetFreeSizeCount(DriverContext* context);
int GetFreeSizePaperMapCount(DriverContext* context);
// "FreeSize<n><language code>" into buffer (kListSectionChars characters).
void MakeFreeSizeSection(WCHAR* buffer, int n, DriverContext* context);

// Fields 915-919 cleared, then entry n of the per-printer INI loaded into them and copied
// into entry n's list fields. An index outside 0-9 changes nothing.
void ReadFreeSize(DriverContext* context, int n);
// Fields 920-924 cleared, then entry n's name, width, length, tray and orientation loaded
// into them.
void ReadCurrentFreeSize(DriverContext* context, int n);
// Fields 915-919 into entry n's section, then into entry n's list fields.
void WriteFreeSizeSection(DriverContext* context, int n);
// When the section name is one of the ten entries', wdmFreeSizeWidth, Length, Tray and
// Orient into that entry's list fields; otherwise nothing.
void CopyFreeSizeToListFields(DriverContext* context, const WCHAR* section);
// Record n's width, length, tray and orientation into entry n's list fields.
void LoadFreeSizeFeatures(DriverContext* context, int n);

// Record n (0-11) into fields 915-919 (features) or 920-924 (current). A record of no size
// describes no paper: the fields keep what they hold.
void FreeSizeRecordToFeatures(DriverContext* context, int n);
void FreeSizeRecordToCurrent(DriverContext* context, int n);
// Fields 915-919 or 920-924 into record n (0-11): sizes, tray, orientation and the user
// name, and as display and list name the entry's UI string with its size (the user name in
// the rendering build). Fields of no size describe no paper: the record keeps what it holds.
void FeaturesToFreeSizeRecord(DriverContext* context, int n);
void CurrentToFreeSizeRecord(DriverContext* context, int n);

// The ten records from the per-printer INI, once per change-flag generation (bit
// kFreeSizesLoadedFlag), then into the list fields. The settings are unchanged otherwise.
void InitFreeSizes(DriverContext* context);
// Every record with a size into its entry's section; the settings are unchanged.
void WriteAllFreeSizes(DriverContext* context);
// Every stored entry rewritten in the current format; the settings are unchanged.
void RewriteAllFreeSizes(DriverContext* context);
// The ten records' default names (UI strings 109-118) and sizes (the second model INI's
// entries; 210 x 297 mm, tray 4, orientation 1 where it has none).
void InitFreeSizeNames(DriverContext* context);
// wdmFreeSizeName, Width and Length cleared, then entry n of the second model INI loaded.
void ClearFreeSize(DriverContext* context, int n);
// "FreeSizeCount" of the second model INI when it is exactly 10, else 0.
int GetSharedFreeSizeCount(DriverContext* context);
// "FreeSizeCount" of the per-printer INI (held within 0-10).
void SetFreeSizeCount(DriverContext* context, int n);

// Free size n (0-9) of the work area for the paper-size texts: its user name, width and
// length, and its tray and orientation values (for the custom paper ranges). False for
// another index or a record of no size.
bool GetFreeSizeEntry(DriverContext* context, int n, WCHAR* name, int nameChars, int* width, int* length,
                      DWORD* tray, DWORD* orientation);
