// The kept field defaults of a context: a build of the default settings that copies back
// the kept outcome leaves the context exactly as a build that runs every field, and any
// change of what the outcome was made from is seen by the next build.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "devmode_outcome.h"
#include "context_fixture.h"
#include "model_context.h"
#include "fields/field_access.h"
#include "fields/languages.h"
#include "base/paths_and_names.h"
#include "win/profile.h"
#include "win/registry.h"
#include "fields/change_flags.h"
#include "context/devmode_defaults.h"
#include "context/field_defaults_memo.h"
#include "base/memory.h"
#include "fields/product_record.h"
#include "base/ui_strings.h"
#include "field_ids.h"

namespace field_defaults_memo_test {

namespace {

using kovatest::ModelContext;
using kovatest::Numeric;
using kovatest::PickOne;

using Outcome = kovatest::DevmodeOutcome;

// Mode 3 never takes a stored device-mode: every build runs the defaults.
Outcome Build(DriverContext* ctx) { return kovatest::BuildDevmodeOutcome(ctx, 3); }

void Forget(DriverContext* ctx) {
  FreeFieldDefaultsMemo(ctx->defaultsMemo);
  ctx->defaultsMemo = nullptr;
}

// The context's words before a build.
struct Before {
  const char* name;
  DWORD changeFlags;
  std::int32_t dirty;
  WORD marks;  // every field's marks
};

void Put(DriverContext* ctx, const Before& b) { kovatest::PutContextWords(ctx, b.changeFlags, b.dirty, b.marks); }

const std::string kModel = PickOne("KPD_IDC_PRESET_CHOICE_MEDIATYPE", {"KDMMEDIATYPE_1", "KDMMEDIATYPE_258"},
                                   "KDMMEDIATYPE_258") +
                           Numeric("KPD_IDC_PRESET_EDIT_COPIES", 3, 1, 9);

TEST(FieldDefaultsMemo, ACopiedOutcomeLeavesTheContextAsAFullBuildDoes) {
  const Before cases[] = {
      {"cleared words", 0, 0, 0},
      {"every flag raised, marks set", 0xFFFFFFFFu, 1, 0x3},
      {"high flags only, other mark bits", 0x12340000u, 0, 0xFFF0},
      {"low flags only", 0x0000BEEFu, 7, 0x2},
  };
  ModelContext m(kModel);
  DriverContext* ctx = m.ctx();
  // Fields that raise change flags when written.
  ApplyPageFieldFlags(ctx);
  Build(ctx);  // keeps the outcome
  ASSERT_NE(ctx->defaultsMemo, nullptr);
  for (const Before& b : cases) {
    SCOPED_TRACE(b.name);
    Put(ctx, b);
    const Outcome copied = Build(ctx);
    ASSERT_NE(ctx->defaultsMemo, nullptr);
    Forget(ctx);
    Put(ctx, b);
    const Outcome full = Build(ctx);
    EXPECT_TRUE(copied.settings == full.settings);
    EXPECT_EQ(copied.marks, full.marks);
    EXPECT_EQ(copied.changeFlags, full.changeFlags);
    EXPECT_EQ(copied.dirty, full.dirty);
  }
}

TEST(FieldDefaultsMemo, AChangedInputIsSeenByTheNextBuild) {
  ModelContext other(PickOne("KPD_IDC_PRESET_CHOICE_MEDIATYPE", {"KDMMEDIATYPE_1", "KDMMEDIATYPE_258"},
                             "KDMMEDIATYPE_1") +
                     Numeric("KPD_IDC_PRESET_EDIT_COPIES", 5, 1, 9));
  struct Change {
    const char* name;
    std::function<void(ModelContext&)> apply;
  };
  const Change changes[] = {
      {"another model image", [&](ModelContext& m) { m.ctx()->model = other.ctx()->model; }},
      {"the product record", [](ModelContext& m) { m.product().driverVersion = static_cast<WORD>(m.product().driverVersion ^ 0x0101u); }},
      {"a field's change flags", [](ModelContext& m) {
         for (int i = 0; i < m.ctx()->fields.count; ++i) m.ctx()->fields.records[i].runtimeFlags ^= 0x40000u;
       }},
  };
  for (const Change& c : changes) {
    SCOPED_TRACE(c.name);
    ModelContext m(kModel);
    DriverContext* ctx = m.ctx();
    const ModelImage* own = ctx->model;
    const Outcome first = Build(ctx);
    ASSERT_NE(ctx->defaultsMemo, nullptr);
    c.apply(m);
    Put(ctx, {"", 0, 0, 0});
    const Outcome kept = Build(ctx);
    Forget(ctx);
    Put(ctx, {"", 0, 0, 0});
    const Outcome full = Build(ctx);
    EXPECT_TRUE(kept == full);
    EXPECT_FALSE(first == full);  // the change shows in the outcome
    ctx->model = own;
  }
}

TEST(FieldDefaultsMemo, CompletedTextIdsAreKnown) {
  EXPECT_FALSE(IsCompletedUiStringId(0));
  const UiStringCompletionRow* rows = GetUiStringCompletionTable();
  ASSERT_NE(rows[0].stringId, 0u);
  EXPECT_TRUE(IsCompletedUiStringId(rows[0].stringId));
  EXPECT_FALSE(IsCompletedUiStringId(0xFFFFFFF0u));
}

}  // namespace

// Taking a cached context again sees every change of the printer's data and INI values
// that feed its defaults, while the per-field defaults are copied back.
namespace {

class CachedContextDefaults : public kovatest::ContextTest {};

TEST_F(CachedContextDefaults, ATakeSeesChangedPrinterDataAndIniValues) {
  struct Case {
    const char* name;
    std::function<void(HANDLE printer, DriverContext* context)> change;
    std::function<void(DriverContext* context)> check;
  };
  const WCHAR* kFrenchHelp = u"C:\\drv\\KOVAFR.HLP";
  const Case cases[] = {
      {"the help-file value of the printer",
       [&](HANDLE printer, DriverContext*) {
         const DWORD bytes = static_cast<DWORD>((std::char_traits<char16_t>::length(kFrenchHelp) + 1) * 2);
         ASSERT_EQ(SetPrinterDataW(printer, const_cast<LPWSTR>(u"HelpFileName"), REG_SZ,
                                   reinterpret_cast<LPBYTE>(const_cast<WCHAR*>(kFrenchHelp)), bytes),
                   static_cast<DWORD>(ERROR_SUCCESS));
       },
       [&](DriverContext* context) {
         EXPECT_EQ(ReadFieldRawById(context, fid::kdmLanguageID), LanguageIdFromFileName(kFrenchHelp));
       }},
      {"the driver id in the model INI",
       [](HANDLE, DriverContext* context) {
         ASSERT_TRUE(WritePrivateProfileStringW(GetModelName(context), u"DriverID", u"77",
                                                GetSecondIniPath(context)));
       },
       // The field holds one byte.
       [](DriverContext* context) { EXPECT_EQ(ReadFieldRawById(context, fid::kdmDriverID), 77u); }},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::u16string name = u"Cached " + std::u16string(1, static_cast<char16_t>(u'A' + n++));
    HANDLE printer = Install(name);
    DriverContext* context = Create(printer);
    ASSERT_NE(context, nullptr);
    Tag(context, 99);
    ReleaseContextToCache(context);
    context = Create(printer);  // the first take keeps the per-field defaults
    ASSERT_EQ(TagOf(context), 99u);
    ASSERT_NE(context->defaultsMemo, nullptr);
    c.change(printer, context);
    ReleaseContextToCache(context);
    context = Create(printer);
    ASSERT_EQ(TagOf(context), 99u);
    c.check(context);
    ReleaseContext(context, CTXR_DESTROY);
  }
}

}  // namespace

}  // namespace field_defaults_memo_test
