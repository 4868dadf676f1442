// The device's colour transform: made from the destination profile in memory, kept with
// its profile by the device, and released with it.
#include <vector>

#include "buffer_fixture.h"
#include "colour_transform.h"
#include "ddi.h"
#include "win/errors.h"
#include "win/gdi.h"

namespace rendara::test {
namespace {

std::vector<BYTE> ProfileBytes(std::size_t size) {
  std::vector<BYTE> d(size, 0);
  d[2] = static_cast<BYTE>(size >> 8);
  d[3] = static_cast<BYTE>(size);
  d[36] = 'a', d[37] = 'c', d[38] = 's', d[39] = 'p';
  return d;
}

LOGCOLORSPACEW Srgb() {
  LOGCOLORSPACEW cs{};
  cs.lcsSignature = LCS_SIGNATURE;
  cs.lcsVersion = 0x400;
  cs.lcsSize = sizeof(LOGCOLORSPACEW);
  cs.lcsCSType = LCS_sRGB;
  return cs;
}

class IcmTest : public BufferTest {
 protected:
  DHPDEV dev() { return reinterpret_cast<DHPDEV>(device_); }
};

TEST_F(IcmTest, TransformAndProfileAreKeptAndReleasedTogether) {
  std::vector<BYTE> profile = ProfileBytes(256);
  LOGCOLORSPACEW cs = Srgb();
  HANDLE t = DrvIcmCreateColorTransform(dev(), &cs, nullptr, 0, profile.data(), static_cast<ULONG>(profile.size()),
                                        nullptr, 0, 0);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(device_->colorTransform, t);
  HANDLE kept = device_->colorProfile;
  ASSERT_NE(kept, nullptr);
  EXPECT_TRUE(DrvIcmDeleteColorTransform(dev(), t));
  EXPECT_EQ(device_->colorTransform, nullptr);
  EXPECT_EQ(device_->colorProfile, nullptr);
  // Both handles are gone from the engine.
  EXPECT_FALSE(DeleteColorTransform(reinterpret_cast<HTRANSFORM>(t)));
  EXPECT_FALSE(CloseColorProfile(reinterpret_cast<HPROFILE>(kept)));
  // Nothing kept: still TRUE.
  EXPECT_TRUE(DrvIcmDeleteColorTransform(dev(), nullptr));
}

TEST_F(IcmTest, DataThatIsNotAProfileMakesNoTransform) {
  std::vector<BYTE> junk(64, 0x55);
  LOGCOLORSPACEW cs = Srgb();
  EXPECT_EQ(DrvIcmCreateColorTransform(dev(), &cs, nullptr, 0, junk.data(), 64, nullptr, 0, 0), nullptr);
  EXPECT_EQ(device_->colorProfile, nullptr);
  EXPECT_EQ(device_->colorTransform, nullptr);
  // A profile that opens but a colour space the transform refuses keeps the profile only.
  std::vector<BYTE> profile = ProfileBytes(200);
  LOGCOLORSPACEW bad{};
  EXPECT_EQ(DrvIcmCreateColorTransform(dev(), &bad, nullptr, 0, profile.data(), 200, nullptr, 0, 0), nullptr);
  EXPECT_NE(device_->colorProfile, nullptr);
  EXPECT_TRUE(DrvIcmDeleteColorTransform(dev(), nullptr));
  EXPECT_EQ(device_->colorProfile, nullptr);
}

TEST_F(IcmTest, ASecondTransformClosesTheFirstProfileAndTheDeviceReleasesTheRest) {
  std::vector<BYTE> profile = ProfileBytes(256);
  LOGCOLORSPACEW cs = Srgb();
  HANDLE first = DrvIcmCreateColorTransform(dev(), &cs, nullptr, 0, profile.data(), 256, nullptr, 0, 0);
  ASSERT_NE(first, nullptr);
  HANDLE firstProfile = device_->colorProfile;
  HANDLE second = DrvIcmCreateColorTransform(dev(), &cs, nullptr, 0, profile.data(), 256, nullptr, 0, 0);
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(CloseColorProfile(reinterpret_cast<HPROFILE>(firstProfile)));  // already closed
  EXPECT_TRUE(DeleteColorTransform(reinterpret_cast<HTRANSFORM>(first)));     // the engine's to delete
  HANDLE secondProfile = device_->colorProfile;
  // Destroying the device releases what it still keeps.
  DeleteDeviceColorTransform(device_);
  EXPECT_FALSE(DeleteColorTransform(reinterpret_cast<HTRANSFORM>(second)));
  EXPECT_FALSE(CloseColorProfile(reinterpret_cast<HPROFILE>(secondProfile)));
}

TEST_F(IcmTest, InvalidDevice) {
  RenderDevice stranger{};
  SetLastError(0);
  EXPECT_EQ(DrvIcmCreateColorTransform(reinterpret_cast<DHPDEV>(&stranger), nullptr, nullptr, 0, nullptr, 0, nullptr,
                                       0, 0),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  SetLastError(0);
  EXPECT_FALSE(DrvIcmDeleteColorTransform(nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
}  // namespace rendara::test
