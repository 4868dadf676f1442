// drvhost dump on path and pen records: the header fields and the subpaths it walks.
#include <string>

#include "dump_fixture.h"

namespace {

using kovatest::Bytes;
using kovatest::Le32;

class DrvhostDumpPathsTest : public kovatest::DumpTest {};

TEST_F(DrvhostDumpPathsTest, PathAndPenRecords) {
  std::string s;
  s += Bytes({0x33, 2, 3, 0}) + Le32(0xF0F0F0F0);
  s += Bytes({0x34, 5, 0, 0, 0x35, 1, 0, 0, 0x36, 2, 0, 0}) + Le32(1024);
  // Two subpaths: a line, then a Bezier and a line.
  s += Bytes({0x11, 0, 0x1A, 0}) + Le32(28 + 12 + 12 + 12 + 28 + 12) + Le32(0) + Le32(1) + Le32(9) + Le32(8) +
       Le32(3 + 7 + 3 + 3 + 3 + 1);
  s += Le32(1) + Le32(0) + Le32(16) + Le32(0) + Le32(32) + Le32(16);
  s += Le32(2) + Le32(0) + Le32(0) + Le32(1) + Le32(1) + Le32(2) + Le32(3) + Le32(4) + Le32(5) + Le32(6) + Le32(0) +
       Le32(7) + Le32(8);
  // A subpath that claims more segments than the record holds.
  s += Bytes({0x12, 0, 0x00, 0}) + Le32(28 + 12 + 12) + Le32(0) + Le32(0) + Le32(1) + Le32(1) + Le32(6);
  s += Le32(2) + Le32(0) + Le32(0) + Le32(0) + Le32(16) + Le32(16);
  const std::string r = Dump(s);
  for (const std::string& want : {
           std::string("pen: width 3, unit 2, style mask 0xF0F0F0F0"),
           std::string("pen style phase 5"),
           std::string("line cap 1"),
           std::string("line join 2, miter limit 1024/256"),
           std::string("path with curves: mode 2, closed, several subpaths, bounds (0, 1)-(9, 8), size word 20, "
                       "2 subpaths, 3 segments, 104 bytes"),
           std::string("path of lines: mode 0, bounds (0, 0)-(1, 1), size word 6, subpaths malformed, 52 bytes"),
       })
    EXPECT_NE(r.find(want), std::string::npos) << want << "\n" << r;
}

}  // namespace
