// drvhost api: the capability calls as an outside program makes them. A list is asked
// first with a null buffer for its count, then into a buffer of count elements of the id's
// size; the capability record is walked by its published layout.
#include "api_caps.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "win/lowmem.h"

namespace drvhost {
namespace {

// The published element form of a capability: names of a slot width, pairs, or values.
enum class Form { Number, Values, Pairs32, Names, WordPair, DwordPair };

struct Element {
  Form form;
  DWORD size;  // bytes of one element
};

Element ElementOf(DWORD id) {
  switch (id) {
    case 3: return {Form::Names, 24};
    case 127: return {Form::Names, 260};
    case 5: case 7: case 11: case 16: case 33: case 86: case 267: case 269: case 272: case 279: case 282:
      return {Form::Names, 64};
    case 12: return {Form::Pairs32, 8};
    case 13: case 14: case 20: case 21: return {Form::WordPair, 4};
    case 124: case 125: return {Form::DwordPair, 8};
    case 2: case 4: case 6: case 10: case 15: case 18: case 30: case 32: case 39: case 40: case 41: case 45:
    case 47: case 54: case 56: case 61: case 66: case 67: case 75: case 77: case 85: case 92: case 93:
    case 103: case 104: case 105: case 106: case 107: case 109: case 266: case 268: case 271: case 275:
    case 277: case 278: case 281:
      return {Form::Values, 4};
    default:
      return {Form::Number, 0};
  }
}

// The list and pair entries of the record: {offset, capability, list (else pair), element
// or half size}; every other word after the bitmap's address is a capability's answer.
struct RecordSlot {
  DWORD offset;
  DWORD capability;
  bool list;
  DWORD size;
};
constexpr RecordSlot kRecordSlots[] = {
    {8, 2, true, 4}, {16, 3, true, 24}, {24, 4, true, 4}, {32, 5, true, 64}, {40, 6, true, 4},
    {48, 7, true, 64}, {64, 10, true, 4}, {72, 11, true, 64}, {80, 12, true, 8}, {88, 13, false, 2},
    {92, 14, false, 2}, {96, 15, true, 4}, {104, 16, true, 64}, {116, 18, true, 4}, {128, 20, false, 2},
    {132, 21, false, 2}, {168, 30, true, 4}, {180, 32, true, 4}, {188, 33, true, 64}, {216, 39, true, 4},
    {224, 40, true, 4}, {232, 41, true, 4}, {252, 45, true, 4}, {264, 47, true, 4}, {296, 54, true, 4},
    {308, 56, true, 4}, {320, 66, true, 4}, {328, 67, true, 4}, {344, 61, true, 4}, {400, 266, true, 4},
    {408, 267, true, 64}, {416, 268, true, 4}, {424, 269, true, 64}, {436, 271, true, 4},
    {444, 272, true, 64}, {464, 275, true, 4}, {492, 75, true, 4}, {504, 77, true, 4}, {540, 277, true, 4},
    {548, 278, true, 4}, {556, 279, true, 64}, {568, 281, true, 4}, {576, 282, true, 64}, {584, 85, true, 4},
    {592, 86, true, 64}, {624, 92, true, 4}, {632, 93, true, 4}, {676, 103, true, 4}, {684, 104, true, 4},
    {692, 105, true, 4}, {700, 106, true, 4}, {708, 107, true, 4}, {720, 109, true, 4}, {784, 124, false, 4},
    {792, 125, false, 4}, {804, 127, true, 260},
};
constexpr DWORD kRecordBytes = 812;

std::string Quoted(const char* text, DWORD width) {
  std::string out = "\"";
  for (DWORD i = 0; i < width && text[i]; ++i) out += text[i];
  return out + "\"";
}

// The elements of a buffer as text.
std::string Elements(const BYTE* data, std::int32_t count, Element e) {
  std::string out;
  for (std::int32_t i = 0; i < count; ++i) {
    const BYTE* at = data + static_cast<std::size_t>(i) * e.size;
    if (!out.empty()) out += ' ';
    if (e.form == Form::Names) {
      out += Quoted(reinterpret_cast<const char*>(at), e.size);
    } else if (e.form == Form::Pairs32) {
      std::int32_t pair[2];
      std::memcpy(pair, at, sizeof pair);
      out += std::to_string(pair[0]) + "x" + std::to_string(pair[1]);
    } else {
      std::int32_t value;
      std::memcpy(&value, at, sizeof value);
      out += std::to_string(value);
    }
  }
  return out;
}

}  // namespace

std::string AskCapability(CapsFn caps, DriverContext* handle, DWORD id) {
  const Element e = ElementOf(id);
  if (e.form == Form::WordPair || e.form == Form::DwordPair) {
    BYTE pair[8] = {};
    const std::int32_t answer = caps(handle, id, pair);
    std::string out = std::to_string(answer);
    if (e.form == Form::WordPair) {
      WORD halves[2];
      std::memcpy(halves, pair, sizeof halves);
      return out + " (" + std::to_string(halves[0]) + " " + std::to_string(halves[1]) + ")";
    }
    DWORD halves[2];
    std::memcpy(halves, pair, sizeof halves);
    return out + " (" + std::to_string(halves[0]) + " " + std::to_string(halves[1]) + ")";
  }
  if (id == 0) {
    BYTE bitmap[64] = {};
    const std::int32_t size = caps(handle, 0, nullptr);
    if (size < 1 || size > 64) return std::to_string(size);
    const std::int32_t answer = caps(handle, 0, bitmap);
    std::string out = std::to_string(answer) + " (";
    for (std::int32_t i = 0; i < answer && i < 64; ++i) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%02X", bitmap[i]);
      out += hex;
    }
    return out + ")";
  }
  const std::int32_t count = caps(handle, id, nullptr);
  if (e.form == Form::Number || count <= 0) return std::to_string(count);
  std::vector<BYTE> buffer(static_cast<std::size_t>(count) * e.size);
  const std::int32_t written = caps(handle, id, buffer.data());
  std::string out = std::to_string(written);
  if (written > count) return out + " (more than the " + std::to_string(count) + " counted)";
  if (written > 0) out += " (" + Elements(buffer.data(), written, e) + ")";
  return out;
}

std::string AskEveryCapability(CapsFn caps, DriverContext* handle) {
  std::string out;
  auto one = [&](DWORD id) {
    out += "\n  " + std::to_string(id) + ": " + AskCapability(caps, handle, id);
  };
  for (DWORD id = 1; id <= 127; ++id) one(id);
  for (DWORD id = 257; id <= 282; ++id) one(id);
  one(0x30000);
  return out;
}

std::string DescribeRecord(CapsFn caps, DriverContext* handle, std::int32_t& address) {
  address = caps(handle, 0x80000001u, nullptr);
  if (address <= 0) {  // 0 when the record failed, -1 without a handle
    const std::string answer = std::to_string(address) + " (no record)";
    address = 0;
    return answer;
  }
  const auto* record = static_cast<const BYTE*>(LowMemoryFromSlot(static_cast<DWORD>(address)));
  char head[32];
  std::snprintf(head, sizeof head, "0x%08X", static_cast<DWORD>(address));
  std::string out = head;
  bool allLow = static_cast<DWORD>(address) < 0x80000000u;
  auto word = [&](DWORD offset) {
    DWORD value;
    std::memcpy(&value, record + offset, 4);
    return value;
  };
  char bitmap[32];
  std::snprintf(bitmap, sizeof bitmap, "0x%08X", word(0));
  out += std::string("\n  0: the status bitmap at ") + bitmap;
  allLow = allLow && word(0) < 0x80000000u;
  DWORD offset = 4;
  while (offset < kRecordBytes) {
    const RecordSlot* slot = nullptr;
    for (const RecordSlot& s : kRecordSlots)
      if (s.offset == offset) slot = &s;
    if (!slot) {
      const auto value = static_cast<std::int32_t>(word(offset));
      if (value != 0) out += "\n  " + std::to_string(offset) + ": " + std::to_string(value);
      offset += 4;
      continue;
    }
    if (!slot->list) {
      const DWORD bytes = 2 * slot->size;
      if (slot->size == 2) {
        WORD halves[2];
        std::memcpy(halves, record + offset, 4);
        if (halves[0] || halves[1])
          out += "\n  " + std::to_string(offset) + ": capability " + std::to_string(slot->capability) + " (" +
                 std::to_string(halves[0]) + " " + std::to_string(halves[1]) + ")";
      } else if (word(offset) || word(offset + 4)) {
        out += "\n  " + std::to_string(offset) + ": capability " + std::to_string(slot->capability) + " (" +
               std::to_string(word(offset)) + " " + std::to_string(word(offset + 4)) + ")";
      }
      offset += bytes;
      continue;
    }
    const DWORD count = word(offset);
    const DWORD block = word(offset + 4);
    if (count || block) {
      allLow = allLow && block < 0x80000000u;
      const Element e = ElementOf(slot->capability);
      out += "\n  " + std::to_string(offset) + ": capability " + std::to_string(slot->capability) + ", " +
             std::to_string(count) + " (";
      if (block && block < 0x80000000u && count <= 4096)
        out += Elements(static_cast<const BYTE*>(LowMemoryFromSlot(block)), static_cast<std::int32_t>(count), e);
      out += ")";
    }
    offset += 8;
  }
  out += allLow ? "\n  every address below 2 GiB" : "\n  AN ADDRESS AT OR ABOVE 2 GiB";
  return out;
}

std::string FreeRecord(CapsFn caps, DriverContext* handle, std::int32_t& address) {
  const std::int32_t answer = caps(handle, 0x80000002u, LowMemoryFromSlot(static_cast<DWORD>(address)));
  address = 0;
  return std::to_string(answer);
}

}  // namespace drvhost
