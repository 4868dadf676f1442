// drvhost dump on image and brush records: the image header's fields and flags.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

const std::string kHost = KOVA_BINARY_DIR "/tools/drvhost/drvhost";

std::string Le32(unsigned v) {
  std::string s;
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}

class DrvhostDumpImagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(kHost)) << "drvhost is not built: " << kHost;
    std::string tmpl = (fs::temp_directory_path() / "kova-dump-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string Dump(const std::string& records) {
    const fs::path in = dir_ / "s.prn", out = dir_ / "out.txt";
    std::ofstream(in, std::ios::binary) << Le32(0xF5) + Le32(static_cast<unsigned>(records.size())) + records;
    const std::string cmd = "'" + kHost + "' dump '" + in.string() + "' >'" + out.string() + "' 2>&1";
    const int status = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::ifstream f(out);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
  }
  fs::path dir_;
};

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
