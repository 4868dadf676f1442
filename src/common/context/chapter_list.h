// The chapter list: the pages before which a chapter starts, kept in the context's work
// area (ChapterEntry, context/module_services.h) and stored in the per-printer INI and in
// settings files under "wdmChapterPage<n>", "wdmChapterTray<n>", "wdmChapterKind<n>",
// "wdmChapterPrint<n>" and "wdmChapterPageRange<n>" (n from 1).
#pragma once

#include <cstdint>

#include "win/types.h"

struct ChapterEntry;
struct DriverContext;

// Entries the parse work lists hold, and the most that "ChapterMax" can make the list hold.
constexpr int kChapterWorkEntries = 512;
// Use-tray fields wdmChapterUseTray1-8.
constexpr int kChapterUseTrays = 8;
constexpr int kLastChapterPage = 30000;

// wdmChapterMax and wdmChapterTrayMax within what the lists and the use-tray fields hold.
int ChapterMaxOf(DriverContext* context);
int ChapterTrayMaxOf(DriverContext* context);
// The whole entry array (ChapterMaxOf + 1 entries, grown when the maximum grows); its
// capacity in *capacity. Null without a work area.
ChapterEntry* ChapterArray(DriverContext* context, int* capacity);

// Reads the list from file (null: the per-printer INI); flag 8 reads the language section.
// Nothing while wdmChapterNum is 0. Answers wdmChapterNum.
int LoadChapterList(DriverContext* context, const WCHAR* file, DWORD flags);
// Writes the valid entries into file (null: the per-printer INI), printer section; the first
// empty entry ends the list and sets wdmChapterNum.
void SaveChapterList(DriverContext* context, const WCHAR* file);
// The use-tray fields from the copy-or-blank entries' trays, each tray once.
void AssignChapterUseTrays(DriverContext* context);
// One of the media fields 404, 405, 406, 407, 409 into the other four.
void CopyMediaTypeToOthers(DriverContext* context, WORD field);

// The typed page list taken apart: new pages ascending with their range texts.
struct ChapterParse {
  int count;
  DWORD pages[kChapterWorkEntries];
  WCHAR texts[kChapterWorkEntries][16];
};
// Parses a typed page list ("3", "1,4-6", "2-9" ...): 0, or the warning that refuses it
// (12049 a character other than digits, ',' and '-'; 10073 syntax or a page outside
// 1..30000; 10065 more new pages than maxPages). Kind 3 keeps each range as one page with
// its text, other kinds expand ranges. Numbers saturate rather than overflow.
WORD ParseChapterText(const WCHAR* text, int kind, int maxPages, ChapterParse* out);
// Merges the parse into the chapter list and assigns the use trays: 0, or the warning that
// refuses it (12045, 12046, 10065, 10066, 10068), in which case the list is as before.
WORD MergeChapterPages(DriverContext* context, const ChapterParse* parse);
// Built-in 300 without the page: parses wdmChapterPage and merges it; 0 or the warning.
WORD ApplyChapterPageText(DriverContext* context);

// Removes entry n (later entries move up); the entry to select afterwards, -1 when n names
// no entry. The count before the first delete is kept for the page's Cancel.
int DeleteChapterEntry(DriverContext* context, int n);
// Empties the list (the count before is kept for the page's Cancel).
void ClearChapterEntries(DriverContext* context);
