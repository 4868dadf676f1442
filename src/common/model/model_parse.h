// The parse of a model description: the header under construction and every record the
// statement handlers build. The records here are the in-memory (pointer) forms; the model
// image lays them out again in offset form.
//
// Every block of one parse comes from the parse's own arena (ParseAlloc): records may be
// shared between options (variants, Identity options) and replaced by later statements, and
// all of them go when the parse is freed.
#pragma once

#include <cstdint>

#include "win/types.h"

// Result codes of the reading steps.
constexpr int kReadDone = 0;
constexpr int kReadEndOfFile = 1;
constexpr int kReadMalformed = 3;
constexpr int kReadOutOfMemory = 4;

// Bounds of the parse. A statement that would exceed one of them is malformed.
constexpr int kMaxRuleNesting = 32;           // parentheses in one rule
constexpr DWORD kMaxRuleWords = 2048;         // words of one compiled rule
constexpr int kMaxCommandNesting = 32;        // Command / ElseIf blocks inside each other
constexpr DWORD kMaxListEntries = 4096;       // entries of one list statement or value list
constexpr DWORD kMaxItemsPerOption = 4096;    // items of one option
constexpr DWORD kMaxPageValuesPerItem = 256;  // PageValue records of one item
constexpr DWORD kMaxTokenLength = 255;        // name or number in a rule or a list

// Option type flags.
constexpr WORD kTypePickOne = 0x0001;
constexpr WORD kTypePickMany = 0x0002;
constexpr WORD kTypeBoolean = 0x0004;
constexpr WORD kTypeNumeric = 0x0008;
constexpr WORD kTypeString = 0x0010;
constexpr WORD kTypePickPage = 0x0101;
constexpr WORD kTypePickSlot = 0x0201;
constexpr WORD kTypeFontTbl = 0x0401;
constexpr WORD kTypeIdentity = 0x1000;
constexpr WORD kTypeUnknown = 0x2000;
constexpr WORD kTypeMask = 0xCFFF;  // masks the Identity and TypeUnknown marks off

// What an option's values pointer holds. Handlers only ever write the form that is there,
// so that no statement writes a record of one form into a block of another.
enum class ValueForm : WORD { None = 0, Items, Boolean, Numeric, String };

struct PageValueRecord {
  PageValueRecord* next;
  WORD firstKey;       // a value id or a plain number
  WORD secondKey;      // a value id
  WORD conditionItem;  // item id of the condition feature, 0 for none
  WORD conditionValue; // a value id, or 1/0 for True/False
  std::int32_t numbers[6];
};

// One value of an item-type or PickMany option. One record carries the fields of every item
// type; the image keeps only the ones of the option's type.
struct OptionItem {
  OptionItem* next;
  WORD valueId;
  WORD reserved;
  char* command;  // 8-bit text or null
  // PickPage
  std::int32_t firstSize;
  std::int32_t secondSize;
  PageValueRecord* pageValues;
  // PickSlot
  DWORD paperCount;
  WORD* papers;
  // FontTbl
  DWORD pairCount;
  char** trueTypeNames;
  char** deviceFontNames;
};

struct BooleanValues {
  DWORD defaultValue;  // 1 True, 0 False
  char* trueCommand;
  char* falseCommand;
};

struct NumericValues {
  WORD leading;
  WORD number1;
  WORD number5;
  WORD number6;
  WORD number7;
  WORD number8;
  std::int32_t number2;  // default
  std::int32_t number3;  // minimum
  std::int32_t number4;  // maximum
};

struct StringValues {
  WORD defaultValueId;
  WORD textLimit;
  WORD kinds;
  WORD display;
};

struct OptionCommandPair {
  char* command1;
  char* command2;
};

struct ConditionBlock;

struct OptionRecord {
  OptionRecord* next;
  WORD itemId;
  WORD shareKey;
  WORD featureId;
  WORD type;
  WORD defaultValue;  // item types: a value id while the block is open, an index afterwards
  WORD reserved;
  OptionCommandPair* commands;
  ConditionBlock* condition;  // set when the image is built
  void* values;               // OptionItem list, BooleanValues, NumericValues or StringValues
  ValueForm form;             // what values holds (shared with the record it came from)
};

// Rule programs: words {u16 kind, u16 operand}.
struct RuleWord {
  WORD kind;
  WORD operand;
};
constexpr WORD kRuleField = 1;
constexpr WORD kRuleLiteral = 2;
constexpr WORD kRuleOperator = 3;
constexpr WORD kOpReturn = 10;

struct JudgeEntry {
  JudgeEntry* next;
  DWORD number;
  DWORD size;  // bytes, RETURN included
  RuleWord* program;
};

// Rule references: kind << 16 | number, or a plain number taken from a rule-name list.
constexpr DWORD kRefJudge = 0x10000;
constexpr DWORD kRefItem = 0x20000;
constexpr DWORD kRefAction = 0x30000;
constexpr DWORD kRefTransact = 0x40000;
constexpr DWORD kRefAlert = 0x50000;
constexpr DWORD kRefAlertAction = 0x60000;
constexpr DWORD kRefName = 0x70000;

struct ItemCondition {
  ItemCondition* next;
  WORD valueId;
  WORD reserved;
  DWORD disableJudge;
  DWORD hideJudge;
  DWORD lockJudge;
};

struct ActionEntry {
  ActionEntry* next;
  WORD targetId;
  WORD targetKind;  // 0 settings field, 1 property page
  DWORD value;
};

struct TransactEntry {
  TransactEntry* next;
  DWORD judge;   // 0 = always
  DWORD action;
};

struct AlertActionEntry {
  AlertActionEntry* next;
  WORD featureItemId;
  WORD reserved;
  DWORD transact;
  WORD pageId;
  WORD controlId;
};

struct AlertEntry {
  AlertEntry* next;
  DWORD judge;
  WORD messageId;
  WORD icon;
  WORD buttons;
  WORD timing;
  DWORD alertAction;
};

struct ConditionBlock {
  ConditionBlock* next;
  WORD featureItemId;
  WORD reserved;
  DWORD disableJudge;
  DWORD hideJudge;
  DWORD item;
  DWORD alert;
  DWORD transact;
  DWORD transact2;
  DWORD lockJudge;
};

// One Item, Action, Transact, AlertAction or Alert statement: its number and its entries.
template <typename Entry>
struct RuleStatement {
  RuleStatement* next;
  DWORD number;
  Entry* entries;
};

template <typename T>
struct ParseList {
  T* first = nullptr;
  T* last = nullptr;
  void Append(T* node) {
    node->next = nullptr;
    if (last) last->next = node; else first = node;
    last = node;
  }
};

// Rule-name lists: {name, number} per rule kind, in the order the names were defined.
struct RuleName {
  RuleName* next;
  char* name;
  DWORD number;
};
enum RuleNameKind { kNamesJudge, kNamesItem, kNamesAction, kNamesTransact, kNamesAlertAction, kNamesAlert, kNameKinds };

// Command groups.
constexpr WORD kNodeGroupType = 1;
constexpr WORD kNodeStringType = 2;
constexpr WORD kNodeCommand = 3;
constexpr WORD kNodeFontType = 4;

struct CommandBlock;
struct CommandNode {
  CommandNode* next;
  WORD kind;
  WORD featureItemId;   // kind 1
  WORD number;          // kind 1, 0 when not written
  DWORD stringNumber;   // kind 2: number of a CommandStringEntry
  CommandBlock* block;  // kind 3
};

struct CommandBlock {
  DWORD judge;  // Judge number, 0 for none
  CommandNode* first;
  CommandNode* second;  // the ElseIf or Else part
};

struct CommandStringEntry {
  CommandStringEntry* next;
  DWORD number;
  DWORD length;  // with the NUL
  char* text;
};

struct FontIdEntry {
  DWORD id;
  char* name;
};

// Command group codes and their header fields.
enum CommandGroupIndex { kGroupJobStart, kGroupJobEnd, kGroupDocReset, kGroupPageStart, kGroupPageEnd, kGroupCount };

// Option slots of the header: slot 0 heads the all-options list; slots 1-1977 hold the
// records of feature ids 1-696, 10001-10434 and 697-1543.
constexpr int kSlotCount = 1978;
// The slot of a feature id, or 0 when the id has none.
inline int FeatureSlot(WORD featureId) {
  if (featureId >= 1 && featureId <= 696) return featureId;
  if (featureId >= 10001 && featureId <= 10434) return featureId - 9304;
  if (featureId >= 697 && featureId <= 1543) return featureId + 434;
  return 0;
}

// The header under construction, in the field order of the image header.
struct ParsedHeader {
  WCHAR fileVersion[16];
  DWORD totalSize;                  // set when the image is built
  OptionRecord* slots[kSlotCount];  // slot 0: the all-options list, in file order
  WCHAR* uiResDllName;
  WCHAR* excDepDllName;
  CommandBlock* groups[kGroupCount];  // JobStart, JobEnd, DocReset, PageStart, PageEnd
  DWORD deviceFontCount;
  FontIdEntry** deviceFonts;
  DWORD fontCartridgeCount;
  FontIdEntry** fontCartridges;
  ConditionBlock* conditionBlocks;  // set when the image is built
};

struct ParseArena;

struct ModelParse {
  ParsedHeader header;
  // The open OpenUI block.
  char* openName;   // the feature's name without the '*', or null when no block is open
  WORD openItemId;
  WORD openShareKey;
  OptionRecord* openFirst;  // first record with the open item id
  OptionRecord* openExact;  // first record with the open item id and share key
  int rememberedKeyword;    // 1 + index of the keyword last dispatched, 0 for none
  ParseList<CommandStringEntry> commandStrings;
  ParseList<JudgeEntry> judges;
  ParseList<RuleStatement<ItemCondition>> items;
  ParseList<RuleStatement<ActionEntry>> actions;
  ParseList<RuleStatement<TransactEntry>> transacts;
  ParseList<RuleStatement<AlertActionEntry>> alertActions;
  ParseList<RuleStatement<AlertEntry>> alerts;
  ParseList<ConditionBlock> exclusives;
  // Names of rule statements, valid for the one parse.
  ParseList<RuleName> ruleNames[kNameKinds];
  OptionRecord* lastOption;  // tail of the all-options list
  ParseArena* arena;
};

// A fresh empty parse, or null when memory is short.
ModelParse* CreateModelParse();
// Frees the parse with everything it holds; null does nothing.
void FreeModelParse(ModelParse* parse);

// A zero-filled block of n bytes owned by the parse, or null when memory is short.
void* ParseAlloc(ModelParse* parse, std::size_t n);
template <typename T>
T* ParseNew(ModelParse* parse) {
  return static_cast<T*>(ParseAlloc(parse, sizeof(T)));
}
// Copies of texts into the parse; null when memory is short.
char* ParseCopyText(ModelParse* parse, const char* text, std::size_t length);
WCHAR* ParseCopyWide(ModelParse* parse, const WCHAR* text, std::size_t length);

// The default value of a feature among the options parsed so far: the value id of the item
// at the default index (item types), the Boolean default, Numeric number 2, the String
// default value id; 0 when there is no option or no values.
DWORD GetDefaultFromParsedHeader(WORD featureId, const ParsedHeader* header);
// The first record of the all-options list with that feature id (the slot for ids that
// have one).
OptionRecord* FindParsedOption(WORD featureId, const ParsedHeader* header);
