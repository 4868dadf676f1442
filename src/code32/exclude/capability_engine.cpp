#include "capability_engine.h"

#include <cstring>

#include "api_frame.h"
#include "api_printer.h"
#include "capability_lists.h"
#include "fields/product_record.h"
#include "option_services.h"
#include "settings_snapshots.h"
#include "win/lowmem.h"

namespace {

// The record's entries in offset order; the bitmap's address takes offset 0.
constexpr CapabilityRecordEntry kEntries[] = {
    {4, 1, kEntryResult, 0, 1, 1},
    {8, 2, kEntryList, 4, 2, 1},
    {16, 3, kEntryList, 24, 2, 1},
    {24, 4, kEntryList, 4, 3, 1},
    {32, 5, kEntryList, 64, 3, 1},
    {40, 6, kEntryList, 4, 4, 1},
    {48, 7, kEntryList, 64, 4, 1},
    {56, 8, kEntryResult, 0, 5, 1},
    {60, 9, kEntryResult, 0, 6, 1},
    {64, 10, kEntryList, 4, 7, 1},
    {72, 11, kEntryList, 64, 7, 1},
    {80, 12, kEntryList, 8, 7, 1},
    {88, 13, kEntryPair, 2, 7, 1},
    {92, 14, kEntryPair, 2, 7, 1},
    {96, 15, kEntryList, 4, 8, 1},
    {104, 16, kEntryList, 64, 8, 1},
    {112, 17, kEntryResult, 0, 9, 1},
    {116, 18, kEntryList, 4, 10, 1},
    {124, 19, kEntryResult, 0, 11, 1},
    {128, 20, kEntryPair, 2, 11, 1},
    {132, 21, kEntryPair, 2, 11, 1},
    {136, 22, kEntryResult, 0, 12, 1},
    {140, 23, kEntryResult, 0, 13, 1},
    {144, 24, kEntryResult, 0, 14, 1},
    {148, 25, kEntryResult, 0, 15, 1},
    {152, 26, kEntryResult, 0, 15, 1},
    {156, 27, kEntryResult, 0, 15, 1},
    {160, 28, kEntryResult, 0, 15, 1},
    {164, 29, kEntryResult, 0, 15, 1},
    {168, 30, kEntryList, 4, 16, 1},
    {176, 31, kEntryResult, 0, 17, 1},
    {180, 32, kEntryList, 4, 17, 1},
    {188, 33, kEntryList, 64, 17, 1},
    {196, 34, kEntryResult, 0, 18, 1},
    {200, 35, kEntryResult, 0, 18, 1},
    {204, 36, kEntryResult, 0, 18, 1},
    {208, 37, kEntryResult, 0, 18, 1},
    {212, 38, kEntryResult, 0, 18, 1},
    {216, 39, kEntryList, 4, 19, 1},
    {224, 40, kEntryList, 4, 20, 1},
    {232, 41, kEntryList, 4, 21, 1},
    {240, 42, kEntryResult, 0, 22, 1},
    {244, 43, kEntryResult, 0, 23, 1},
    {248, 44, kEntryResult, 0, 24, 1},
    {252, 45, kEntryList, 4, 25, 1},
    {260, 46, kEntryResult, 0, 26, 1},
    {264, 47, kEntryList, 4, 27, 1},
    {272, 48, kEntryResult, 0, 28, 1},
    {276, 49, kEntryResult, 0, 29, 1},
    {280, 50, kEntryResult, 0, 30, 1},
    {284, 51, kEntryResult, 0, 31, 1},
    {288, 52, kEntryResult, 0, 32, 1},
    {292, 53, kEntryResult, 0, 33, 1},
    {296, 54, kEntryList, 4, 34, 1},
    {304, 55, kEntryResult, 0, 35, 1},
    {308, 56, kEntryList, 4, 13, 1},
    {316, 57, kEntryResult, 0, 36, 1},
    {320, 66, kEntryList, 4, 20, 6},
    {328, 67, kEntryList, 4, 21, 6},
    {336, 60, kEntryResult, 0, 38, 6},
    {340, 257, kEntryResult, 0, 257, 6},
    {344, 61, kEntryList, 4, 39, 6},
    {352, 62, kEntryResult, 0, 40, 6},
    {356, 258, kEntryResult, 0, 40, 6},
    {360, 259, kEntryResult, 0, 40, 6},
    {364, 63, kEntryResult, 0, 41, 6},
    {368, 260, kEntryResult, 0, 41, 6},
    {372, 261, kEntryResult, 0, 41, 6},
    {376, 64, kEntryResult, 0, 42, 6},
    {380, 262, kEntryResult, 0, 42, 6},
    {384, 263, kEntryResult, 0, 42, 6},
    {388, 65, kEntryResult, 0, 43, 6},
    {392, 264, kEntryResult, 0, 43, 6},
    {396, 265, kEntryResult, 0, 43, 6},
    {400, 266, kEntryList, 4, 259, 6},
    {408, 267, kEntryList, 64, 259, 6},
    {416, 268, kEntryList, 4, 260, 6},
    {424, 269, kEntryList, 64, 260, 6},
    {432, 270, kEntryResult, 0, 258, 6},
    {436, 271, kEntryList, 4, 261, 6},
    {444, 272, kEntryList, 64, 261, 6},
    {452, 69, kEntryResult, 0, 45, 6},
    {456, 273, kEntryResult, 0, 263, 6},
    {460, 274, kEntryResult, 0, 264, 6},
    {464, 275, kEntryList, 4, 264, 6},
    {472, 70, kEntryResult, 0, 46, 6},
    {476, 71, kEntryResult, 0, 47, 6},
    {480, 72, kEntryResult, 0, 48, 6},
    {484, 73, kEntryResult, 0, 49, 6},
    {488, 74, kEntryResult, 0, 50, 6},
    {492, 75, kEntryList, 4, 51, 6},
    {500, 76, kEntryResult, 0, 19, 6},
    {504, 77, kEntryList, 4, 16, 6},
    {512, 78, kEntryResult, 0, 16, 6},
    {516, 79, kEntryResult, 0, 47, 6},
    {520, 80, kEntryResult, 0, 52, 6},
    {524, 81, kEntryResult, 0, 53, 6},
    {528, 82, kEntryResult, 0, 54, 6},
    {532, 83, kEntryResult, 0, 10, 6},
    {536, 276, kEntryResult, 0, 265, 6},
    {540, 277, kEntryList, 4, 266, 6},
    {548, 278, kEntryList, 4, 267, 6},
    {556, 279, kEntryList, 64, 267, 6},
    {564, 280, kEntryResult, 0, 268, 6},
    {568, 281, kEntryList, 4, 269, 6},
    {576, 282, kEntryList, 64, 269, 6},
    {584, 85, kEntryList, 4, 56, 6},
    {592, 86, kEntryList, 64, 56, 6},
    {600, 84, kEntryResult, 0, 55, 6},
    {604, 87, kEntryResult, 0, 57, 6},
    {608, 88, kEntryResult, 0, 58, 6},
    {612, 89, kEntryResult, 0, 59, 6},
    {616, 90, kEntryResult, 0, 59, 6},
    {620, 91, kEntryResult, 0, 59, 6},
    {624, 92, kEntryList, 4, 60, 6},
    {632, 93, kEntryList, 4, 61, 6},
    {640, 94, kEntryResult, 0, 62, 6},
    {644, 95, kEntryResult, 0, 63, 6},
    {648, 96, kEntryResult, 0, 64, 6},
    {652, 97, kEntryResult, 0, 65, 6},
    {656, 98, kEntryResult, 0, 66, 6},
    {660, 99, kEntryResult, 0, 67, 6},
    {664, 100, kEntryResult, 0, 67, 6},
    {668, 101, kEntryResult, 0, 28, 14},
    {672, 102, kEntryResult, 0, 28, 14},
    {676, 103, kEntryList, 4, 15, 14},
    {684, 104, kEntryList, 4, 15, 14},
    {692, 105, kEntryList, 4, 14, 14},
    {700, 106, kEntryList, 4, 14, 14},
    {708, 107, kEntryList, 4, 5, 14},
    {716, 108, kEntryResult, 0, 68, 6},
    {720, 109, kEntryList, 4, 68, 6},
    {728, 110, kEntryResult, 0, 69, 6},
    {732, 111, kEntryResult, 0, 70, 6},
    {736, 112, kEntryResult, 0, 71, 6},
    {740, 113, kEntryResult, 0, 71, 6},
    {744, 114, kEntryResult, 0, 71, 6},
    {748, 115, kEntryResult, 0, 71, 6},
    {752, 116, kEntryResult, 0, 71, 6},
    {756, 117, kEntryResult, 0, 72, 6},
    {760, 118, kEntryResult, 0, 73, 6},
    {764, 119, kEntryResult, 0, 74, 6},
    {768, 120, kEntryResult, 0, 75, 6},
    {772, 121, kEntryResult, 0, 76, 6},
    {776, 122, kEntryResult, 0, 77, 6},
    {780, 123, kEntryResult, 0, 78, 6},
    {784, 124, kEntryPair, 4, 7, 16},
    {792, 125, kEntryPair, 4, 7, 16},
    {800, 126, kEntryResult, 0, 79, 6},
    {804, 127, kEntryList, 260, 3, 16},
};
constexpr DWORD kEntryCount = sizeof kEntries / sizeof kEntries[0];

// Every entry starts where the one before it ends, the first right after the bitmap's
// address and the last ending at the record's end: the offsets are the record's layout.
constexpr bool EntriesTile() {
  DWORD at = 4;
  for (const CapabilityRecordEntry& e : kEntries) {
    if (e.offset != at) return false;
    if (e.form == kEntryList && e.elementSize == 0) return false;
    if (e.form == kEntryPair && e.elementSize != 2 && e.elementSize != 4) return false;
    at += EntryBytes(e);
  }
  return at == kCapabilityRecordSize;
}
static_assert(kEntryCount == 150);
static_assert(EntriesTile());
// The entries of API version 6 and later begin at offset 320; below version 6 the record ends
// with the entry at offset 316.
constexpr DWORD kVersion6Offset = 320;
static_assert(kEntries[56].offset == 316 && kEntries[56].capability == 57);
static_assert(kEntries[57].offset == kVersion6Offset && kEntries[57].fromVersion == 6);
static_assert(kEntries[12].offset == 88 && kEntries[12].capability == 13 && kEntries[12].form == kEntryPair);
static_assert(kEntries[146].offset == 784 && kEntries[146].capability == 124 && kEntries[146].elementSize == 4);
static_assert(kEntries[149].offset == 804 && kEntries[149].capability == 127 && kEntries[149].elementSize == 260);
constexpr bool LaterEntriesFromVersion6() {
  for (DWORD i = 0; i < kEntryCount; ++i)
    if ((kEntries[i].offset >= kVersion6Offset) != (kEntries[i].fromVersion >= 6)) return false;
  return true;
}
static_assert(LaterEntriesFromVersion6());

// The ids whose row's field must be offered before their handler runs.
bool NeedsOfferedField(DWORD id) {
  switch (id) {
    case 8: case 55: case 61: case 64: case 65: case 70: case 72: case 75: case 126: return true;
    default: return id >= 262 && id <= 269;
  }
}

// The ids that the terminal-server restriction silences.
bool TerminalServerSilenced(DWORD id) { return (id >= 49 && id <= 53) || (id >= 121 && id <= 123); }

bool StatusBitSet(const BYTE* bitmap, DWORD bytes, DWORD id) {
  if (id < 1 || (id - 1) / 8 >= bytes) return false;
  return (bitmap[(id - 1) / 8] & (0x80u >> ((id - 1) % 8))) != 0;
}

void PutU32(BYTE* record, DWORD offset, DWORD value) { std::memcpy(record + offset, &value, 4); }

// Fills one entry; false when the record fails.
bool FillEntry(DriverContext* context, BYTE* record, const CapabilityRecordEntry& e) {
  switch (e.form) {
    case kEntryResult:
      PutU32(record, e.offset, static_cast<DWORD>(QueryCapability(context, e.capability, nullptr)));
      return true;
    case kEntryPair: {
      BYTE halves[8] = {};
      QueryCapability(context, e.capability, halves);
      std::memcpy(record + e.offset, halves, EntryBytes(e));
      return true;
    }
    default: break;
  }
  const std::int32_t count = QueryCapability(context, e.capability, nullptr);
  if (count == 0) return true;
  if (count < 0) return e.capability == 45 && IsEmulationRefused(context);
  // A block of exactly the count the capability gave; a list answers no more entries with a
  // buffer than it counted without one, and anything else fails the record.
  const std::uint64_t bytes = static_cast<std::uint64_t>(count) * e.elementSize;
  if (bytes > 0x10000000u) return false;
  void* part = NewCapabilityRecordPart(record, static_cast<DWORD>(bytes));
  if (!part) return false;
  // The second query computes its list again; it may not write more than this block holds.
  std::int32_t written = 0;
  {
    const ListRoomScope room(static_cast<DWORD>(count));
    written = QueryCapability(context, e.capability, part);
  }
  if (written < 1 || written > count) return false;
  PutU32(record, e.offset, static_cast<DWORD>(written));
  PutU32(record, e.offset + 4, LowMemoryToSlot(part));
  return true;
}

std::int32_t FailRecord(DriverContext* context, BYTE* record) {
  FreeCapabilityRecord(context, record);
  SetApiError(context, API_INTERNAL);
  return 0;
}

}  // namespace

const CapabilityRecordEntry* GetCapabilityRecordEntries(DWORD* count) {
  if (count) *count = kEntryCount;
  return kEntries;
}

std::int32_t DispatchCapability(DriverContext* context, DWORD id, void* buffer) {
  const CapabilityItem* row = FindCapabilityItem(id);
  if (!row || !row->enabled || !row->handler) return 0;
  HANDLE printer = nullptr;
  ItemPrinterHandles saved;
  if (!OpenItemPrinter(context, &printer, nullptr, &saved)) {
    SetApiError(context, API_INTERNAL);
    return -1;
  }
  std::int32_t result = 0;
  if (NeedsOfferedField(id) && !IsFieldOptionOffered(context, static_cast<WORD>(row->field))) {
    result = 0;
  } else if (TerminalServerSilenced(id) && IsTerminalServerRestricted(context)) {
    result = 0;
  } else {
    const ApiState* state = ApiStateOf(context);
    const std::int32_t before = state ? state->lastError : API_OK;
    SetApiError(context, API_INTERNAL);
    result = row->handler(context, id, buffer);
    if (result != -1) SetApiError(context, before);
  }
  CloseItemPrinter(context, printer, &saved);
  return result;
}

std::int32_t BuildCapabilityRecord(DriverContext* context) {
  BYTE* record = NewCapabilityRecord();
  if (!record) return 0;
  const std::int32_t size = QueryCapability(context, 0, nullptr);
  if (size < 1) return FailRecord(context, record);
  auto* bitmap = static_cast<BYTE*>(NewCapabilityRecordPart(record, static_cast<DWORD>(size)));
  if (!bitmap) return FailRecord(context, record);
  const std::int32_t filled = QueryCapability(context, 0, bitmap);
  if (filled < 1 || filled > size) return FailRecord(context, record);
  PutU32(record, 0, LowMemoryToSlot(bitmap));
  const std::int32_t version = GetApiVersion();
  for (const CapabilityRecordEntry& e : kEntries) {
    if (e.offset >= kVersion6Offset && version < 6) break;
    if (version < e.fromVersion) continue;
    if (!StatusBitSet(bitmap, static_cast<DWORD>(filled), e.statusItem)) continue;
    if (!FillEntry(context, record, e)) return FailRecord(context, record);
  }
  return static_cast<std::int32_t>(LowMemoryToSlot(record));
}
