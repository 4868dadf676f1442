// Reading the block stream the rendering library writes: type and length words, then the
// payload, block after block.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "win/types.h"

namespace rendara::test {

// One block of a stream.
struct Block {
  DWORD type;
  std::vector<BYTE> payload;
};

// Splits a stream into blocks; a malformed tail fails the test.
inline std::vector<Block> ParseBlocks(const std::vector<BYTE>& bytes) {
  std::vector<Block> blocks;
  std::size_t at = 0;
  while (at < bytes.size()) {
    if (bytes.size() - at < 8) {
      ADD_FAILURE() << "truncated block header at " << at;
      break;
    }
    DWORD type = 0, length = 0;
    std::memcpy(&type, &bytes[at], 4);
    std::memcpy(&length, &bytes[at + 4], 4);
    at += 8;
    if (bytes.size() - at < length) {
      ADD_FAILURE() << "truncated payload at " << at;
      break;
    }
    blocks.push_back({type, std::vector<BYTE>(bytes.begin() + at, bytes.begin() + at + length)});
    at += length;
  }
  return blocks;
}

inline std::vector<DWORD> Types(const std::vector<Block>& blocks) {
  std::vector<DWORD> types;
  for (const auto& b : blocks) types.push_back(b.type);
  return types;
}

}  // namespace rendara::test
