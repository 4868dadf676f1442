// A print job through drvhost with the recording output double in place of Spoolane: the
// output calls in order, pieces of at most 4096 bytes, the same bytes as Spoolane writes to
// the port file, and a failing write ending the job cleanly.
#include <gtest/gtest.h>

#include "host_fixture.h"
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include "build_paths.h"

namespace fs = std::filesystem;

namespace {

using kovatest::kHost;
using kovatest::kSamples;
using kovatest::Quote;
using kovatest::Slurp;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

bool Starts(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

class DrvhostOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(kHost)) << kHost;
    std::string tmpl = (fs::temp_directory_path() / "kova-output-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    root_ = (dir_ / "root").string();
    ASSERT_EQ(Run({}, {"install", root_, "Kova Sample Printer", kSamples}), 0) << err_;
    driverDir_ = fs::path(root_) / "drives/c/Windows/system32/spool/DRIVERS/x64/3";
    ASSERT_TRUE(fs::exists(driverDir_ / "Spoolane.so"));
    fs::copy_file(driverDir_ / "Spoolane.so", dir_ / "Spoolane.so");
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  int Run(const std::vector<std::string>& env, const std::vector<std::string>& args) {
    std::string cmd;
    for (const auto& e : env) cmd += e + " ";
    cmd += Quote(kHost);
    for (const auto& a : args) cmd += " " + Quote(a);
    cmd += " >" + Quote((dir_ / "out.txt").string()) + " 2>" + Quote((dir_ / "err.txt").string());
    const int status = std::system(cmd.c_str());
    out_ = Slurp(dir_ / "out.txt");
    err_ = Slurp(dir_ / "err.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // Puts the recording double where the driver loads its output library.
  void UseDouble() {
    fs::copy_file(kovatest::BuiltFile("OutputDouble"), driverDir_ / "Spoolane.so", fs::copy_options::overwrite_existing);
  }
  void UseSpoolane() {
    fs::copy_file(dir_ / "Spoolane.so", driverDir_ / "Spoolane.so", fs::copy_options::overwrite_existing);
  }
  std::vector<std::string> Env(const std::string& extra = "") {
    std::vector<std::string> env = {"KOVA_OUTPUTDOUBLE_LOG=" + Quote((dir_ / "calls.txt").string()),
                                    "KOVA_OUTPUTDOUBLE_BYTES=" + Quote((dir_ / "bytes.bin").string())};
    if (!extra.empty()) env.push_back(extra);
    return env;
  }

  fs::path dir_, driverDir_;
  std::string root_, out_, err_;
};

TEST_F(DrvhostOutputTest, CallsInOrderAndTheSameBytesAsThePortFile) {
  UseDouble();
  ASSERT_EQ(Run(Env(), {"print", root_, "Kova Sample Printer", kSamples + "/job-two-pages.txt"}), 0) << out_ << err_;
  const std::vector<std::string> calls = Lines(Slurp(dir_ / "calls.txt"));
  ASSERT_GE(calls.size(), 4u);
  EXPECT_TRUE(Starts(calls.front(), "StartDocEx ")) << calls.front();
  EXPECT_NE(calls.front().find(" job=7 -> 0x100"), std::string::npos) << calls.front();
  EXPECT_EQ(calls[calls.size() - 2], "EndDoc handle=0x100");
  EXPECT_EQ(calls.back(), "Close handle=0x100");
  // Two pages, each opened before it is written and ended after.
  std::vector<std::string> pageEvents;
  for (const auto& c : calls) {
    if (Starts(c, "StartPage") || Starts(c, "EndPage")) pageEvents.push_back(c.substr(0, c.find(' ')));
    if (Starts(c, "Write ")) {
      EXPECT_NE(c.find("handle=0x100"), std::string::npos) << c;
      const auto len = std::stoul(c.substr(c.find("length=") + 7));
      EXPECT_LE(len, 4096u) << c;
      EXPECT_TRUE(c.size() > 5 && c.substr(c.size() - 4) == "TRUE") << c;
    }
  }
  EXPECT_EQ(pageEvents, (std::vector<std::string>{"StartPage", "EndPage", "StartPage", "EndPage"}));
  const std::string viaDouble = Slurp(dir_ / "bytes.bin");
  ASSERT_FALSE(viaDouble.empty());

  UseSpoolane();
  ASSERT_EQ(Run({}, {"print", root_, "Kova Sample Printer", kSamples + "/job-two-pages.txt"}), 0) << err_;
  EXPECT_EQ(Slurp(fs::path(root_) / "drives/c/KovaPort/KovaSample.prn"), viaDouble);
}

TEST_F(DrvhostOutputTest, AFailedWriteEndsTheJobWithNothingAfterIt) {
  UseDouble();
  EXPECT_EQ(Run(Env("KOVA_OUTPUTDOUBLE_FAIL_WRITE=2"), {"print", root_, "Kova Sample Printer",
                                                        kSamples + "/job-two-pages.txt"}),
            1)
      << out_;
  EXPECT_NE(err_.find("the job failed at"), std::string::npos) << err_;
  const std::vector<std::string> calls = Lines(Slurp(dir_ / "calls.txt"));
  auto failed = std::find_if(calls.begin(), calls.end(),
                             [](const std::string& c) { return Starts(c, "Write ") && c.find("FALSE") != std::string::npos; });
  ASSERT_NE(failed, calls.end()) << Slurp(dir_ / "calls.txt");
  for (auto it = failed + 1; it != calls.end(); ++it) EXPECT_FALSE(Starts(*it, "Write ")) << "written after the failure: " << *it;
  // The document is still ended and the output closed.
  EXPECT_EQ(calls.back(), "Close handle=0x100");
  EXPECT_NE(std::find(calls.begin(), calls.end(), "EndDoc handle=0x100"), calls.end());
}

}  // namespace
