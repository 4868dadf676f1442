// The custom paper pages: the inch copies of the custom size kept within the input page's
// limits, the display unit switched on the unit page, and the free-size list edited entry by
// entry.
#include <gtest/gtest.h>

#include <string>

#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "context/module_events.h"
#include "context/module_hooks.h"
#include "field_ids.h"
#include "fields/field_access.h"
#include "model/module_dispatch.h"
#include "model/units.h"
#include "modules_fixture.h"
#include "stored/module_services.h"

namespace kovatest {
namespace custom_paper_pages_test {
namespace {

constexpr WORD kInputPage = 1041;

class CustomPaperPages : public ModulesTest {
 protected:
  void InchMode() {
    Set(fid::dmPaperSize, 256);
    Set(fid::kdmDspUnit, 1);
    Set(fid::wdmInputFreeSizeType, 1);
    Set(fid::kdmPaperFreeSizeTray, 1);
    Set(fid::kdmPaperFreeSizeOrient, 1);
  }
};

// The inch copies follow the custom size within the input page's edits' limits (tray 1,
// portrait: length 5.83-17.00 in, width 3.55-11.69 in), whichever page is open when the
// clamp runs.
TEST_F(CustomPaperPages, InchCopiesKeepTheInputPageLimitsFromAnyPage) {
  struct Case {
    const char* name;
    WORD openPage;
    DWORD length, width;              // 1200 dpi
    DWORD inchLength, inchWidth;      // 0.01 inch
  } const cases[] = {
      {"within the limits", kInputPage, 12000, 6000, 1000, 500},
      {"beyond both, on the input page", kInputPage, 24000, 3000, 1700, 355},
      {"beyond both, another page open", 1001, 24000, 3000, 1700, 355},
      {"no page open", 0, 24000, 3000, 1700, 355},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InchMode();
    ctx_->pageId = c.openPage;
    Set(fid::kdmPaperFreeSizeLength, c.length);
    Set(fid::kdmPaperFreeSizeWidth, c.width);
    NotifyModules(ctx_, MODEV_CHANGE_REFUSED, nullptr);
    EXPECT_EQ(Get(fid::kdmPaperINCHLength), c.inchLength);
    EXPECT_EQ(Get(fid::kdmPaperINCHWidth), c.inchWidth);
  }
}

}  // namespace
}  // namespace custom_paper_pages_test
}  // namespace kovatest
