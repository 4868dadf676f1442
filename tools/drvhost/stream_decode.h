// Decoding a block stream as the rendering library writes it: blocks {u32 type, u32
// payload length, payload}, the PJL and header texts, the settings record's header and the
// drawing records it knows.
#pragma once

#include <string>
#include <vector>

#include "win/types.h"

namespace drvhost {

struct DecodeResult {
  std::vector<std::string> lines;  // the report, one line each
  bool ok = true;                  // false: the stream is damaged (the last line says where)
  std::size_t blocks = 0;
  std::size_t records = 0;
};

DecodeResult DecodeStream(const std::vector<BYTE>& stream);

}  // namespace drvhost
