// Change notifications: events, a folder's changes, a printer's changes and a registry
// key's changes. Each fires for a change of its own kind (made in this process or in
// another one), stays quiet for what it does not watch, and is quiet again once reset.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "plat/spooler_setup.h"
#include "process_probes.h"
#include "test_root.h"
#include "win/errors.h"
#include "win/files.h"
#include "win/notify.h"
#include "win/profile.h"
#include "win/registry.h"
#include "win/spool.h"
#include "win/sync.h"

namespace {

using kovatest::InChild;

bool Fired(HANDLE h) { return WaitForSingleObject(h, 0) == WAIT_OBJECT_0; }

void WriteWin(const char16_t* path, const std::string& bytes) {
  HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  CloseHandle(f);
}

void SetHkcu(const char16_t* key, DWORD value) {
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(k, u"V", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value),
            ERROR_SUCCESS);
  RegCloseKey(k);
}

void SetHklm(const char16_t* key, DWORD value) {
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(k, u"V", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value),
            ERROR_SUCCESS);
  RegCloseKey(k);
}

class ChangeWatch : public ::testing::Test {
 public:
  void SetUp() override {
    ASSERT_TRUE(CreateDirectoryW(u"C:\\ini", nullptr));
    WriteWin(u"C:\\ini\\user.ini", "[S]\r\nK=1\r\n");
    plat::spooler::PrinterSetup setup;
    setup.name = u"Watched";
    setup.driver.name = u"KOVA Test Driver";
    setup.driver.driverPath = u"Rendara.dll";
    setup.driver.configFile = u"Panelis.dll";
    ASSERT_EQ(plat::spooler::InstallPrinter(setup), ERROR_SUCCESS);
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(u"Watched"), &printer_, &defaults));
  }
  void TearDown() override {
    if (printer_) ClosePrinter(printer_);
  }

  DWORD SetData(const char16_t* name, DWORD value) {
    return SetPrinterDataW(printer_, const_cast<LPWSTR>(name), REG_DWORD, reinterpret_cast<BYTE*>(&value),
                           sizeof value);
  }

  kovatest::TempRoot root_;
  HANDLE printer_ = nullptr;
};

TEST(Events, ManualAndAutomaticReset) {
  kovatest::TempRoot root;
  HANDLE manual = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE automatic = CreateEventW(nullptr, FALSE, TRUE, nullptr);
  ASSERT_NE(manual, nullptr);
  ASSERT_NE(automatic, nullptr);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(manual, 20), WAIT_TIMEOUT);
  ASSERT_TRUE(SetEvent(manual));
  EXPECT_TRUE(Fired(manual));
  EXPECT_TRUE(Fired(manual));  // stays set
  ASSERT_TRUE(ResetEvent(manual));
  EXPECT_FALSE(Fired(manual));
  // Set at creation; a satisfied wait resets it.
  EXPECT_TRUE(Fired(automatic));
  EXPECT_FALSE(Fired(automatic));
  EXPECT_TRUE(CloseHandle(manual));
  EXPECT_TRUE(CloseHandle(automatic));

  EXPECT_EQ(CreateEventW(nullptr, TRUE, FALSE, u"Named"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
  EXPECT_FALSE(SetEvent(manual));  // closed
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(ChangeWatch, EachNotificationFiresForItsOwnKindOfChange) {
  struct Case {
    const char* name;
    std::function<void(ChangeWatch&)> change;
    bool folder;   // the INI folder's notification (names and writes)
    bool printer;  // the printer's notification
    bool user;     // HKEY_CURRENT_USER's request
    bool machine;  // HKEY_LOCAL_MACHINE's request
  };
  const Case cases[] = {
      {"an INI value written",
       [](ChangeWatch&) { ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"K", u"2", u"C:\\ini\\user.ini")); },
       true, false, false, false},
      {"a file's bytes written", [](ChangeWatch&) { WriteWin(u"C:\\ini\\user.ini", "[S]\r\nK=3\r\n"); }, true, false,
       false, false},
      {"a new file", [](ChangeWatch&) { WriteWin(u"C:\\ini\\new.ini", "[S]\r\n"); }, true, false, false, false},
      {"a file deleted", [](ChangeWatch&) { ASSERT_TRUE(DeleteFileW(u"C:\\ini\\user.ini")); }, true, false, false,
       false},
      {"printer data", [](ChangeWatch& t) { ASSERT_EQ(t.SetData(u"Value", 5), ERROR_SUCCESS); }, false, true, false,
       false},
      {"the printer record",
       [](ChangeWatch& t) {
         PRINTER_INFO_7W info{nullptr, DSPRINT_UPDATE};
         ASSERT_TRUE(SetPrinterW(t.printer_, 7, reinterpret_cast<BYTE*>(&info), 0));
       },
       false, true, false, false},
      {"the driver record, rewritten by an install of another printer of the driver",
       [](ChangeWatch&) {
         plat::spooler::PrinterSetup setup;
         setup.name = u"Second";
         setup.driver.name = u"KOVA Test Driver";
         setup.driver.driverPath = u"Rendara.dll";
         setup.driver.configFile = u"Panelis.dll";
         setup.driver.helpFile = u"KOVAFR.HLP";
         ASSERT_EQ(plat::spooler::InstallPrinter(setup), ERROR_SUCCESS);
         ASSERT_EQ(plat::spooler::RemovePrinter(u"Second"), ERROR_SUCCESS);
       },
       false, true, false, false},
      {"a user's registry value", [](ChangeWatch&) { SetHkcu(u"Software\\Watch", 1); }, false, false, true, false},
      {"a machine's registry value", [](ChangeWatch&) { SetHklm(u"Software\\Watch", 1); }, false, false, false, true},
      {"reads only",
       [](ChangeWatch& t) {
         WCHAR text[16] = {};
         GetPrivateProfileStringW(u"S", u"K", u"", text, 16, u"C:\\ini\\user.ini");
         DWORD type = 0, value = 0, needed = 0;
         GetPrinterDataW(t.printer_, const_cast<LPWSTR>(u"Value"), &type, reinterpret_cast<BYTE*>(&value),
                         sizeof value, &needed);
         HKEY k = nullptr;
         RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software", 0, KEY_READ, &k);
         if (k) RegCloseKey(k);
       },
       false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HANDLE folder = FindFirstChangeNotificationW(u"C:\\ini", FALSE,
                                                 FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE);
    ASSERT_NE(folder, INVALID_HANDLE_VALUE);
    HANDLE printer = FindFirstPrinterChangeNotification(printer_, PRINTER_CHANGE_PRINTER, 0, nullptr);
    ASSERT_NE(printer, INVALID_HANDLE_VALUE);
    HANDLE user = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE machine = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_EQ(RegNotifyChangeKeyValue(HKEY_CURRENT_USER, TRUE, REG_NOTIFY_CHANGE_LAST_SET, user, TRUE), ERROR_SUCCESS);
    ASSERT_EQ(RegNotifyChangeKeyValue(HKEY_LOCAL_MACHINE, TRUE, REG_NOTIFY_CHANGE_LAST_SET, machine, TRUE),
              ERROR_SUCCESS);
    EXPECT_FALSE(Fired(folder) || Fired(printer) || Fired(user) || Fired(machine));

    c.change(*this);
    EXPECT_EQ(Fired(folder), c.folder);
    EXPECT_EQ(Fired(printer), c.printer);
    EXPECT_EQ(Fired(user), c.user);
    EXPECT_EQ(Fired(machine), c.machine);
    EXPECT_EQ(Fired(folder), c.folder);  // a notification stays signalled until it is reset

    // Reset, each is quiet until the next change.
    ASSERT_TRUE(FindNextChangeNotification(folder));
    DWORD change = 0xDEADu;
    LPVOID info = &change;
    ASSERT_TRUE(FindNextPrinterChangeNotification(printer, &change, nullptr, &info));
    EXPECT_EQ(change, c.printer ? PRINTER_CHANGE_PRINTER : 0u);
    EXPECT_EQ(info, nullptr);
    EXPECT_FALSE(Fired(folder));
    EXPECT_FALSE(Fired(printer));
    EXPECT_TRUE(FindCloseChangeNotification(folder));
    EXPECT_TRUE(FindClosePrinterChangeNotification(printer));
    CloseHandle(user);
    CloseHandle(machine);
    WriteWin(u"C:\\ini\\user.ini", "[S]\r\nK=1\r\n");
  }
}

TEST_F(ChangeWatch, ARegistryRequestEndsWhenItSetsItsEvent) {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_EQ(RegNotifyChangeKeyValue(HKEY_CURRENT_USER, TRUE, REG_NOTIFY_CHANGE_LAST_SET, event, TRUE), ERROR_SUCCESS);
  SetHkcu(u"Software\\Once", 1);
  EXPECT_TRUE(Fired(event));
  ASSERT_TRUE(ResetEvent(event));
  SetHkcu(u"Software\\Once", 2);
  EXPECT_FALSE(Fired(event));  // the request ended
  ASSERT_EQ(RegNotifyChangeKeyValue(HKEY_CURRENT_USER, TRUE, REG_NOTIFY_CHANGE_LAST_SET, event, TRUE), ERROR_SUCCESS);
  EXPECT_FALSE(Fired(event));
  SetHkcu(u"Software\\Once", 3);
  EXPECT_TRUE(Fired(event));
  CloseHandle(event);
}

TEST_F(ChangeWatch, AnotherProcessesWritesFireTheNotifications) {
  HANDLE folder = FindFirstChangeNotificationW(u"C:\\ini", FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE);
  HANDLE printer = FindFirstPrinterChangeNotification(printer_, PRINTER_CHANGE_ALL, 0, nullptr);
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_EQ(RegNotifyChangeKeyValue(HKEY_LOCAL_MACHINE, TRUE, REG_NOTIFY_CHANGE_LAST_SET, event, TRUE),
            ERROR_SUCCESS);
  ASSERT_FALSE(Fired(folder) || Fired(printer) || Fired(event));
  ASSERT_EQ(InChild([] { return WritePrivateProfileStringW(u"S", u"K", u"9", u"C:\\ini\\user.ini") != FALSE; }), 0);
  EXPECT_TRUE(Fired(folder));
  EXPECT_FALSE(Fired(printer));
  ASSERT_EQ(InChild([this] { return SetData(u"FromChild", 1) == ERROR_SUCCESS; }), 0);
  EXPECT_TRUE(Fired(printer));
  EXPECT_FALSE(Fired(event));
  ASSERT_EQ(InChild([] {
              HKEY k = nullptr;
              DWORD v = 4;
              return RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                     &k, nullptr) == ERROR_SUCCESS &&
                     RegSetValueExW(k, u"V", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v) ==
                         ERROR_SUCCESS;
            }),
            0);
  EXPECT_TRUE(Fired(event));
  // A wait with a time-out sees a change made while it waits.
  ASSERT_TRUE(FindNextChangeNotification(folder));
  EXPECT_EQ(WaitForSingleObject(folder, 30), WAIT_TIMEOUT);
  FindCloseChangeNotification(folder);
  FindClosePrinterChangeNotification(printer);
  CloseHandle(event);
}

TEST_F(ChangeWatch, RefusedRequests) {
  // Folders: missing, a file, no filter, an unknown filter bit.
  struct FolderCase {
    const char16_t* path;
    DWORD filter;
    DWORD error;
  } folders[] = {
      {u"C:\\missing", FILE_NOTIFY_CHANGE_LAST_WRITE, ERROR_FILE_NOT_FOUND},
      {u"C:\\missing\\deeper", FILE_NOTIFY_CHANGE_LAST_WRITE, ERROR_PATH_NOT_FOUND},
      {u"C:\\ini\\user.ini", FILE_NOTIFY_CHANGE_LAST_WRITE, ERROR_DIRECTORY},
      {u"C:\\ini", 0, ERROR_INVALID_PARAMETER},
      {u"C:\\ini", 0x80000000u, ERROR_INVALID_PARAMETER},
  };
  for (const FolderCase& c : folders) {
    SCOPED_TRACE(kovatest::U8(c.path));
    EXPECT_EQ(FindFirstChangeNotificationW(c.path, FALSE, c.filter), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), c.error);
  }
  // Printers: no printer handle, no filter, field options.
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  EXPECT_EQ(FindFirstPrinterChangeNotification(event, PRINTER_CHANGE_ALL, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(FindFirstPrinterChangeNotification(printer_, 0, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  int options = 0;
  EXPECT_EQ(FindFirstPrinterChangeNotification(printer_, PRINTER_CHANGE_ALL, 0, &options), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  // A handle of the other kind is not reset or closed by the wrong call.
  HANDLE folder = FindFirstChangeNotificationW(u"C:\\ini", FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE);
  ASSERT_NE(folder, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(FindNextPrinterChangeNotification(folder, nullptr, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(FindClosePrinterChangeNotification(folder));
  EXPECT_FALSE(FindNextChangeNotification(event));
  EXPECT_TRUE(FindCloseChangeNotification(folder));
  // Registry: no KEY_NOTIFY right, no filter, no event for an asynchronous request.
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Refused", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                            nullptr),
            ERROR_SUCCESS);
  RegCloseKey(k);
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Refused", 0, KEY_QUERY_VALUE, &k), ERROR_SUCCESS);
  EXPECT_EQ(RegNotifyChangeKeyValue(k, FALSE, REG_NOTIFY_CHANGE_LAST_SET, event, TRUE), ERROR_ACCESS_DENIED);
  RegCloseKey(k);
  EXPECT_EQ(RegNotifyChangeKeyValue(HKEY_CURRENT_USER, FALSE, 0, event, TRUE), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegNotifyChangeKeyValue(HKEY_CURRENT_USER, FALSE, REG_NOTIFY_CHANGE_NAME, printer_, TRUE),
            ERROR_INVALID_HANDLE);
  CloseHandle(event);
}

}  // namespace
