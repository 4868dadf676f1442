// Every DDI call of the rendering driver checks that it was handed one of its devices.
#include <gtest/gtest.h>

#include "ddi.h"
#include "render_device.h"
#include "win/errors.h"
#include "win/winddi.h"

namespace rendara {
namespace {

TEST(RendaraDdi, EveryCallChecksItsDevice) {
  // A device whose second magic word is wrong is no device.
  RenderDevice bad{};
  bad.magic1 = kRenderDeviceMagic;
  SURFOBJ surface{};
  surface.dhpdev = reinterpret_cast<DHPDEV>(&bad);
  const DHPDEV handle = reinterpret_cast<DHPDEV>(&bad);
  auto expectInvalid = [](BOOL result) {
    EXPECT_FALSE(result);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    SetLastError(0);
  };
  SetLastError(0);
  expectInvalid(DrvStartDoc(&surface, const_cast<LPWSTR>(u"doc"), 1));
  expectInvalid(DrvStartPage(&surface));
  expectInvalid(DrvSendPage(&surface));
  expectInvalid(DrvEndDoc(&surface, 0));
  expectInvalid(DrvStartPage(nullptr));
  expectInvalid(DrvStartBanding(&surface, nullptr));
  expectInvalid(DrvNextBand(&surface, nullptr));
  expectInvalid(DrvResetPDEV(handle, handle));
  expectInvalid(DrvBitBlt(&surface, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0));
  expectInvalid(DrvTextOut(&surface, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0));
  EXPECT_EQ(DrvEnableSurface(handle), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  SetLastError(0);
  DrvDisableSurface(handle);  // quietly
  EXPECT_EQ(GetLastError(), 0u);
}

}  // namespace
}  // namespace rendara
