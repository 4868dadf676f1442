// The capability items that answer a list: the values a status item may take and, beside
// several of them, the display names of the same values in the same order.
#pragma once

#include <cstdint>

#include "context/display_text.h"
#include "win/types.h"

struct DriverContext;

// The values of the field's capability value list that pass their conditions, at most
// capacity of them written (kdmOutputTrayID: a leading 0, and the model's trays only when
// it has at least two). The count, 0 when none passes, -1 when the model has no list.
std::int32_t ListOfferedValues(DriverContext* context, DWORD id, DWORD* buffer, WORD field, DWORD capacity = 0);
// The output-tray rule of ListOfferedValues: from the model's count values into out (at most
// capacity entries), a 0 first, then the model's non-zero trays when there are at least two
// of them; the number written (1 when fewer than two, 0 without room).
std::int32_t ArrangeOutputTrays(const std::int32_t* values, DWORD count, DWORD* out, DWORD capacity);
// The stored values of the items of the field's PickOne option that the rules leave enabled,
// at most capacity of them written. The count, -1 when there is no such option, an item has
// no valid value symbol, or none is enabled.
std::int32_t ListEnabledValues(DriverContext* context, DWORD* buffer, WORD field, DWORD capacity = 0);

// The product record's byte after the machine-type byte is 1 when the product refuses the
// emulation choice: capability 45 then answers -1 with the last error 3, and the capability
// record leaves its entry 0 instead of failing.
bool IsEmulationRefused(const DriverContext* context);
constexpr std::int32_t kEmulationRefusedError = 3;

// The room of the caller's buffer, in entries, for callers that know it (the capability
// record's blocks): while a scope is open on a thread, a list handler whose buffer answer
// would hold more entries than that writes nothing and answers -1. Without a scope the
// caller sized its buffer from the null answer.
class ListRoomScope {
 public:
  explicit ListRoomScope(DWORD entries);
  ~ListRoomScope();
  ListRoomScope(const ListRoomScope&) = delete;
  ListRoomScope& operator=(const ListRoomScope&) = delete;

 private:
  DWORD saved_;
};

// The handler of every capability that lists 32-bit values. With a null buffer the number of
// entries; with a buffer (sized from that number) the entries, and never more of them than
// the null answer gave for the same settings.
std::int32_t AnswerValueList(DriverContext* context, DWORD id, void* buffer);
constexpr bool IsValueListId(DWORD id) {
  switch (id) {
    case 2: case 4: case 6: case 10: case 15: case 18: case 30: case 32: case 39: case 40: case 41: case 45:
    case 47: case 54: case 56: case 61: case 66: case 67: case 75: case 77: case 85: case 92: case 93:
    case 103: case 104: case 105: case 106: case 107: case 109: case 266: case 268: case 271: case 275:
    case 277: case 278: case 281:
      return true;
    default:
      return false;
  }
}
// Capability 12: {u32 width, u32 length} pairs in 0.1 mm.
std::int32_t AnswerPaperSizes(DriverContext* context, DWORD id, void* buffer);

// A name-list operation's code side: (context, u16 codes or null, key) -> count or -1; and its
// name side: (context, UTF-16 slots or null, slot width in characters, key) -> count or -1.
using CodeListOperation = std::int32_t (*)(DriverContext* context, WORD* buffer, WORD key);
using NameListOperation = std::int32_t (*)(DriverContext* context, WCHAR* buffer, int slotChars, WORD key);
// The names of the values that ListOfferedValues gives, in the same order, one ANSI slot of
// width bytes each: the name of the first equal code of the model's list, else UI string
// 204. -1 when there is no value, the code and name lists differ in length, or a name does
// not convert (the later slots are still written).
std::int32_t ListOfferedValueNames(DriverContext* context, DWORD id, char* buffer, WORD field, int width,
                                   CodeListOperation codes, NameListOperation names);
// A code list widened to u32, and a name list narrowed to ANSI slots of width bytes (-1 when
// a name does not convert).
std::int32_t WidenCodeList(DriverContext* context, DWORD id, DWORD* buffer, WORD key, CodeListOperation codes);
std::int32_t NarrowNameList(DriverContext* context, DWORD id, char* buffer, int width, WORD key,
                            NameListOperation names);
// The display names of the values that ListEnabledValues gives: mode 0 through the control
// label table, mode 1 the value map's word as the string id. -1 when a name does not convert.
std::int32_t ListEnabledValueNames(DriverContext* context, char* buffer, WORD field, int width, int mode);

// The control label table (FindControlLabel, GetControlLabelTable) is the display text's.

// The handler of every capability that lists names, and the width of its slots (0 for any
// other id).
std::int32_t AnswerNameList(DriverContext* context, DWORD id, void* buffer);
constexpr int NameListWidth(DWORD id) {
  switch (id) {
    case 3: return 24;
    case 127: return 260;
    case 5: case 7: case 11: case 16: case 33: case 86: case 267: case 269: case 272: case 279: case 282:
      return 64;
    default:
      return 0;
  }
}
