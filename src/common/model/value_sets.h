// The built-in value sets: the allowed values of 259 settings fields, and 13 index-addressed
// id sets.
#pragma once

#include "win/types.h"

struct ValueSetRow {
  DWORD fieldId;  // 0xFFFF in the indexed sets; 0 ends a table
  DWORD count;
  const DWORD* values;  // count values, ascending
};

constexpr int kValueSetCount = 259;
constexpr int kIndexedSetCount = 13;

// The table of 259 rows and its terminating row of zeros.
const ValueSetRow* GetValueSetTable();
// The row of a field, or null when the field has no value set.
const ValueSetRow* FindValueSet(DWORD fieldId);
// 1 when the field has a value set containing the value (32-bit compare), else 0.
int IsValueAllowedForItem(DWORD fieldId, DWORD value);

// The 13 indexed id sets and their terminating row.
const ValueSetRow* GetIndexedSetTable();
// The row for index 0..12, null otherwise.
const ValueSetRow* GetValueSetByIndex(int index);
int IsValueAllowedByIndex(int index, DWORD value);
