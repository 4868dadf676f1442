// The status items' engine: one change of an item with its checks, snapshots, propagation,
// verification and rollback, one read of an item, the record kinds callers may use, and the
// item states the rules gave each item's fields before a change.
#pragma once

#include <cstdint>

#include "win/types.h"

struct DriverContext;
struct StatusItem;

// SET: 0, the item's record kind (a newer record the item took as its own), or -1 with the
// handle's last error. changed may be null.
std::int32_t SetStatusItem(DriverContext* handle, DWORD id, void* record, BYTE* changed, std::int32_t mode);
// GET: the record size, or -1 with the handle's last error; a null record asks the size.
std::int32_t GetStatusItem(DriverContext* handle, DWORD id, void* record, std::int32_t callerKind);

// Every status call opens the printer.
int ItemNeedsPrinterHandle(DWORD id);
// 2 for a null record; 0 when the record's kind is not newer than the item's; when newer,
// 2 for mode 2 and 1 for any other mode.
int CheckRecordKind(const void* record, DWORD itemKind, std::int32_t mode);
// 0 when callerKind is 0 or the item's, 1 when older, 2 when newer.
int CompareRecordKind(DWORD itemKind, DWORD callerKind);
// Refills the item-state buffer of the handle from the rules as they stand.
void RefreshItemStates(DriverContext* context);

// Size and minimum API version of one record kind of an item with kinds of their own.
struct RecordKindRow {
  DWORD size;
  DWORD minimumVersion;
};
// The row of the item's kind; kinds past the item's newest take the newest row (such a
// record is read as the newest layout the item knows). Null for an item without per-kind
// rows.
const RecordKindRow* FindRecordKindRow(DWORD item, DWORD kind);
// 1 when the kind needs a newer API version than the current one (0 for items without rows).
int KindNeedsNewerApi(DWORD item, DWORD kind);
// The record size of a kind: its row's size, else fallback.
std::int32_t RecordSizeOfKind(DWORD item, DWORD kind, std::int32_t fallback);

// The changed-items bitmap: 32 bytes below API version 6, else 64.
DWORD ChangedBitmapBytes();
void MarkChangedItem(BYTE* changed, DWORD id);
int IsChangedItemMarked(const BYTE* changed, DWORD id);

// A copy of the chapter list as it stands, holding its own count of entries.
struct ChapterListCopy {
  DWORD count;  // entries copied (the array the list had)
  BYTE* entries;
};
constexpr DWORD kWholeChapterList = 0xFFFFFFFFu;
// At most `entries` entries of the array (kWholeChapterList: all of it). 1 when taken (an empty list needs no memory), 0 when memory ran out.
int TakeChapterListCopy(DriverContext* context, DWORD entries, ChapterListCopy* copy);
// The copy back over the list: the entries both hold are copied, the list's later entries
// cleared. The copy stays.
void PutChapterListCopyBack(DriverContext* context, const ChapterListCopy* copy);
void FreeChapterListCopy(ChapterListCopy* copy);
// 1 when the first wdmChapterNum entries of the list differ in page, tray, kind or print
// value from the copy's, or the copy does not hold that many.
int ChapterListDiffers(DriverContext* context, const ChapterListCopy* copy, DWORD copiedNumber);

// The handlers' questions to the capability items: 1 when the capability answers neither -1
// nor 0; and whether its value list holds the value: 1, 0, or -1 when the list cannot be
// allocated.
int IsCapabilityPresent(DriverContext* context, DWORD capability);
int CapabilityListHolds(DriverContext* context, DWORD capability, DWORD value);
// The u32 at offset of a caller's record, and a u32 written there.
DWORD RecordU32(const void* record, DWORD offset);
void PutRecordU32(void* record, DWORD offset, DWORD value);
// A handler's VERIFY that always passes.
std::int32_t VerifyAlways(DriverContext* context, DWORD id, void* record, BYTE* changed, std::int32_t mode);
