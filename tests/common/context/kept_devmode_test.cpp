// The kept default device-mode of a cached context: a take that copies it back leaves the
// context as a full build does, and every change of what the build reads (printer data,
// the printer and driver records, the registry, the printer's INI file, the machine
// answers) is seen by the next take.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "context_fixture.h"
#include "devmode_outcome.h"
#include "fields/change_flags.h"
#include "context/devmode_defaults.h"
#include "fields/devmode_header.h"
#include "fields/field_access.h"
#include "context/kept_devmode.h"
#include "fields/languages.h"
#include "base/memory.h"
#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "field_ids.h"
#include "win/devmode.h"
#include "win/profile.h"
#include "win/registry.h"

namespace {

using Outcome = kovatest::DevmodeOutcome;

// The rebuild a take of a cached context makes (a printer without a stored device-mode).
Outcome Rebuild(DriverContext* ctx) { return kovatest::BuildDevmodeOutcome(ctx, 0); }

void Put(DriverContext* ctx, DWORD flags, std::int32_t dirty, WORD marks) {
  kovatest::PutContextWords(ctx, flags, dirty, marks);
}

class KeptDevmodeTest : public kovatest::ContextTest {
 protected:
  // Takes the cached context of the printer twice (the second take keeps the outcome)
  // and answers it taken a third time, copied back.
  DriverContext* Warm(HANDLE printer) {
    DriverContext* context = Create(printer);
    EXPECT_NE(context, nullptr);
    Tag(context, 41);
    for (int i = 0; i < 2; ++i) {
      ReleaseContextToCache(context);
      context = Create(printer);
      EXPECT_EQ(TagOf(context), 41u);
    }
    EXPECT_TRUE(HasKeptDevmode(context));
    return context;
  }
};

TEST_F(KeptDevmodeTest, ACopiedBackBuildLeavesTheContextAsAFullBuildDoes) {
  const struct {
    const char* name;
    DWORD flags;
    std::int32_t dirty;
    WORD marks;
  } cases[] = {
      {"cleared words", 0, 0, 0},
      {"every flag raised, marks set", 0xFFFFFFFFu, 1, 0x3},
      {"high flags only, other mark bits", 0x12340000u, 0, 0xFFF0},
      {"low flags only", 0x0000BEEFu, 7, 0x2},
  };
  HANDLE printer = Install(u"Kept");
  DriverContext* ctx = Warm(printer);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Put(ctx, c.flags, c.dirty, c.marks);
    const Outcome copied = Rebuild(ctx);
    ASSERT_TRUE(HasKeptDevmode(ctx));
    FreeKeptDevmode(ctx->keptDevmode);
    ctx->keptDevmode = nullptr;
    Put(ctx, c.flags, c.dirty, c.marks);
    const Outcome full = Rebuild(ctx);
    EXPECT_TRUE(copied.settings == full.settings);
    EXPECT_EQ(copied.marks, full.marks);
    EXPECT_EQ(copied.changeFlags, full.changeFlags);
    EXPECT_EQ(copied.dirty, full.dirty);
    ASSERT_TRUE(HasKeptDevmode(ctx));  // the full build kept its outcome again
  }
  ReleaseContext(ctx, CTXR_DESTROY);
}

TEST_F(KeptDevmodeTest, ChangeMarksClearedBetweenTakesAreSetAgain) {
  struct Case {
    const char* name;
    std::function<void(DriverContext* context)> clear;
  } cases[] = {
      {"every field's marks", [](DriverContext* context) { ClearAllFieldChangeMarks(context); }},
      {"one field's mark",
       [](DriverContext* context) {
         for (int i = 0; i < context->fields.count; ++i) {
           if (GetFieldChangeMark(&context->fields.records[i])) {
             SetFieldChangeMark(&context->fields.records[i], 0);
             break;
           }
         }
       }},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HANDLE printer = Install(u"Marks " + std::u16string(1, static_cast<char16_t>(u'A' + n++)));
    DriverContext* context = Warm(printer);
    ASSERT_TRUE(AnyFieldChangeMarked(context));
    c.clear(context);
    ReleaseContextToCache(context);
    context = Create(printer);
    ASSERT_EQ(TagOf(context), 41u);
    ASSERT_TRUE(HasKeptDevmode(context));
    std::vector<WORD> copied;
    for (int i = 0; i < context->fields.count; ++i) copied.push_back(context->fields.records[i].marks);
    // What a full build leaves after the same clearing.
    c.clear(context);
    FreeKeptDevmode(context->keptDevmode);
    context->keptDevmode = nullptr;
    EXPECT_EQ(Rebuild(context).marks, copied);
    ReleaseContext(context, CTXR_DESTROY);
  }
}

TEST_F(KeptDevmodeTest, ATakeSeesEveryChangeOfWhatTheBuildReads) {
  const WCHAR* kFrenchHelp = u"C:\\drv\\KOVAFR.HLP";
  struct Case {
    const char* name;
    std::function<void(HANDLE printer, DriverContext* context)> change;
    std::function<void(DriverContext* context)> check;
  };
  const Case cases[] = {
      {"printer data: the help-file value",
       [&](HANDLE printer, DriverContext*) {
         const DWORD bytes = static_cast<DWORD>((std::char_traits<char16_t>::length(kFrenchHelp) + 1) * 2);
         ASSERT_EQ(SetPrinterDataW(printer, const_cast<LPWSTR>(u"HelpFileName"), REG_SZ,
                                   reinterpret_cast<LPBYTE>(const_cast<WCHAR*>(kFrenchHelp)), bytes),
                   static_cast<DWORD>(ERROR_SUCCESS));
       },
       [&](DriverContext* context) {
         EXPECT_EQ(ReadFieldRawById(context, fid::kdmLanguageID), LanguageIdFromFileName(kFrenchHelp));
       }},
      {"the printer record: a stored device-mode",
       [](HANDLE printer, DriverContext* context) {
         std::vector<BYTE> devmode(context->settings, context->settings + GetTotalDevmodeSize());
         reinterpret_cast<DEVMODEW*>(devmode.data())->dmCopies = 3;
         DWORD needed = 0;
         GetPrinterW(printer, 2, nullptr, 0, &needed);
         std::vector<BYTE> info(needed);
         ASSERT_TRUE(GetPrinterW(printer, 2, info.data(), needed, &needed));
         auto* info2 = reinterpret_cast<PRINTER_INFO_2W*>(info.data());
         info2->pDevMode = reinterpret_cast<DEVMODEW*>(devmode.data());
         info2->pSecurityDescriptor = nullptr;
         ASSERT_TRUE(SetPrinterW(printer, 2, info.data(), 0));
       },
       [](DriverContext* context) { EXPECT_EQ(ReadFieldRawById(context, fid::dmCopies), 3u); }},
      {"the registry: a suite tool installed",
       [](HANDLE, DriverContext*) {
         HKEY key = nullptr;
         ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\VANTE\\Suitemix\\Jobfold", 0, nullptr, 0,
                                   KEY_ALL_ACCESS, nullptr, &key, nullptr),
                   ERROR_SUCCESS);
         const DWORD count = 1;
         ASSERT_EQ(RegSetValueExW(key, u"INSTALL_COUNT", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count),
                                  sizeof count),
                   ERROR_SUCCESS);
         RegCloseKey(key);
       },
       [](DriverContext* context) { EXPECT_EQ(GetStateByte(context, 717), 1u); }},
      {"the printer's INI file: the driver id",
       [](HANDLE, DriverContext* context) {
         ASSERT_TRUE(WritePrivateProfileStringW(GetModelName(context), u"DriverID", u"77",
                                                GetSecondIniPath(context)));
       },
       [](DriverContext* context) { EXPECT_EQ(ReadFieldRawById(context, fid::kdmDriverID), 77u); }},
      {"the machine's answers asked again: not an administrator",
       [](HANDLE, DriverContext*) {
         plat::Machine().administrator = false;
         ResetSystemTestCaches();
       },
       [](DriverContext* context) { EXPECT_EQ(GetStateByte(context, 721), 0u); }},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::u16string name = u"Watched " + std::u16string(1, static_cast<char16_t>(u'A' + n++));
    HANDLE printer = Install(name);
    DriverContext* context = Warm(printer);
    const Outcome before = Rebuild(context);
    c.change(printer, context);
    ReleaseContextToCache(context);
    context = Create(printer);
    ASSERT_EQ(TagOf(context), 41u);
    c.check(context);
    const Outcome after = Rebuild(context);
    EXPECT_FALSE(after.settings == before.settings);
    ReleaseContext(context, CTXR_DESTROY);
    plat::Machine().administrator = true;
    ResetSystemTestCaches();
  }
}

}  // namespace
