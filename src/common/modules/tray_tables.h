// The options and trays module's built-in tables: the installable-option lines of the
// option page and the tray index of each tray value.
#pragma once

#include <cstdint>

#include "win/types.h"

struct DriverContext;

struct TrayFieldValue {
  DWORD fieldId;  // 0 ends a list
  std::int32_t value;
};
struct TrayLock {
  WORD fieldId;
  std::int32_t value;
};
struct TrayDependency {
  DWORD reserved;
  WORD key;  // 0 ends the list
};

// One line of the installable-options list: the settings it switches.
struct TrayOptionRow {
  WORD key;  // option value id of the line; 0 ends the table
  WORD fieldId;
  std::int32_t value;  // "on"
  WORD secondFieldId;  // 0 for none
  std::int32_t secondValue;
  const TrayLock* lock;
  const TrayDependency* dependencies;
  const TrayFieldValue* onList;
  const TrayFieldValue* offList;
  DWORD rebuildTrays;
  DWORD repaintList;
};

struct TrayIndexRow {
  std::int32_t index;  // tray index t; 0 ends the table together with value 0
  WORD value;          // option value id of a tray
  WORD summaryString;
};

// Number of trays that have per-tray fields (present, orientation, paper, media, lock).
constexpr int kPerTrayFields = 32;
// Field kinds of TrayFieldOf.
enum class TrayField { Present, Orientation, Paper, Media, Lock };

const TrayOptionRow* TrayOptionTable();
const TrayIndexRow* TrayIndexTable();
// {value, partner} rows ended by a zero row.
const WORD (*TrayPairTable())[2];

const TrayOptionRow* FindTrayRow(WORD value, int modelIndex);
const TrayIndexRow* FindTrayIndexRow(WORD value);
// The tray index of a tray value; 0 for a value the table does not list.
int TrayIndexOfValue(WORD value);
// The per-tray field of tray index t; 0 for an index without per-tray fields.
WORD TrayFieldOf(int t, TrayField kind);

// Whether the line's field (and second field) hold their "on" values; whether its lock holds.
bool IsTrayRowOn(DriverContext* context, const TrayOptionRow* row);
bool IsTrayRowLocked(DriverContext* context, const TrayOptionRow* row);
// Flags: 1 rebuild the tray list, 2 repaint the option list.
constexpr DWORD TRAY_REBUILD = 1;
constexpr DWORD TRAY_REPAINT = 2;
DWORD ApplyTrayDependencies(DriverContext* context, const TrayOptionRow* row);
// Switches the line on when it is off and off when it is on (a locked line stays), then the
// dependencies; the flags of the row and of the dependencies.
DWORD SwitchTrayOptionLine(DriverContext* context, const TrayOptionRow* row);
