// The spooler calls against what Windows documents: names, handles and access, the size
// protocol of every record, printer data with exact bytes, "DsSpooler", forms, jobs and
// the level-7 record.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "plat/system.h"
#include "plat/spooler_setup.h"
#include "plat/wstr.h"
#include "test_root.h"
#include "win/errors.h"
#include "win/spool.h"
#include "win/sync.h"

namespace {

using plat::spooler::DataValue;
using plat::spooler::kRegBinary;
using plat::spooler::kRegDword;
using plat::spooler::kRegSz;
using plat::spooler::PrinterSetup;

std::vector<BYTE> MakeDevmode(WORD extra, BYTE fill) {
  std::vector<BYTE> bytes(sizeof(DEVMODEW) + extra, fill);
  DEVMODEW dm{};
  std::memcpy(dm.dmDeviceName, u"Kova Test", 20);
  dm.dmSpecVersion = DM_SPECVERSION;
  dm.dmSize = sizeof(DEVMODEW);
  dm.dmDriverExtra = extra;
  dm.dmFields = DM_ORIENTATION | DM_PAPERSIZE;
  dm.dmOrientation = DMORIENT_PORTRAIT;
  dm.dmPaperSize = DMPAPER_A4;
  std::memcpy(bytes.data(), &dm, sizeof dm);
  return bytes;
}

PrinterSetup SamplePrinter(std::u16string name = u"Kova Test") {
  PrinterSetup p;
  p.name = std::move(name);
  p.portName = u"C:\\out.prn";
  p.comment = u"a comment";
  p.devmode = MakeDevmode(16, 0xA5);
  p.driver.name = u"KOVA Test Driver";
  p.driver.driverPath = u"Rendara.dll";
  p.driver.configFile = u"Panelis.dll";
  p.driver.dataFile = u"KOVA1.KMD";
  p.driver.helpFile = u"KOVAUS.HLP";
  p.driver.dependentFiles = {u"Constrix.dll", u"Spoolane.dll"};
  p.data = {plat::spooler::StringValue(u"SPLUserModePrinterDriver", u"Spoolane.DLL")};
  return p;
}

bool InBuffer(const void* p, const std::vector<BYTE>& buf, std::size_t bytes) {
  auto* b = static_cast<const BYTE*>(p);
  return b >= buf.data() && b + bytes <= buf.data() + buf.size();
}

class SpoolerCalls : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(plat::spooler::InstallPrinter(SamplePrinter()), ERROR_SUCCESS); }
  void TearDown() override {
    for (HANDLE h : handles_) ClosePrinter(h);
  }

  HANDLE Open(std::u16string name, ACCESS_MASK access = PRINTER_ALL_ACCESS) {
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
    HANDLE h = nullptr;
    EXPECT_TRUE(OpenPrinterW(name.empty() ? nullptr : name.data(), &h, &defaults)) << plat::ToUtf8(name);
    if (h) handles_.push_back(h);
    return h;
  }

  // Reads a record under the size protocol, checking the protocol on the way: no buffer and
  // a buffer one byte short both fail with ERROR_INSUFFICIENT_BUFFER and the same size.
  template <class Call>
  std::vector<BYTE> ReadChecked(Call call) {
    DWORD needed = 0;
    SetLastError(0);
    EXPECT_FALSE(call(nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_GT(needed, 0u);
    std::vector<BYTE> buffer(needed + 8, 0xCC);
    DWORD again = 0;
    EXPECT_FALSE(call(buffer.data(), needed - 1, &again));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(again, needed);
    EXPECT_TRUE(call(buffer.data(), needed, &again));
    EXPECT_EQ(buffer[needed], 0xCC) << "written past the size it asked for";
    buffer.resize(needed);
    return buffer;
  }

  kovatest::TempRoot root_;
  std::vector<HANDLE> handles_;
};

TEST_F(SpoolerCalls, OpenPrinterFindsNamesWithoutRegardToCase) {
  struct Case {
    const char16_t* name;
    bool opens;
  } cases[] = {{u"Kova Test", true},        {u"KOVA TEST", true},      {u"\\\\KOVAHOST\\kova test", true},
               {u"Kova Test 2", false},     {u"\\\\OTHER\\Kova Test", false}, {u"Kova", false}};
  for (const auto& c : cases) {
    HANDLE h = reinterpret_cast<HANDLE>(1);
    SetLastError(0);
    std::u16string name = c.name;
    BOOL ok = OpenPrinterW(name.data(), &h, nullptr);
    EXPECT_EQ(ok, c.opens ? TRUE : FALSE) << plat::ToUtf8(name);
    if (ok) {
      handles_.push_back(h);
    } else {
      EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_NAME);
      EXPECT_EQ(h, nullptr);
    }
  }
}

TEST_F(SpoolerCalls, WrongAndClosedHandlesAnswerInvalidHandle) {
  HANDLE h = Open(u"Kova Test");
  ASSERT_TRUE(ClosePrinter(h));
  handles_.clear();
  // A valid handle of another kind.
  HANDLE other = CreateMutexW(nullptr, FALSE, nullptr);
  ASSERT_NE(other, nullptr);
  for (HANDLE bad : {h, other, static_cast<HANDLE>(nullptr)}) {
    BYTE buf[512];
    DWORD needed = 0, type = 0;
    SetLastError(0);
    EXPECT_FALSE(GetPrinterW(bad, 2, buf, sizeof buf, &needed));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(GetPrinterDriverW(bad, nullptr, 3, buf, sizeof buf, &needed));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    std::u16string name = u"SPLUserModePrinterDriver";
    EXPECT_EQ(GetPrinterDataW(bad, name.data(), &type, buf, sizeof buf, &needed), ERROR_INVALID_HANDLE);
    EXPECT_EQ(SetPrinterDataW(bad, name.data(), kRegSz, buf, 2), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(GetJobW(bad, 1, 1, buf, sizeof buf, &needed));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(ClosePrinter(bad));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  }
  EXPECT_TRUE(CloseHandle(other));
}

TEST_F(SpoolerCalls, ServerHandleServesFormsAndServerValuesOnly) {
  HANDLE server = nullptr;
  ASSERT_TRUE(OpenPrinterW(nullptr, &server, nullptr));
  handles_.push_back(server);
  BYTE buf[256];
  DWORD needed = 0, type = 0;
  EXPECT_FALSE(GetPrinterW(server, 2, buf, sizeof buf, &needed));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  std::u16string arch = u"Architecture", spl = u"SPLUserModePrinterDriver";
  ASSERT_EQ(GetPrinterDataW(server, arch.data(), &type, buf, sizeof buf, &needed), ERROR_SUCCESS);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(plat::View(reinterpret_cast<const WCHAR*>(buf)), u"x64");
  EXPECT_EQ(GetPrinterDataW(server, spl.data(), &type, buf, sizeof buf, &needed), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(SetPrinterDataW(server, spl.data(), kRegSz, buf, 2), ERROR_ACCESS_DENIED);
  std::u16string a4 = u"a4", none = u"No Such Form";
  ASSERT_TRUE(GetFormW(server, a4.data(), 1, buf, sizeof buf, &needed));
  EXPECT_EQ(plat::View(reinterpret_cast<const FORM_INFO_1W*>(buf)->pName), u"A4");
  EXPECT_FALSE(GetFormW(server, none.data(), 1, buf, sizeof buf, &needed));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FORM_NAME);
}

TEST_F(SpoolerCalls, GetPrinterLevel2PacksRecordStringsAndDevmodeIntoOneBuffer) {
  HANDLE h = Open(u"kova test");
  auto buf = ReadChecked([&](LPBYTE b, DWORD cb, LPDWORD n) { return GetPrinterW(h, 2, b, cb, n); });
  const auto* p = reinterpret_cast<const PRINTER_INFO_2W*>(buf.data());
  EXPECT_EQ(p->pServerName, nullptr);  // local
  ASSERT_TRUE(InBuffer(p->pPrinterName, buf, 20));
  EXPECT_EQ(plat::View(p->pPrinterName), u"Kova Test");
  EXPECT_EQ(plat::View(p->pDriverName), u"KOVA Test Driver");
  EXPECT_EQ(plat::View(p->pPortName), u"C:\\out.prn");
  EXPECT_EQ(plat::View(p->pComment), u"a comment");
  EXPECT_EQ(p->Attributes, PRINTER_ATTRIBUTE_LOCAL);
  ASSERT_NE(p->pDevMode, nullptr);
  ASSERT_TRUE(InBuffer(p->pDevMode, buf, 236));
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p->pDevMode) % 8, 0u);
  auto dm = MakeDevmode(16, 0xA5);
  EXPECT_EQ(std::memcmp(p->pDevMode, dm.data(), dm.size()), 0);
  // The needed size is the record with everything it points to.
  EXPECT_GE(buf.size(), sizeof(PRINTER_INFO_2W) + dm.size() + 2 * (9 + 1 + 16 + 1));
}

TEST_F(SpoolerCalls, ConnectionHasServerNameAndNetworkAttribute) {
  PrinterSetup c = SamplePrinter(u"\\\\SERVER\\Shared One");
  ASSERT_EQ(plat::spooler::InstallPrinter(c), ERROR_SUCCESS);
  HANDLE h = Open(u"\\\\server\\shared one");
  auto buf = ReadChecked([&](LPBYTE b, DWORD cb, LPDWORD n) { return GetPrinterW(h, 2, b, cb, n); });
  const auto* p = reinterpret_cast<const PRINTER_INFO_2W*>(buf.data());
  ASSERT_NE(p->pServerName, nullptr);
  EXPECT_EQ(plat::View(p->pServerName), u"\\\\SERVER");
  EXPECT_EQ(plat::View(p->pPrinterName), u"\\\\SERVER\\Shared One");
  EXPECT_NE(p->Attributes & PRINTER_ATTRIBUTE_NETWORK, 0u);

  auto l4 = ReadChecked([&](LPBYTE b, DWORD cb, LPDWORD n) { return GetPrinterW(h, 4, b, cb, n); });
  const auto* p4 = reinterpret_cast<const PRINTER_INFO_4W*>(l4.data());
  EXPECT_EQ(plat::View(p4->pServerName), u"\\\\SERVER");
}

TEST_F(SpoolerCalls, InstallRefusesBadNamesAndDevmodes) {
  struct Case {
    const char16_t* name;
    DWORD rc;
  } cases[] = {{u"", ERROR_INVALID_PRINTER_NAME}, {u"a,b", ERROR_INVALID_PRINTER_NAME},
               {u"a!b", ERROR_INVALID_PRINTER_NAME}, {u"\\\\SERVER", ERROR_INVALID_PRINTER_NAME},
               {u"\\\\SERVER\\", ERROR_INVALID_PRINTER_NAME}};
  for (const auto& c : cases) EXPECT_EQ(plat::spooler::InstallPrinter(SamplePrinter(c.name)), c.rc) << plat::ToUtf8(c.name);
  EXPECT_EQ(plat::spooler::InstallPrinter(SamplePrinter(std::u16string(221, u'x'))), ERROR_INVALID_PRINTER_NAME);
  PrinterSetup shortDevmode = SamplePrinter(u"P2");
  shortDevmode.devmode.pop_back();  // dmSize + dmDriverExtra no longer matches
  EXPECT_EQ(plat::spooler::InstallPrinter(shortDevmode), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(plat::spooler::ReadPrinter(u"P2"));
}

TEST_F(SpoolerCalls, OtherPrinterLevels) {
  HANDLE h = Open(u"Kova Test");
  auto l1 = ReadChecked([&](LPBYTE b, DWORD cb, LPDWORD n) { return GetPrinterW(h, 1, b, cb, n); });
  const auto* p1 = reinterpret_cast<const PRINTER_INFO_1W*>(l1.data());
  EXPECT_EQ(plat::View(p1->pName), u"Kova Test");
  EXPECT_EQ(plat::View(p1->pDescription), u"Kova Test,KOVA Test Driver,");

  auto l8 = ReadChecked([&](LPBYTE b, DWORD cb, LPDWORD n) { return GetPrinterW(h, 8, b, cb, n); });
  const auto* p8 = reinterpret_cast<const PRINTER_INFO_8W*>(l8.data());
  ASSERT_NE(p8->pDevMode, nullptr);
  EXPECT_EQ(p8->pDevMode->dmDriverExtra, 16);

  BYTE buf[64];
  DWORD needed = 0;
  EXPECT_FALSE(GetPrinterW(h, 3, buf, sizeof buf, &needed));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_LEVEL);
  EXPECT_FALSE(GetPrinterW(h, 2, nullptr, 100, &needed));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_USER_BUFFER);
}

TEST_F(SpoolerCalls, DriverRecordLevels2And3) {
  HANDLE h = Open(u"Kova Test");
  const std::u16string dir = u"C:\\Windows\\system32\\spool\\DRIVERS\\x64\\3\\";
  auto l3 = ReadChecked([&](LPBYTE b, DWORD cb, LPDWORD n) { return GetPrinterDriverW(h, nullptr, 3, b, cb, n); });
  const auto* d = reinterpret_cast<const DRIVER_INFO_3W*>(l3.data());
  EXPECT_EQ(d->cVersion, 3u);
  EXPECT_EQ(plat::View(d->pName), u"KOVA Test Driver");
  EXPECT_EQ(plat::View(d->pEnvironment), u"Windows x64");
  EXPECT_EQ(plat::View(d->pDriverPath), dir + u"Rendara.dll");
  EXPECT_EQ(plat::View(d->pConfigFile), dir + u"Panelis.dll");
  EXPECT_EQ(plat::View(d->pDataFile), dir + u"KOVA1.KMD");
  EXPECT_EQ(plat::View(d->pHelpFile), dir + u"KOVAUS.HLP");
  ASSERT_TRUE(InBuffer(d->pDependentFiles, l3, 2));
  const WCHAR* f = d->pDependentFiles;
  EXPECT_EQ(plat::View(f), dir + u"Constrix.dll");
  f += plat::WLen(f) + 1;
  EXPECT_EQ(plat::View(f), dir + u"Spoolane.dll");
  f += plat::WLen(f) + 1;
  EXPECT_EQ(*f, 0);
  EXPECT_TRUE(InBuffer(f, l3, 2));

  std::u16string env = u"Windows x64";
  auto l2 = ReadChecked([&](LPBYTE b, DWORD cb, LPDWORD n) { return GetPrinterDriverW(h, env.data(), 2, b, cb, n); });
  const auto* d2 = reinterpret_cast<const DRIVER_INFO_2W*>(l2.data());
  EXPECT_EQ(plat::View(d2->pDriverPath), dir + u"Rendara.dll");
  EXPECT_LT(l2.size(), l3.size());

  BYTE buf[1024];
  DWORD needed = 0;
  std::u16string x86 = u"Windows NT x86", bogus = u"Bogus";
  EXPECT_FALSE(GetPrinterDriverW(h, x86.data(), 3, buf, sizeof buf, &needed));
  EXPECT_EQ(GetLastError(), ERROR_UNKNOWN_PRINTER_DRIVER);
  EXPECT_FALSE(GetPrinterDriverW(h, bogus.data(), 3, buf, sizeof buf, &needed));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_ENVIRONMENT);
}

TEST_F(SpoolerCalls, DriverDirectory) {
  auto buf = ReadChecked(
      [&](LPBYTE b, DWORD cb, LPDWORD n) { return GetPrinterDriverDirectoryW(nullptr, nullptr, 1, b, cb, n); });
  const std::u16string dir = u"C:\\Windows\\system32\\spool\\DRIVERS\\x64";
  EXPECT_EQ(buf.size(), 2 * (dir.size() + 1));
  EXPECT_EQ(plat::View(reinterpret_cast<const WCHAR*>(buf.data())), dir);
}

struct DataCase {
  const char* what;
  DWORD type;
  std::vector<BYTE> bytes;
};

TEST_F(SpoolerCalls, PrinterDataKeepsTypeAndExactBytes) {
  HANDLE h = Open(u"Kova Test");
  const DataCase cases[] = {
      {"REG_SZ with its NUL", kRegSz, plat::spooler::StringBytes(u"Spoolane.DLL")},
      {"REG_SZ without a NUL", kRegSz, {'A', 0, 'B', 0}},
      {"REG_DWORD", kRegDword, plat::spooler::DwordBytes(0x01020304)},
      {"REG_BINARY with zero bytes", kRegBinary, {0, 1, 0, 0xFF, 0x7C, '\n', '%'}},
      {"empty REG_BINARY", kRegBinary, {}},
  };
  for (const auto& c : cases) {
    std::u16string name = plat::FromUtf8(c.what);
    ASSERT_EQ(SetPrinterDataW(h, name.data(), c.type, const_cast<BYTE*>(c.bytes.data()), static_cast<DWORD>(c.bytes.size())),
              ERROR_SUCCESS)
        << c.what;
  }
  for (const auto& c : cases) {
    std::u16string name = plat::UpperCase(plat::FromUtf8(c.what));  // names ignore case
    DWORD type = 99, needed = 0;
    std::vector<BYTE> out(64, 0xEE);
    ASSERT_EQ(GetPrinterDataW(h, name.data(), &type, out.data(), static_cast<DWORD>(out.size()), &needed), ERROR_SUCCESS)
        << c.what;
    EXPECT_EQ(type, c.type) << c.what;
    ASSERT_EQ(needed, c.bytes.size()) << c.what;
    EXPECT_TRUE(std::equal(c.bytes.begin(), c.bytes.end(), out.begin())) << c.what;
    // The same values under the driver-data key of the Ex call.
    std::u16string key = u"PrinterDriverData";
    type = 0;
    EXPECT_EQ(GetPrinterDataExW(h, key.data(), name.data(), &type, out.data(), 64, &needed), ERROR_SUCCESS);
    EXPECT_EQ(type, c.type);
  }
}

TEST_F(SpoolerCalls, PrinterDataSizeProtocolAndMissingValues) {
  HANDLE h = Open(u"Kova Test");
  std::u16string name = u"SPLUserModePrinterDriver";
  DWORD type = 0, needed = 0;
  BYTE small[4];
  EXPECT_EQ(GetPrinterDataW(h, name.data(), &type, small, sizeof small, &needed), ERROR_MORE_DATA);
  EXPECT_EQ(needed, 2u * 13);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(GetPrinterDataW(h, name.data(), &type, nullptr, 0, &needed), ERROR_MORE_DATA);
  EXPECT_EQ(needed, 26u);
  std::vector<BYTE> exact(26);
  EXPECT_EQ(GetPrinterDataW(h, name.data(), &type, exact.data(), 26, &needed), ERROR_SUCCESS);
  EXPECT_EQ(plat::View(reinterpret_cast<const WCHAR*>(exact.data())), u"Spoolane.DLL");

  std::u16string missing = u"KOVAPrinterName";
  EXPECT_EQ(GetPrinterDataW(h, missing.data(), &type, exact.data(), 26, &needed), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(DeletePrinterDataW(h, missing.data()), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(DeletePrinterDataW(h, name.data()), ERROR_SUCCESS);
  EXPECT_EQ(GetPrinterDataW(h, name.data(), &type, exact.data(), 26, &needed), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetPrinterDataW(h, nullptr, &type, exact.data(), 26, &needed), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(GetPrinterDataW(h, name.data(), &type, exact.data(), 26, nullptr), RPC_X_NULL_REF_POINTER);
  EXPECT_EQ(SetPrinterDataW(h, name.data(), kRegSz, nullptr, 4), ERROR_INVALID_PARAMETER);

  // A value under another key is not a driver-data value.
  std::u16string key = u"OtherKey";
  DWORD one = 1;
  EXPECT_EQ(SetPrinterDataExW(h, key.data(), name.data(), kRegDword, reinterpret_cast<BYTE*>(&one), 4), ERROR_SUCCESS);
  EXPECT_EQ(GetPrinterDataW(h, name.data(), &type, exact.data(), 26, &needed), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetPrinterDataExW(h, key.data(), name.data(), &type, exact.data(), 26, &needed), ERROR_SUCCESS);
  EXPECT_EQ(type, kRegDword);
}

TEST_F(SpoolerCalls, PrinterDataRefusesBadArguments) {
  HANDLE h = Open(u"Kova Test");
  std::u16string longName(16384, u'n'), name = u"Value", empty;
  std::vector<BYTE> big((1u << 20) + 1);
  BYTE four[4] = {1, 2, 3, 4};
  EXPECT_EQ(SetPrinterDataW(h, longName.data(), kRegBinary, four, 4), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(SetPrinterDataW(h, empty.data(), kRegBinary, four, 4), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(SetPrinterDataW(h, name.data(), kRegBinary, big.data(), static_cast<DWORD>(big.size())), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(SetPrinterDataExW(h, nullptr, name.data(), kRegBinary, four, 4), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(SetPrinterDataExW(h, std::u16string(256, u'k').c_str(), name.data(), kRegBinary, four, 4), ERROR_INVALID_PARAMETER);
  DWORD type = 0, needed = 0;
  EXPECT_EQ(GetPrinterDataW(h, name.data(), &type, four, 4, &needed), ERROR_FILE_NOT_FOUND);  // nothing was stored
  // The largest value is kept whole.
  big.pop_back();
  big.back() = 0x5A;
  ASSERT_EQ(SetPrinterDataW(h, name.data(), kRegBinary, big.data(), static_cast<DWORD>(big.size())), ERROR_SUCCESS);
  std::vector<BYTE> out(big.size());
  ASSERT_EQ(GetPrinterDataW(h, name.data(), &type, out.data(), static_cast<DWORD>(out.size()), &needed), ERROR_SUCCESS);
  EXPECT_EQ(out, big);
}

TEST_F(SpoolerCalls, ChangesNeedAdministerAccess) {
  HANDLE user = Open(u"Kova Test", PRINTER_ACCESS_USE);
  std::u16string name = u"Permission";
  DWORD one = 1;
  EXPECT_EQ(SetPrinterDataW(user, name.data(), kRegDword, reinterpret_cast<BYTE*>(&one), 4), ERROR_ACCESS_DENIED);
  PRINTER_INFO_7W info{nullptr, DSPRINT_UPDATE};
  EXPECT_FALSE(SetPrinterW(user, 7, reinterpret_cast<BYTE*>(&info), 0));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(plat::spooler::ReadLevel7(u"Kova Test")->calls, 0u);

  plat::Machine().administrator = false;
  HANDLE h = reinterpret_cast<HANDLE>(1);
  std::u16string printer = u"Kova Test";
  PRINTER_DEFAULTSW all{nullptr, nullptr, PRINTER_ALL_ACCESS};
  EXPECT_FALSE(OpenPrinterW(printer.data(), &h, &all));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  PRINTER_DEFAULTSW most{nullptr, nullptr, MAXIMUM_ALLOWED_ACCESS};
  ASSERT_TRUE(OpenPrinterW(printer.data(), &h, &most));
  handles_.push_back(h);
  EXPECT_EQ(SetPrinterDataW(h, name.data(), kRegDword, reinterpret_cast<BYTE*>(&one), 4), ERROR_ACCESS_DENIED);
}

TEST_F(SpoolerCalls, DsSpoolerValuesComeFromThePrinterRecord) {
  PrinterSetup c = SamplePrinter(u"\\\\srvlongname.corp.example\\P1");
  ASSERT_EQ(plat::spooler::InstallPrinter(c), ERROR_SUCCESS);
  struct Case {
    const char16_t* printer;
    const char16_t* value;
    const char16_t* expected;
  } cases[] = {
      {u"Kova Test", u"printerName", u"Kova Test"},
      {u"Kova Test", u"serverName", u"KOVAHOST"},
      {u"Kova Test", u"shortServerName", u"KOVAHOST"},
      {u"Kova Test", u"uNCName", u"\\\\KOVAHOST\\Kova Test"},
      {u"Kova Test", u"driverName", u"KOVA Test Driver"},
      {u"\\\\srvlongname.corp.example\\P1", u"printerName", u"P1"},
      {u"\\\\srvlongname.corp.example\\P1", u"serverName", u"srvlongname.corp.example"},
      {u"\\\\srvlongname.corp.example\\P1", u"shortServerName", u"srvlongname"},
      {u"\\\\srvlongname.corp.example\\P1", u"uNCName", u"\\\\srvlongname.corp.example\\P1"},
  };
  std::u16string key = u"DsSpooler";
  for (const auto& c : cases) {
    HANDLE h = Open(c.printer);
    std::vector<BYTE> out(260);
    DWORD type = 0, needed = 0;
    ASSERT_EQ(GetPrinterDataExW(h, key.data(), c.value, &type, out.data(), 260, &needed), ERROR_SUCCESS)
        << plat::ToUtf8(c.value);
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(needed, 2 * (plat::WLen(c.expected) + 1));
    EXPECT_EQ(plat::View(reinterpret_cast<const WCHAR*>(out.data())), c.expected) << plat::ToUtf8(c.value);
  }
  // Set-up values of the key stand in front of the built ones.
  PrinterSetup overridden = SamplePrinter(u"\\\\SRVLONGNAME\\P2");
  DataValue shortName = plat::spooler::StringValue(u"shortServerName", u"SRV");
  shortName.key = u"DsSpooler";
  overridden.data.push_back(shortName);
  ASSERT_EQ(plat::spooler::InstallPrinter(overridden), ERROR_SUCCESS);
  HANDLE h = Open(u"\\\\SRVLONGNAME\\P2");
  std::vector<BYTE> out(260);
  DWORD type = 0, needed = 0;
  ASSERT_EQ(GetPrinterDataExW(h, key.data(), u"shortServerName", &type, out.data(), 260, &needed), ERROR_SUCCESS);
  EXPECT_EQ(plat::View(reinterpret_cast<const WCHAR*>(out.data())), u"SRV");
  EXPECT_EQ(GetPrinterDataExW(h, key.data(), u"noSuchValue", &type, out.data(), 260, &needed), ERROR_FILE_NOT_FOUND);
}

TEST_F(SpoolerCalls, EnumPrinterDataWalksTheDriverDataInOrder) {
  HANDLE h = Open(u"Kova Test");
  std::u16string help = u"HelpFileName";
  auto bytes = plat::spooler::StringBytes(u"KOVAUS.HLP");
  ASSERT_EQ(SetPrinterDataW(h, help.data(), kRegSz, bytes.data(), static_cast<DWORD>(bytes.size())), ERROR_SUCCESS);
  DWORD nameSize = 0, dataSize = 0, type = 0;
  ASSERT_EQ(EnumPrinterDataW(h, 0, nullptr, 0, &nameSize, &type, nullptr, 0, &dataSize), ERROR_SUCCESS);
  EXPECT_EQ(nameSize, 2u * 25);  // "SPLUserModePrinterDriver" and its NUL
  EXPECT_EQ(dataSize, 26u);
  WCHAR name[64];
  BYTE data[64];
  ASSERT_EQ(EnumPrinterDataW(h, 1, name, sizeof name, &nameSize, &type, data, sizeof data, &dataSize), ERROR_SUCCESS);
  EXPECT_EQ(plat::View(name), u"HelpFileName");
  EXPECT_EQ(dataSize, bytes.size());
  EXPECT_EQ(EnumPrinterDataW(h, 0, name, 4, &nameSize, &type, data, sizeof data, &dataSize), ERROR_MORE_DATA);
  EXPECT_EQ(EnumPrinterDataW(h, 2, name, sizeof name, &nameSize, &type, data, sizeof data, &dataSize), ERROR_NO_MORE_ITEMS);
}

TEST_F(SpoolerCalls, EnumFormsListsTheBuiltInFormsInPaperSizeOrder) {
  HANDLE server = Open(u"", SERVER_ACCESS_ENUMERATE);
  HANDLE printer = Open(u"Kova Test");
  for (HANDLE h : {server, printer}) {
    DWORD returned = 77;
    auto buf = ReadChecked([&](LPBYTE b, DWORD cb, LPDWORD n) {
      BOOL ok = EnumFormsW(h, 1, b, cb, n, &returned);
      if (!ok) {
        EXPECT_EQ(returned, 0u);
      }
      return ok;
    });
    ASSERT_GE(returned, 13u);
    const auto* forms = reinterpret_cast<const FORM_INFO_1W*>(buf.data());
    struct Case {
      int paper;
      const char16_t* name;
      LONG cx, cy;
    } cases[] = {{DMPAPER_LETTER, u"Letter", 215900, 279400},  {DMPAPER_LEGAL, u"Legal", 215900, 355600},
                 {DMPAPER_EXECUTIVE, u"Executive", 184150, 266700}, {DMPAPER_A3, u"A3", 297000, 420000},
                 {DMPAPER_A4, u"A4", 210000, 297000},          {DMPAPER_A5, u"A5", 148000, 210000},
                 {DMPAPER_B4, u"B4 (JIS)", 257000, 364000},    {DMPAPER_B5, u"B5 (JIS)", 182000, 257000}};
    for (const auto& c : cases) {
      const FORM_INFO_1W& f = forms[c.paper - 1];
      ASSERT_TRUE(InBuffer(f.pName, buf, 2));
      EXPECT_EQ(plat::View(f.pName), c.name);
      EXPECT_EQ(f.Size.cx, c.cx);
      EXPECT_EQ(f.Size.cy, c.cy);
      EXPECT_EQ(f.ImageableArea.right, c.cx);
      EXPECT_EQ(f.ImageableArea.bottom, c.cy);
      EXPECT_EQ(f.Flags, FORM_BUILTIN);
    }
  }
  ASSERT_EQ(plat::spooler::SetForms({{u"Mine", FORM_USER, 1000, 2000, 0, 0, 1000, 2000}}), ERROR_SUCCESS);
  DWORD returned = 0;
  auto buf = ReadChecked([&](LPBYTE b, DWORD cb, LPDWORD n) { return EnumFormsW(printer, 1, b, cb, n, &returned); });
  ASSERT_EQ(returned, 1u);
  EXPECT_EQ(plat::View(reinterpret_cast<const FORM_INFO_1W*>(buf.data())->pName), u"Mine");
}

TEST_F(SpoolerCalls, GetJobLevels1And2) {
  plat::spooler::JobSetup job;
  job.document = u"Report.doc";
  job.userName = u"UNKNOWN";
  job.totalPages = 3;
  job.submitted.wYear = 2026;
  const DWORD id = plat::spooler::AddJob(u"Kova Test", job);
  ASSERT_NE(id, 0u);
  plat::spooler::JobSetup same;
  same.id = id;
  EXPECT_EQ(plat::spooler::AddJob(u"Kova Test", same), 0u);  // id taken
  HANDLE h = Open(u"Kova Test", PRINTER_ACCESS_USE);
  auto l1 = ReadChecked([&](LPBYTE b, DWORD cb, LPDWORD n) { return GetJobW(h, id, 1, b, cb, n); });
  const auto* j1 = reinterpret_cast<const JOB_INFO_1W*>(l1.data());
  EXPECT_EQ(j1->JobId, id);
  EXPECT_EQ(plat::View(j1->pUserName), u"UNKNOWN");
  EXPECT_EQ(plat::View(j1->pPrinterName), u"Kova Test");
  EXPECT_EQ(j1->TotalPages, 3u);
  EXPECT_EQ(j1->Submitted.wYear, 2026);

  auto l2 = ReadChecked([&](LPBYTE b, DWORD cb, LPDWORD n) { return GetJobW(h, id, 2, b, cb, n); });
  const auto* j2 = reinterpret_cast<const JOB_INFO_2W*>(l2.data());
  EXPECT_EQ(plat::View(j2->pDocument), u"Report.doc");
  EXPECT_EQ(plat::View(j2->pDriverName), u"KOVA Test Driver");
  ASSERT_NE(j2->pDevMode, nullptr);  // the printer's device-mode when the job has none
  EXPECT_EQ(j2->pDevMode->dmDriverExtra, 16);

  BYTE buf[512];
  DWORD needed = 0;
  EXPECT_FALSE(GetJobW(h, id + 1, 1, buf, sizeof buf, &needed));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(GetJobW(h, id, 3, buf, sizeof buf, &needed));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_LEVEL);
}

TEST_F(SpoolerCalls, SetPrinterLevel7IsRecorded) {
  HANDLE h = Open(u"Kova Test");
  PRINTER_INFO_7W info{nullptr, DSPRINT_UPDATE};
  ASSERT_TRUE(SetPrinterW(h, 7, reinterpret_cast<BYTE*>(&info), 0));
  ASSERT_TRUE(SetPrinterW(h, 7, reinterpret_cast<BYTE*>(&info), 0));
  auto rec = plat::spooler::ReadLevel7(u"KOVA TEST");
  ASSERT_TRUE(rec);
  EXPECT_EQ(rec->calls, 2u);
  EXPECT_EQ(rec->action, DSPRINT_UPDATE);
  EXPECT_FALSE(rec->hasGuid);

  PRINTER_INFO_7W bad{nullptr, 0x40};
  EXPECT_FALSE(SetPrinterW(h, 7, reinterpret_cast<BYTE*>(&bad), 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(SetPrinterW(h, 7, reinterpret_cast<BYTE*>(&info), PRINTER_CONTROL_PAUSE));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(plat::spooler::ReadLevel7(u"Kova Test")->calls, 2u);
}

TEST_F(SpoolerCalls, SetPrinterStoresDevmodes) {
  HANDLE h = Open(u"Kova Test");
  auto global = MakeDevmode(4, 0x11);
  PRINTER_INFO_8W l8{reinterpret_cast<DEVMODEW*>(global.data())};
  ASSERT_TRUE(SetPrinterW(h, 8, reinterpret_cast<BYTE*>(&l8), 0));
  auto user = MakeDevmode(8, 0x22);
  PRINTER_INFO_9W l9{reinterpret_cast<DEVMODEW*>(user.data())};
  HANDLE userHandle = Open(u"Kova Test", PRINTER_ACCESS_USE);
  ASSERT_TRUE(SetPrinterW(userHandle, 9, reinterpret_cast<BYTE*>(&l9), 0));

  auto buf = ReadChecked([&](LPBYTE b, DWORD cb, LPDWORD n) { return GetPrinterW(h, 2, b, cb, n); });
  const auto* p = reinterpret_cast<const PRINTER_INFO_2W*>(buf.data());
  ASSERT_NE(p->pDevMode, nullptr);
  EXPECT_EQ(std::memcmp(p->pDevMode, global.data(), global.size()), 0);
  auto b9 = ReadChecked([&](LPBYTE b, DWORD cb, LPDWORD n) { return GetPrinterW(h, 9, b, cb, n); });
  const auto* p9 = reinterpret_cast<const PRINTER_INFO_9W*>(b9.data());
  ASSERT_NE(p9->pDevMode, nullptr);
  EXPECT_EQ(std::memcmp(p9->pDevMode, user.data(), user.size()), 0);

  DEVMODEW broken{};
  broken.dmSize = 10;  // shorter than the fields that give its size
  PRINTER_INFO_8W bad{&broken};
  EXPECT_FALSE(SetPrinterW(h, 8, reinterpret_cast<BYTE*>(&bad), 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(SpoolerCalls, EnumPrintersSeparatesLocalPrintersAndConnections) {
  ASSERT_EQ(plat::spooler::InstallPrinter(SamplePrinter(u"\\\\SERVER\\Remote")), ERROR_SUCCESS);
  ASSERT_EQ(plat::spooler::InstallPrinter(SamplePrinter(u"Another")), ERROR_SUCCESS);
  struct Case {
    DWORD flags;
    std::vector<std::u16string> names;
  } cases[] = {{PRINTER_ENUM_LOCAL, {u"Another", u"Kova Test"}},
               {PRINTER_ENUM_CONNECTIONS, {u"\\\\SERVER\\Remote"}},
               {PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, {u"Another", u"Kova Test", u"\\\\SERVER\\Remote"}}};
  for (const auto& c : cases) {
    DWORD returned = 0;
    auto buf =
        ReadChecked([&](LPBYTE b, DWORD cb, LPDWORD n) { return EnumPrintersW(c.flags, nullptr, 2, b, cb, n, &returned); });
    ASSERT_EQ(returned, c.names.size());
    const auto* p = reinterpret_cast<const PRINTER_INFO_2W*>(buf.data());
    for (std::size_t i = 0; i < c.names.size(); ++i) EXPECT_EQ(plat::View(p[i].pPrinterName), c.names[i]);
  }
}

TEST_F(SpoolerCalls, RemovedPrinterAndDamagedStore) {
  HANDLE h = Open(u"Kova Test");
  ASSERT_EQ(plat::spooler::RemovePrinter(u"kova test"), ERROR_SUCCESS);
  BYTE buf[512];
  DWORD needed = 0;
  EXPECT_FALSE(GetPrinterW(h, 2, buf, sizeof buf, &needed));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_NAME);
  EXPECT_EQ(plat::spooler::RemovePrinter(u"kova test"), ERROR_INVALID_PRINTER_NAME);

  // A damaged record is not trusted: the printer is unknown rather than half-read.
  ASSERT_EQ(plat::spooler::InstallPrinter(SamplePrinter(u"Damaged")), ERROR_SUCCESS);
  for (const auto& entry : std::filesystem::directory_iterator(plat::StoreFolder("spooler") + "/printers")) {
    std::string path = entry.path().string();
    if (path.find("damaged") == std::string::npos) continue;
    std::ofstream(path, std::ios::app) << "[data]\nPrinterDriverData|X|1|zz\n";
  }
  plat::NoteStoreFilesChanged();  // edited by hand: every process reads the store again
  HANDLE d = nullptr;
  std::u16string name = u"Damaged";
  EXPECT_FALSE(OpenPrinterW(name.data(), &d, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_NAME);
}

}  // namespace
