// The shared dictionary's name tables (control names, value names, IDS symbols, messages,
// the field-to-control table) and the lookups into them.
#pragma once

#include <cstdint>

#include "win/types.h"

struct DriverContext;

// Control-name table row: {field id or 0, item id (the row's ordinal, from 1), name}.
struct ControlNameEntry {
  WORD fieldId;
  WORD itemId;
  const char* name;
};
struct ControlNameTable {
  DWORD count;
  const ControlNameEntry* entries;
};

// Value-name and IDS table row: {field id, item id of the field, value (low 16 bits the
// value id), flag, symbol, string number}.
struct ValueNameEntry {
  WORD fieldId;
  WORD itemId;
  DWORD value;
  DWORD flag;
  const char* symbol;
  DWORD number;
};
struct ValueNameTable {
  DWORD count;
  const ValueNameEntry* entries;
};

// Message table row.
struct MessageEntry {
  WORD messageId;   // item id of the name in the control-name table
  WORD textId;      // UI string of the text
  WORD captionId;   // UI string of the caption; 0 = the printer's display name
  const char* name;
  DWORD reserved;
};
struct MessageTable {
  WORD count;
  const MessageEntry* entries;
};

struct FieldPageControlEntry {
  WORD fieldId;
  WORD pageId;
  WORD controlId;
};

// The shared tables (generated from src/common/data).
const ControlNameTable* GetControlNameTable();
const ValueNameTable* GetValueNameTable();
const ValueNameTable* GetIdsTable();
const MessageTable* GetMessageTable();

constexpr DWORD kControlNameCount = 1954;
constexpr DWORD kValueNameCount = 2992;
constexpr DWORD kIdsCount = 3418;
constexpr WORD kMessageCount = 65;

// All lookups are linear and return the first match in table order, or null.
const ControlNameEntry* FindNameEntryByKey(WORD itemId);
const ControlNameEntry* FindNameEntryByName(const char* name);
const ValueNameEntry* FindValueSymbol(WORD fieldId, DWORD value);
const ValueNameEntry* FindValueSymbolByName(const char* symbol);

WORD GetMessageCount(DriverContext* context);
const MessageEntry* GetMessageEntry(DriverContext* context, int index);
const MessageEntry* FindMessageEntry(DriverContext* context, WORD messageId);
const MessageEntry* FindMessageEntryByName(DriverContext* context, const char* name);

const FieldPageControlEntry* FindFieldPageControlEntry(WORD fieldId);
