// The device font list, the font cartridge list and the font substitution table: counted
// arrays in printer data, held in a context as blocks named by settings fields
// (kdmDeviceFont, kdmOptionFont, kdmFontTable and their counts).
#pragma once

#include "stored/snapshot_ring.h"
#include "win/types.h"

struct DriverContext;
struct FontSubstitutionRecord;

// Flags of the saves.
constexpr DWORD kFontSaveModel = 0x1;      // write the model's list instead of the context's
constexpr DWORD kFontSaveIfChanged = 0x2;  // skip the write when the saved snapshot holds the same list
constexpr DWORD kFontSaveDefault = 0x100;  // the default substitution table's value names

// One list each. A printer without the count value first gets the model's list written.
// 1 when the list was loaded (or there is nothing to load); 0 when a count was stored but
// no list could be loaded.
// The device font list, the option font list and the substitution tables from printer
// data: 1 when all three loads succeed.
// The context's list block behind listField with its count: the count field's value, never
// more records than the block holds. Null (count 0) without a list.
const void* ContextList(DriverContext* context, WORD countField, WORD listField, DWORD recordSize, int* count);

int LoadFontLists(HANDLE printer, DriverContext* context);
int LoadDeviceFontList(HANDLE printer, DriverContext* context);
int LoadOptionFontList(HANDLE printer, DriverContext* context);
int LoadFontTables(HANDLE printer, DriverContext* context);
// Replaces the context's substitution table with the default table of printer data.
int ReloadDefaultFontTables(HANDLE printer, DriverContext* context);

// One list each to printer data; 0 when there is nothing to write or a write failed.
int SaveDeviceFontList(HANDLE printer, DriverContext* context, DWORD flags);
int SaveOptionFontList(HANDLE printer, DriverContext* context, DWORD flags);
int SaveFontTables(HANDLE printer, DriverContext* context, DWORD flags);

// Writes count substitution rows as chunk pairs and then the count value (the default
// names with kFontSaveDefault); 0 when a write failed or there are no rows. The current
// names' chunks of a longer table are deleted first, except in the settings API.
int TransferFontTables(HANDLE printer, const FontSubstitutionRecord* rows, int count, DWORD flags);
// Reads count rows of chunk pairs into rows: 0, or the error code of the last failed read
// (that row's names are emptied); 8 (ERROR_NOT_ENOUGH_MEMORY) for no rows.
DWORD ReadFontTableChunks(HANDLE printer, FontSubstitutionRecord* rows, int count, DWORD flags);
// Deletes the chunk pairs that the last current-table write left ("LastFontTableNum").
void DeleteFontTableChunks(HANDLE printer);

// The three saves with kFontSaveIfChanged, and with kFontSaveModel; 1 when all succeed.
int SaveFontListsIfChanged(HANDLE printer, DriverContext* context);
int SaveModelFontLists(HANDLE printer, DriverContext* context);
// Writes the model's table as the default table when printer data has none yet.
int InitDefaultFontTables(HANDLE printer, DriverContext* context);

// While it lives, the font-list fields may be given new blocks; at its end every block
// that the context no longer names (in its settings, snapshots, saved copy or the
// remembered font table) is freed, and a block still named elsewhere stays.
class FontBlockScope {
 public:
  explicit FontBlockScope(DriverContext* context);
  ~FontBlockScope();
  FontBlockScope(const FontBlockScope&) = delete;
  FontBlockScope& operator=(const FontBlockScope&) = delete;

 private:
  DriverContext* context_;
  ContextHandleSet before_{};
};

// Frees the blocks of kdmDeviceFont, kdmOptionFont and kdmFontTable and zeroes the fields.
void FreeDeviceSettingsBuffers(DriverContext* context);
