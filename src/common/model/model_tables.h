// The small built-in model tables: finisher codes of the common settings block, the
// setting-to-control table, the fit-paper list, N-up pages per sheet, the two-way query
// codes and mapping tables, the option dependency table, the two-way option codes, the
// paper value table, and a few fixed switches and setting updates.
#pragma once

#include "win/types.h"

struct DriverContext;

// Finisher code table: {option field, first output tray code, second code}; 0xFFFF as a code
// is none; the table ends with a row whose field id is 0xFFFF.
constexpr WORD kNoFinisherCode = 0xFFFF;
struct FinisherCodeRow {
  WORD fieldId;
  WORD firstCode;
  WORD secondCode;
};
const FinisherCodeRow* GetFinisherCodeTable();
// The first row whose option field reads non-zero, or the terminating row.
const FinisherCodeRow* FindFirstSetItem(DriverContext* context);
// 1 when some row carries the code as its second code (selector ' ') or its first code (any
// other selector).
int IsValueInPairList(WORD code, char selector);

// Setting-to-control table: 11 rows {field id, page id, control id}.
struct FieldControlRow {
  WORD fieldId;
  WORD pageId;
  WORD controlId;
};
constexpr int kFieldControlRowCount = 11;
const FieldControlRow* GetFieldControlTable();

// Fit-paper list: zero-terminated paper codes in two parts separated by 1027 (the first for
// a default output paper of A4 or Letter). Empty in this product.
const DWORD* GetFitPaperList();
// Membership in the part chosen by the default output paper (always 0 with the empty list).
int IsPaperSizeInList(DriverContext* context, DWORD paper);

int IsNotPage1020Or1025(WORD pageId);
int IsBuildFlagOn();
int IsBuildFlagOff();

// N-up pages per sheet: 5 rows {index, pages}.
struct PagesPerSheetRow {
  DWORD index;
  DWORD pages;
};
constexpr int kPagesPerSheetCount = 5;
const PagesPerSheetRow* GetPagesPerSheetList();

// The 8 two-way query codes.
constexpr int kTwoWayQueryCodeCount = 8;
const DWORD* GetTwoWayQueryCodes();

// Two-way mapping tables: {first, second} pairs ended by {0, 0}.
struct CodePair {
  DWORD first;
  DWORD second;
};
enum TwoWayTrayTable { kTrayTableFields, kTrayTableOrientations, kTrayTablePapers, kTrayTableMedia, kTrayTableLocks };
// {field id, tray number} for the trays of one field group.
const CodePair* GetTwoWayTrayTable(TwoWayTrayTable which);
// {tray code, tray number}.
const CodePair* GetTwoWayTrayCodeTable();
// {field id, code} of the two-way option query.
const CodePair* GetTwoWayOptionCodeTable();

// Option dependency table.
struct FieldValue {
  WORD fieldId;
  DWORD value;
};
struct DependencyLink {
  WORD word;
  DWORD itemId;
};
struct OptionDependencyRow {
  WORD itemId;             // 0 ends the table
  WORD fieldId;            // the item is on when the field holds the value
  DWORD value;
  WORD secondFieldId;      // 0 for none
  DWORD secondValue;
  const FieldValue* notSwitchedWhile;     // or null
  const DependencyLink* companions;       // one of them must be on as well; ended by word 0, or null
  const FieldValue* writtenWhenOn;        // ended by field id 0, or null
  const FieldValue* writtenWhenOff;       // ended by field id 0, or null
  DWORD refillList;        // empty and set up list control 2166 again after a switch
  DWORD redraw;            // redraw the switched control
};
// The same table whatever the machine id.
const OptionDependencyRow* GetTrayDependencyTable(DWORD machineId);

// Paper value table {value, replacement, field id}: its first row is zero (empty).
struct PaperValueRow {
  WORD value;
  WORD replacement;
  WORD fieldId;
};
const PaperValueRow* GetPaperValueTable();

// Unless the resolution is locked or a user macro is in use: kdmBalanceMacro := 17 for the
// resolutions 200, 300, 400 and 600, 18 for any other.
void UpdateQualityFromResolution(DWORD resolution, DriverContext* context);
// kdmOther := the product's identifier text (or the one of the family's other model).
void SetModelDeviceString(DriverContext* context);
// The 1-step tray choice from a two-way answer (feature 10023 only); the result goes to
// kdm1StepOptionNum and to *previousChoice. Any other case changes nothing.
void UpdateItem10110(WORD feature, DWORD code, DWORD* previousChoice, DriverContext* context);
