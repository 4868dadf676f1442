// Print notification: the capability and value bits from the notification library.
#include <gtest/gtest.h>

#include <vector>

#include "base/paths_and_names.h"
#include "outside/print_notification.h"
#include "outside_fixture.h"
#include "build_paths.h"

namespace kovatest {
namespace {

class PrintNotification : public OutsideTest {
 protected:
  void SetBits(DWORD complete, DWORD error, DWORD supportComplete, DWORD supportError) {
    WriteFieldRawById(ctx_, fid::kdmFunc2SelectJobComplete, complete);
    WriteFieldRawById(ctx_, fid::kdmFunc2SelectJobErr, error);
    WriteFieldRawById(ctx_, fid::kdmSupportFunc2SelectJobComplete, supportComplete);
    WriteFieldRawById(ctx_, fid::kdmSupportFunc2SelectJobErr, supportError);
  }
  std::vector<DWORD> Bits() {
    return {ReadFieldRawById(ctx_, fid::kdmSupportFunc2SelectJobComplete),
            ReadFieldRawById(ctx_, fid::kdmSupportFunc2SelectJobErr),
            ReadFieldRawById(ctx_, fid::kdmFunc2SelectJobComplete), ReadFieldRawById(ctx_, fid::kdmFunc2SelectJobErr)};
  }
};

TEST_F(PrintNotification, WithoutTheLibraryOnlyTheCapabilitiesAreCleared) {
  SetBits(1, 1, 1, 1);
  QueryPrintNotification(ctx_, 0);
  EXPECT_EQ(Bits(), (std::vector<DWORD>{0, 0, 1, 1}));
}

TEST_F(PrintNotification, CapabilitiesAndValues) {
  Place(kovatest::BuiltFile("NotifyDouble"), SystemFolder() + u"\\Notifinf.so");
  struct Case {
    DWORD capabilityResult, capability, valueResult, value, flags;
    std::vector<DWORD> bits;  // 562, 563, 530, 531 from 1, 1, 1, 1
  } cases[] = {
      {0, 2, 0, 1, 0, {0, 1, 1, 0}},
      {0, 3, 0, 2, 0, {1, 1, 0, 1}},
      {0, 3, 0, 0, PNQ_CAPABILITIES_ONLY, {1, 1, 1, 1}},
      {0, 1, 9, 0, 0, {1, 0, 1, 1}},  // a failed value query keeps 530 and 531
      {6, 3, 0, 0, 0, {0, 0, 1, 1}},  // a failed capability query clears 562 and 563
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.capability);
    Steer(u"Notifinf", u"CapabilityResult", c.capabilityResult);
    Steer(u"Notifinf", u"Capability", c.capability);
    Steer(u"Notifinf", u"ValueResult", c.valueResult);
    Steer(u"Notifinf", u"Value", c.value);
    SetBits(1, 1, 1, 1);
    QueryPrintNotification(ctx_, c.flags);
    EXPECT_EQ(Bits(), c.bits);
  }
  EXPECT_EQ(AnswerText(u"Notifinf", u"AskedName"), std::u16string(GetPrinterDisplayName(ctx_)));
}

}  // namespace
}  // namespace kovatest
