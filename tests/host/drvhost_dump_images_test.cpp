// drvhost dump on image and brush records: the image header's fields and flags.
#include <string>

#include "dump_fixture.h"

namespace {

using kovatest::Le32;

class DrvhostDumpImagesTest : public kovatest::DumpTest {};

TEST_F(DrvhostDumpImagesTest, ImageHeaderFieldsAndFlags) {
  // A 24-bit 2 x 2 window at (10, 20), reduced, host-matched, from a transfer.
  std::string s;
  s += std::string{0x20, 0x02, static_cast<char>(0xA4), 0x08};
  s += Le32(72);
  for (unsigned v : {10u, 20u, 12u, 22u, 3u, 4u, 2u, 2u, 10u, 20u, 2u, 2u}) s += Le32(v);
  s += std::string(16, '\0');
  const std::string out = Dump(s);
  EXPECT_NE(out.find("image: 24 bits, 2 x 2 pixels at (10, 20) as 2 x 2, source (3, 4), flags 0x0208A4"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("no palette, raster operation, host-matched, reduced, 72 bytes"), std::string::npos) << out;
}

}  // namespace
