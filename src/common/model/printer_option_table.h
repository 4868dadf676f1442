// The built-in table of named printer options ("COLLATE", "TRAY", "NUP"...): for each, the
// settings field it sets, its values with their names, the settings a value implies and
// the condition under which a value is available. A default table of 39 records and two
// model variants (42 records in the second). The settings API finds options by name; the
// common code asks which values of a setting are available now.
#pragma once

#include <cstdint>

#include "model/rule_apply.h"
#include "win/types.h"

struct DriverContext;

// Setting the option to a value also sets the field to this value. flags is 1 on the
// kdmNUPPOSTKind and kdmBalanceMacro nodes.
struct OptionSettingNode {
  const OptionSettingNode* next;
  DWORD flags;
  DWORD fieldId;  // a 16-bit field id
  DWORD value;
};

// The test "field equals value". link: 1 joins with the next node by AND, 0 by OR; bit 1
// (value 2) marks a node of an alternative group.
struct OptionConditionNode {
  const OptionConditionNode* next;
  DWORD link;
  DWORD fieldId;
  DWORD value;
};

constexpr DWORD POV_OFF = 0x1;     // the value that switches the function off
constexpr DWORD POV_ALIAS = 0x10;  // a further code sharing its name with an earlier value

struct PrinterOptionValue {
  DWORD flags;
  DWORD value;
  const char* name;
  DWORD reserved1;
  const OptionSettingNode* settings;       // implied settings, or null
  const OptionConditionNode* condition;    // condition of availability, or null (always)
  DWORD reserved2;
};

struct PrinterOptionValueList {
  DWORD count;
  const PrinterOptionValue* values;
};

// Type bits.
constexpr DWORD POT_LIST = 0x1;
constexpr DWORD POT_NUMBER = 0x2;
// Lookup classes.
constexpr DWORD POC_CAPABILITY = 0x1;
constexpr DWORD POC_REQUIRE_CONDITIONS = 0x2;

struct PrinterOptionRecord {
  DWORD key;       // the settings field the option sets, 0 for none
  DWORD reserved;
  DWORD typeBits;
  DWORD classes;
  DWORD kindBits;
  const char* name;
  const OptionSettingNode* settings;
  const PrinterOptionValueList* values;     // or null
  const CapabilityCondition* conditions;    // or null
};

struct PrinterOptionTable {
  DWORD count;
  const PrinterOptionRecord* records;
};

// Model names that select the two variants (compared exactly, case-sensitively): the two
// special models of the product record.
extern const WCHAR kPrinterOptionModelA[];
extern const WCHAR kPrinterOptionModelB[];

// The three tables: 0 the default, 1 variant A, 2 variant B; null for other numbers.
const PrinterOptionTable* GetPrinterOptionTable(int variant);
// Variant A or B when the context's model name is theirs, else the default; a null context
// or no model name gives the default.
const PrinterOptionTable* GetModelParamRecord(DriverContext* context);
// The first record whose key equals the 16-bit key (key 0 never matches) and whose classes
// share a bit with the mask; a record with class bit 2 and a condition list must also pass
// MatchCapabilityConditions.
const PrinterOptionRecord* FindPrinterOptionRecord(DriverContext* context, WORD key, DWORD classMask);

// 0 or 1; an empty list is 1. AND nodes fail at their first false test, OR nodes succeed at
// their first true one.
int EvaluateConditionList(DriverContext* context, const OptionConditionNode* list);
// 1 when the value passes its condition list and the N-up lock.
int IsOptionValueAvailable(DriverContext* context, const PrinterOptionRecord* record,
                           const PrinterOptionValue* value);

// Status of a capability value list: 0 copied or none (count 0), 1 values exist but were
// not copied (count tells how many), 255 no memory.
constexpr int CAPS_OK = 0;
constexpr int CAPS_MORE = 1;
constexpr int CAPS_NO_MEMORY = 255;
// The available values of the option keyed `key` (class mask 1), as 32-bit integers.
int GetCapabilityValues(DriverContext* context, WORD key, DWORD capacity, std::int32_t* values, DWORD* count);
// 1 when the option has an available value without the off flag, else 0.
int HasCapabilityValue(DriverContext* context, WORD key);
