// The driver package's helper programs run at install, each with a bounded wait.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "context/context_create.h"
#include "expand_files.h"
#include "panelis_fixture.h"

namespace kovatest {
namespace {

namespace fs = std::filesystem;

class ExpandFilesTest : public SamplePrinterTest {
 protected:
  void Script(const std::u16string& path, const std::string& body) {
    root_.WriteFile(path, "#!/bin/sh\n" + body + "\n");
    fs::permissions(root_.HostPath(path), fs::perms::owner_all, fs::perm_options::add);
  }
};

TEST_F(ExpandFilesTest, ProgramsRunInTheirDirectoriesAndAHangingOneIsEnded) {
  Script(u"C:\\drv\\sysprep.sh", "echo system > sys.txt");
  Script(u"C:\\drv\\drvprep.sh", "echo driver > drv.txt");
  Script(u"C:\\drv\\hang.sh", "exec sleep 60");
  root_.WriteFile(u"C:\\drv\\Dorvale2.ini",
                  "[Expand File]\r\nSystemDirfiles=2\r\nSystemDir1=sysprep.sh\r\nSystemDir2=missing.exe\r\n"
                  "DriverDirfiles=2\r\nDriverDir1=hang.sh\r\nDriverDir2=drvprep.sh\r\n");
  HANDLE printer = Install(u"Expand Printer");
  DriverContext* context = Create(printer);
  ASSERT_NE(context, nullptr);
  // The hanging program is given a short time; the install goes on with the next one.
  EXPECT_EQ(RunExpandFiles(context, 100), 2);
  ReleaseContext(context, CTXR_DESTROY);
  EXPECT_TRUE(fs::exists(root_.HostPath(u"C:\\Windows\\system32\\sys.txt")));
  EXPECT_TRUE(fs::exists(root_.HostPath(u"C:\\drv\\drv.txt")));
}

TEST_F(ExpandFilesTest, APackageWithoutProgramsRunsNone) {
  root_.WriteFile(u"C:\\drv\\Dorvale2.ini", "[Other]\r\nA=1\r\n");
  HANDLE printer = Install(u"Plain Printer");
  DriverContext* context = Create(printer);
  ASSERT_NE(context, nullptr);
  EXPECT_EQ(RunExpandFiles(context, 100), 0);
  ReleaseContext(context, CTXR_DESTROY);
}

}  // namespace
}  // namespace kovatest
