#include "item_tables.h"

#include <array>
#include <utility>

#include "capability_flags.h"
#include "capability_lists.h"
#include "capability_numbers.h"
#include "status_engine.h"
#include "status_functions.h"
#include "status_single.h"

namespace {

// The handlers of a row by id: the single-value and the function families; the other
// families' rows keep empty slots.
// PENDING: the paper, print-size and rotation items, the print method, job text,
// authentication and service items, the stamp, header and footer, copy protection and tray
// items, and the settings file, preset and chapter page items fill their rows' slots; until
// they come those slots stay empty, so a change answers error 100 and a read answers -1.
constexpr bool IsSingleItem(DWORD id) {
  switch (id) {
    case 2: case 3: case 4: case 5: case 6: case 9: case 22: case 23: case 24: case 25: case 27: case 29:
    case 30: case 31: case 32: case 33: case 34: case 35: case 38: case 39: case 40: case 41: case 42: case 43:
    case 45: case 46: case 48: case 49: case 52: case 53: case 57: case 61: case 62: case 66: case 72: case 73:
    case 74: case 75: case 76: case 77: case 78: case 257: case 263: case 265: case 266: case 267: case 268:
    case 269:
      return true;
    default:
      return false;
  }
}
constexpr bool IsFunctionItem(DWORD id) {
  switch (id) {
    case 11: case 12: case 13: case 14: case 15: case 17: case 18: case 19: case 20: case 21: case 51: case 58:
    case 64: case 65: case 68: case 69: case 70: case 71: case 79: case 262: case 264:
      return true;
    default:
      return false;
  }
}
// Rows whose VERIFY always passes, and rows that can only be read.
constexpr bool VerifiesAlways(DWORD id) { return id == 17 || id == 34 || id == 66; }
constexpr bool IsReadOnlyItem(DWORD id) { return id == 54 || id == 63 || id == 75; }

constexpr StatusItem Row(DWORD id, DWORD enabled, DWORD kind, DWORD main, std::array<WORD, 8> related) {
  StatusSetHandler set = nullptr;
  StatusSetHandler verify = nullptr;
  StatusGetHandler get = nullptr;
  if (IsSingleItem(id)) {
    set = IsReadOnlyItem(id) ? nullptr : &SetSingleItem;
    verify = IsReadOnlyItem(id) ? nullptr : VerifiesAlways(id) ? &VerifyAlways : &VerifySingleItem;
    get = &GetSingleItem;
  } else if (IsFunctionItem(id)) {
    set = &SetFunctionItem;
    verify = VerifiesAlways(id) ? &VerifyAlways : &VerifyFunctionItem;
    get = &GetFunctionItem;
  }
  return StatusItem{id, enabled, kind, main, 0, set, verify, get,
                    {related[0], related[1], related[2], related[3], related[4], related[5], related[6], related[7]}};
}

constexpr StatusItem kStatusRows[] = {
    Row(1, 1, 1, 0, {}),
    Row(2, 1, 1, 13, {13}),
    Row(3, 1, 1, 54, {54}),
    Row(4, 1, 1, 53, {53}),
    Row(5, 1, 1, 15, {15}),
    Row(6, 1, 1, 7, {7}),
    Row(7, 1, 2, 8, {8, 10, 9}),
    Row(8, 1, 3, 46, {46}),
    Row(9, 1, 1, 12, {12}),
    Row(10, 1, 3, 209, {209, 202, 207, 208, 204, 206, 205, 953}),
    Row(11, 1, 2, 55, {55, 87, 89, 90}),
    Row(12, 1, 1, 65, {65, 124, 125}),
    Row(13, 1, 1, 64, {64, 122, 123}),
    Row(14, 1, 2, 56, {56, 91, 92}),
    Row(15, 1, 1, 58, {58, 94}),
    Row(16, 1, 3, 117, {}),
    Row(17, 1, 1, 60, {60, 118}),
    Row(18, 1, 1, 67, {67, 95}),
    Row(19, 1, 2, 61, {61, 119, 388, 411}),
    Row(20, 1, 1, 63, {63, 121}),
    Row(21, 1, 1, 62, {62, 120}),
    Row(22, 1, 1, 183, {183}),
    Row(23, 1, 1, 184, {184}),
    Row(24, 1, 1, 187, {187}),
    Row(25, 1, 1, 201, {201}),
    Row(26, 1, 1, 202, {202}),
    Row(27, 1, 1, 173, {173}),
    Row(28, 1, 3, 194, {194, 602, 679, 680}),
    Row(29, 1, 1, 215, {215}),
    Row(30, 1, 1, 212, {212}),
    Row(31, 1, 1, 211, {211}),
    Row(32, 1, 1, 213, {213}),
    Row(33, 1, 1, 217, {217}),
    Row(34, 1, 1, 38, {38, 152}),
    Row(35, 1, 1, 144, {144, 145, 146, 147}),
    Row(36, 1, 1, 0, {}),
    Row(37, 0, 1, 0, {}),
    Row(38, 1, 1, 128, {128}),
    Row(39, 1, 1, 134, {134}),
    Row(40, 1, 1, 138, {138}),
    Row(41, 1, 1, 139, {139}),
    Row(42, 1, 1, 140, {140}),
    Row(43, 1, 1, 141, {141, 142, 143}),
    Row(44, 0, 1, 0, {}),
    Row(45, 1, 1, 383, {383}),
    Row(46, 1, 1, 163, {163}),
    Row(47, 1, 2, 100, {100, 101, 102, 108, 110, 112, 103, 114}),
    Row(48, 1, 1, 193, {193}),
    Row(49, 1, 1, 174, {174}),
    Row(50, 1, 1, 0, {}),
    Row(51, 1, 1, 78, {78, 511}),
    Row(52, 1, 1, 530, {530}),
    Row(53, 1, 1, 531, {531}),
    Row(54, 1, 1, 10354, {10354, 10355}),
    Row(55, 1, 1, 79, {79}),
    Row(56, 1, 2, 37, {37}),
    Row(57, 1, 1, 601, {601}),
    Row(58, 1, 1, 386, {386, 403}),
    Row(59, 1, 1, 10354, {10354, 10355, 1112, 1113}),
    Row(60, 1, 1, 10354, {10354, 10355, 1114}),
    Row(61, 1, 1, 227, {227}),
    Row(62, 1, 1, 197, {197, 195}),
    Row(63, 1, 1, 0, {}),
    Row(64, 1, 1, 66, {66, 126, 127}),
    Row(65, 1, 1, 70, {70, 410, 408}),
    Row(66, 1, 1, 0, {404, 405, 406, 407, 409}),
    Row(67, 1, 2, 69, {69, 997, 998, 999, 1005, 1006, 1007, 1008}),
    Row(68, 1, 1, 537, {537, 690}),
    Row(69, 1, 1, 80, {80}),
    Row(70, 1, 1, 81, {81, 82}),
    Row(71, 1, 1, 691, {691, 692}),
    Row(72, 1, 1, 393, {393}),
    Row(73, 1, 1, 539, {539}),
    Row(74, 1, 1, 394, {394}),
    Row(75, 1, 1, 10358, {10358}),
    Row(76, 1, 1, 218, {218}),
    Row(77, 1, 1, 219, {219}),
    Row(78, 1, 1, 220, {220}),
    Row(79, 1, 1, 543, {543, 544, 545, 693, 694, 695, 696}),
    Row(257, 1, 1, 129, {129}),
    Row(258, 1, 1, 176, {}),
    Row(259, 1, 1, 177, {}),
    Row(260, 1, 1, 178, {}),
    Row(261, 1, 1, 179, {}),
    Row(262, 1, 1, 0, {176, 177, 178, 179}),
    Row(263, 1, 1, 154, {154}),
    Row(264, 1, 1, 68, {68, 200}),
    Row(265, 1, 1, 130, {130}),
    Row(266, 1, 1, 131, {131}),
    Row(267, 1, 1, 132, {132}),
    Row(268, 1, 1, 196, {196}),
    Row(269, 1, 1, 133, {133}),
};
static_assert(sizeof kStatusRows / sizeof kStatusRows[0] == kStatusFirstBlockIds + kStatusSecondBlockIds);

// The field a capability row names, by id (0 = none).
constexpr DWORD CapabilityField(DWORD id) {
  switch (id) {
    case 8: return 15;
    case 55: return 144;
    case 61: return 134;
    case 64: case 262: case 263: return 140;
    case 65: case 264: case 265: return 141;
    case 70: return 163;
    case 72: return 193;
    case 75: return 78;
    case 76: return 388;
    case 77: return 1081;
    case 78: return 1098;
    case 79: return 103;
    case 80: return 530;
    case 81: return 531;
    case 82: return 10354;
    case 84: return 79;
    case 85: return 37;
    case 101: return 679;
    case 102: return 680;
    case 126: return 543;
    case 266: case 267: return 177;
    case 268: case 269: return 178;
    case 276: return 130;
    case 277: return 131;
    case 278: case 279: return 132;
    case 280: return 196;
    case 281: case 282: return 133;
    default: return 0;
  }
}

// The handler of a capability row, by id; null for the rows never answered.
constexpr CapabilityHandler CapabilityHandlerOf(DWORD id) {
  if (id == 34) return &CapabilityShiftMarginRange;
  if (id == 12) return &AnswerPaperSizes;
  if (IsCapabilityNumberId(id)) return &AnswerCapabilityNumber;
  if (IsValueListId(id)) return &AnswerValueList;
  if (NameListWidth(id) != 0) return &AnswerNameList;
  return nullptr;
}

constexpr CapabilityItem CapabilityRow(DWORD id) {
  const DWORD enabled = id == 58 || id == 59 || id == 68 ? 0 : 1;
  return CapabilityItem{id, enabled, 1, CapabilityField(id), CapabilityHandlerOf(id), nullptr, nullptr, nullptr, {}};
}

template <DWORD First, std::size_t... I>
constexpr std::array<CapabilityItem, sizeof...(I)> CapabilityBlock(std::index_sequence<I...>) {
  return {CapabilityRow(First + static_cast<DWORD>(I))...};
}

constexpr auto kCapabilityFirst = CapabilityBlock<1>(std::make_index_sequence<kCapabilityFirstBlockIds>{});
constexpr auto kCapabilitySecond = CapabilityBlock<257>(std::make_index_sequence<kCapabilitySecondBlockIds>{});
constexpr CapabilityItem kSpecialCapability{kSpecialCapabilityId, 1, 1, 0, &AnswerMachineColorType, nullptr, nullptr, nullptr, {}};

}  // namespace

const StatusItem* StatusRowById(DWORD id) {
  if (id >= 1 && id <= kStatusFirstBlockIds) return &kStatusRows[id - 1];
  if (id >= 257 && id < 257 + kStatusSecondBlockIds) return &kStatusRows[kStatusFirstBlockIds + (id - 257)];
  return nullptr;
}

const CapabilityItem* CapabilityRowById(DWORD id) {
  if (id >= 1 && id <= kCapabilityFirstBlockIds) return &kCapabilityFirst[id - 1];
  if (id >= 257 && id < 257 + kCapabilitySecondBlockIds) return &kCapabilitySecond[id - 257];
  return nullptr;
}

const CapabilityItem* FindSpecialCapability(DWORD id) {
  return id == kSpecialCapability.id ? &kSpecialCapability : nullptr;
}
