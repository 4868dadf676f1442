// drvhost dump on the state, brush, clip and span records: what it tells of each.
#include <string>

#include "dump_fixture.h"

namespace {

using kovatest::Bytes;
using kovatest::Le16;
using kovatest::Le32;

class DrvhostDumpRecordsTest : public kovatest::DumpTest {};

TEST_F(DrvhostDumpRecordsTest, StateAndShapeRecords) {
  std::string s;
  s += Bytes({0x30, 16, 0xD9, 0, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0, 0, 0});
  s += Bytes({0x31, 0xCC, 0, 0, 0x32, 2, 0, 0, 0x37, 0, 0, 0});
  s += Bytes({0x40, 0x40, 0, 1, 0, 0, 0, 0});
  s += Bytes({0x40, 0x80, 32, 1}) + Le16(128) + std::string(128, '\x5A') + std::string(2, '\0');
  s += Bytes({0x10, 0, 5, 0}) + Le32(24) + Le32(1) + Le32(2) + Le32(30) + Le32(40);
  // Three 16-bit spans: 24 + 18 = 42 bytes, padded to 44.
  s += Bytes({0x13, 0, 0x0A, 0}) + Le32(44) + Le32(0) + Le32(0) + Le32(9) + Le32(9) + std::string(18, '\x01') +
       std::string(2, '\0');
  s += Bytes({0x13, 0, 0x1C, 0}) + Le32(36) + Le32(0) + Le32(0) + Le32(9) + Le32(9) + std::string(12, '\x01');
  const std::string r = Dump(s);
  for (const std::string& want : {
           std::string("colour 112233, background 445566, third 778899 (flags 0xD9, 16 bytes), text, host-matched"),
           std::string("raster operation 0xCC"),
           std::string("paint mode 2 (opaque)"),
           std::string("clip reset"),
           std::string("solid brush, host-matched"),
           std::string("pattern brush 32x32 at 1 bit, 128 data bytes"),
           std::string("clip rectangle (1, 2)-(30, 40)"),
           std::string("span list (whole list): flags 0x0A, 3 16-bit entries, 44 bytes, target (0, 0)-(9, 9)"),
           std::string("span list (last of a list): flags 0x1C, 1 32-bit entries, 36 bytes"),
           std::string("9 drawing records"),
       })
    EXPECT_NE(r.find(want), std::string::npos) << want << "\n" << r;
}

}  // namespace
