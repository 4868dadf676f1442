// Conversion tables of the ANSI and OEM code pages, built through iconv once per code page
// and kept for the life of the process. Internal to the platform library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "win/types.h"

namespace plat {

struct CodePageTable {
  UINT codePage = 0;
  // 1 for a single-byte page, 2 for a double-byte page.
  UINT maxCharSize = 1;
  // What a byte (or a lead byte with a trail byte it does not pair with) decodes to when it
  // has no mapping.
  char16_t unicodeDefault = u'?';
  // Lead bytes of a double-byte page as up to five inclusive ranges, as CPINFO gives them.
  std::vector<std::pair<BYTE, BYTE>> leadRanges;
  bool lead[256] = {};
  // Single bytes: the UTF-16 unit, valid where singleValid is set.
  char16_t single[256] = {};
  bool singleValid[256] = {};
  // Byte pairs: 256 trail entries per lead byte, in the order of leadIndex; 0 means no
  // mapping (no pair decodes to U+0000).
  std::uint8_t leadIndex[256] = {};
  std::vector<char16_t> pairs;
  // UTF-16 unit to bytes: a single byte (<= 0xFF) or lead << 8 | trail; 0 means no mapping
  // (U+0000 is always the byte 0).
  std::vector<std::uint16_t> encode;
  // A short description of the page, as the code-page information names it.
  std::u16string name;

  char16_t Pair(BYTE leadByte, BYTE trail) const {
    return pairs[static_cast<std::size_t>(leadIndex[leadByte]) * 256 + trail];
  }
};

// The table of a code page (already resolved from CP_ACP and the like), or nullptr when
// iconv knows no such page. Built on first use, thread-safe; the table lives as long as the
// process.
const CodePageTable* FindCodePageTable(UINT cp);

}  // namespace plat
