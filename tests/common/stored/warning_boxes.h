// The warnings the settings code shows, read back from the platform's message-box record.
// A resource module whose strings 10023 and 12041 start with their own numbers lets the
// record tell the warnings apart.
#pragma once

#include <string>

#include "base/driver_context.h"
#include "plat/ui_driver.h"
#include "test_root.h"
#include "win/loader.h"
#include "win/msgbox.h"

namespace kovatest {

inline void UseWarningStrings(const TempRoot& root, DriverContext* context) {
  root.WriteFile(u"C:\\_kova\\warnings.rc",
                 "STRINGTABLE BEGIN 10023 \"10023 header of %s\" 12041 \"12041 locked value in %s\" END\n");
  if (context->uiModule) FreeLibrary(context->uiModule);
  context->uiModule = LoadLibraryW(u"C:\\_kova\\warnings.dll");
  plat::ui::ClearMessageBoxes();
}

// The string id the last warning box showed (0 for none); clearing forgets the boxes.
inline DWORD LastWarning(bool clear = false) {
  const auto& boxes = plat::ui::MessageBoxes();
  DWORD id = 0;
  if (!boxes.empty()) {
    const auto& b = boxes.back();
    EXPECT_EQ(b.type & MB_ICONMASK, MB_ICONWARNING);
    for (char16_t c : b.text) {
      if (c < u'0' || c > u'9') break;
      id = id * 10 + (c - u'0');
    }
  }
  if (clear) plat::ui::ClearMessageBoxes();
  return id;
}

}  // namespace kovatest
