// The spooler's records are shared by processes: what one process writes, another sees
// at its next call, also when it had read the record before; writers in two processes at
// once lose nothing.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "plat/spooler_setup.h"
#include "plat/wstr.h"
#include "process_probes.h"
#include "test_root.h"
#include "win/errors.h"
#include "win/spool.h"

namespace spooler_store_test {

namespace {

using kovatest::InChild;

plat::spooler::PrinterSetup Printer() {
  plat::spooler::PrinterSetup p;
  p.name = u"Shared Printer";
  p.driver.name = u"KOVA Test Driver";
  p.driver.driverPath = u"Rendara.dll";
  p.driver.configFile = u"Panelis.dll";
  return p;
}

HANDLE OpenAdmin() {
  std::u16string name = u"Shared Printer";
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE h = nullptr;
  return OpenPrinterW(name.data(), &h, &defaults) ? h : nullptr;
}

DWORD ReadDword(HANDLE h, const std::u16string& name, DWORD* rc = nullptr) {
  std::u16string n = name;
  DWORD value = 0, type = 0, needed = 0;
  DWORD r = GetPrinterDataW(h, n.data(), &type, reinterpret_cast<BYTE*>(&value), sizeof value, &needed);
  if (rc) *rc = r;
  return value;
}

DWORD WriteDword(HANDLE h, const std::u16string& name, DWORD value) {
  std::u16string n = name;
  return SetPrinterDataW(h, n.data(), plat::spooler::kRegDword, reinterpret_cast<BYTE*>(&value), sizeof value);
}

TEST(SpoolerPersistence, AnotherProcessSeesChangesAtItsNextCall) {
  kovatest::TempRoot root;
  ASSERT_EQ(plat::spooler::InstallPrinter(Printer()), ERROR_SUCCESS);
  HANDLE h = OpenAdmin();
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(WriteDword(h, u"Counter", 1), ERROR_SUCCESS);
  ASSERT_EQ(ReadDword(h, u"Counter"), 1u);  // the parent now holds the record in its cache

  int status = InChild([] {
    HANDLE c = OpenAdmin();
    if (!c || ReadDword(c, u"Counter") != 1) return false;
    PRINTER_INFO_7W info{nullptr, DSPRINT_UPDATE};
    return WriteDword(c, u"Counter", 2) == ERROR_SUCCESS && WriteDword(c, u"FromChild", 7) == ERROR_SUCCESS &&
           SetPrinterW(c, 7, reinterpret_cast<BYTE*>(&info), 0) && ClosePrinter(c);
  });
  ASSERT_EQ(status, 0);
  EXPECT_EQ(ReadDword(h, u"Counter"), 2u);
  EXPECT_EQ(ReadDword(h, u"FromChild"), 7u);
  EXPECT_EQ(plat::spooler::ReadLevel7(u"Shared Printer")->calls, 1u);

  status = InChild([] { return plat::spooler::RemovePrinter(u"Shared Printer") == ERROR_SUCCESS; });
  ASSERT_EQ(status, 0);
  DWORD rc = 0;
  ReadDword(h, u"Counter", &rc);
  EXPECT_EQ(rc, ERROR_INVALID_PRINTER_NAME);
  ClosePrinter(h);
}

TEST(SpoolerPersistence, WritersInTwoProcessesLoseNothing) {
  kovatest::TempRoot root;
  ASSERT_EQ(plat::spooler::InstallPrinter(Printer()), ERROR_SUCCESS);
  constexpr int kValues = 40;
  auto writer = [](const char16_t* prefix) {
    return [prefix] {
      HANDLE c = OpenAdmin();
      if (!c) return false;
      for (int i = 0; i < kValues; ++i)
        if (WriteDword(c, prefix + plat::FromUtf8(std::to_string(i)), static_cast<DWORD>(i)) != ERROR_SUCCESS) return false;
      return ClosePrinter(c) != 0;
    };
  };
  pid_t a = fork();
  if (a == 0) _exit(writer(u"A")() ? 0 : 1);
  bool parentOk = writer(u"B")();
  int status = 0;
  waitpid(a, &status, 0);
  ASSERT_TRUE(parentOk);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  HANDLE h = OpenAdmin();
  ASSERT_NE(h, nullptr);
  for (const char16_t* prefix : {u"A", u"B"}) {
    for (int i = 0; i < kValues; ++i) {
      DWORD rc = 0;
      std::u16string name = prefix + plat::FromUtf8(std::to_string(i));
      EXPECT_EQ(ReadDword(h, name, &rc), static_cast<DWORD>(i));
      EXPECT_EQ(rc, ERROR_SUCCESS) << plat::ToUtf8(name);
    }
  }
  ClosePrinter(h);
}

TEST(SpoolerPersistence, WritersInTwoThreadsLoseNothing) {
  kovatest::TempRoot root;
  ASSERT_EQ(plat::spooler::InstallPrinter(Printer()), ERROR_SUCCESS);
  HANDLE h = OpenAdmin();
  ASSERT_NE(h, nullptr);
  constexpr int kValues = 30;
  auto writer = [h](char16_t prefix, bool* ok) {
    *ok = true;
    for (int i = 0; i < kValues; ++i)
      if (WriteDword(h, std::u16string(1, prefix) + plat::FromUtf8(std::to_string(i)), static_cast<DWORD>(i)) != ERROR_SUCCESS)
        *ok = false;
  };
  bool okA = false, okB = false;
  std::thread a(writer, u'A', &okA), b(writer, u'B', &okB);
  a.join();
  b.join();
  EXPECT_TRUE(okA && okB);
  for (char16_t prefix : {u'A', u'B'}) {
    for (int i = 0; i < kValues; ++i) {
      DWORD rc = 0;
      EXPECT_EQ(ReadDword(h, std::u16string(1, prefix) + plat::FromUtf8(std::to_string(i)), &rc), static_cast<DWORD>(i));
      EXPECT_EQ(rc, ERROR_SUCCESS);
    }
  }
  ClosePrinter(h);
}

}  // namespace

}  // namespace spooler_store_test
