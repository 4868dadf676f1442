// The capability items that answer a single number: whether a function exists and may be
// used now, a level, a limit or range of a setting from the model, the custom paper extents,
// and facts about the installation.
#pragma once

#include <cstdint>

#include "win/types.h"

struct DriverContext;

// 1 when the model declares an option for the field.
int HasFeatureOption(DriverContext* context, DWORD ignored, WORD field);
// The maximum of the copies field's Numeric option, else the product record's default.
std::int32_t GetMaxCopies(DriverContext* context);
// The product record's custom paper maximum (maximum 1) or minimum (0) as {width, length}
// in 0.1 mm, each kept within the free-size limits; out may be null. Answers 1.
std::int32_t GetCustomPaperExtent(DriverContext* context, DWORD* out, int maximum);

// The handler of every flag, number, range and pair capability.
std::int32_t AnswerCapabilityNumber(DriverContext* context, DWORD id, void* buffer);
// 1 when the id is one AnswerCapabilityNumber answers.
constexpr bool IsCapabilityNumberId(DWORD id) {
  switch (id) {
    case 1: case 8: case 9: case 13: case 14: case 17: case 19: case 20: case 21: case 22: case 23: case 24:
    case 25: case 26: case 27: case 28: case 29: case 31: case 35: case 36: case 37: case 38: case 42:
    case 43: case 44: case 46: case 48: case 49: case 50: case 51: case 52: case 53: case 55: case 57:
    case 60: case 62: case 63: case 64: case 65: case 69: case 70: case 71: case 72: case 73: case 74:
    case 76: case 78: case 79: case 80: case 81: case 82: case 83: case 84: case 87: case 88: case 89:
    case 90: case 91: case 94: case 95: case 96: case 97: case 98: case 99: case 100: case 101: case 102:
    case 108: case 110: case 111: case 112: case 113: case 114: case 115: case 116: case 117: case 118:
    case 119: case 120: case 121: case 122: case 123: case 124: case 125: case 126: case 257: case 258:
    case 259: case 260: case 261: case 262: case 263: case 264: case 265: case 270: case 273: case 274:
    case 276: case 280:
      return true;
    default:
      return false;
  }
}
// Capability 0x30000: the machine's colour type.
std::int32_t AnswerMachineColorType(DriverContext* context, DWORD id, void* buffer);
