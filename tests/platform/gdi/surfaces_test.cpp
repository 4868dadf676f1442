// Engine surfaces, palettes and devices: bitmap geometry, device surfaces, association,
// banding marks, deletion while locked, palettes, erasing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "plat/engine.h"
#include "win/errors.h"
#include "win/winddi.h"

namespace {

HSURF AsSurf(HBITMAP b) { return reinterpret_cast<HSURF>(b); }

struct StrideCase {
  ULONG format;
  LONG width;
  ULONG stride;
};

TEST(GdiSurface, BitmapRowsArePaddedToFourBytes) {
  const StrideCase cases[] = {
      {BMF_1BPP, 1, 4},      {BMF_1BPP, 32, 4},    {BMF_1BPP, 33, 8},     {BMF_1BPP, 4960, 620},
      {BMF_4BPP, 9, 8},      {BMF_8BPP, 5, 8},     {BMF_16BPP, 3, 8},     {BMF_24BPP, 1, 4},
      {BMF_24BPP, 4960, 14880}, {BMF_24BPP, 5, 16}, {BMF_32BPP, 3, 12},
  };
  for (const auto& c : cases) {
    HBITMAP b = EngCreateBitmap(SIZEL{c.width, 3}, 0, c.format, BMF_TOPDOWN, nullptr);
    ASSERT_NE(b, nullptr) << c.format << " " << c.width;
    SURFOBJ* so = EngLockSurface(AsSurf(b));
    ASSERT_NE(so, nullptr);
    EXPECT_EQ(so->lDelta, static_cast<LONG>(c.stride)) << c.format << " " << c.width;
    EXPECT_EQ(so->cjBits, c.stride * 3);
    EXPECT_EQ(so->iBitmapFormat, c.format);
    EXPECT_EQ(so->iType, STYPE_BITMAP);
    EngUnlockSurface(so);
    EXPECT_TRUE(EngDeleteSurface(AsSurf(b)));
  }
}

TEST(GdiSurface, BottomUpBitmapStartsAtTheLastRow) {
  HBITMAP b = EngCreateBitmap(SIZEL{10, 4}, 0, BMF_8BPP, 0, nullptr);
  ASSERT_NE(b, nullptr);
  SURFOBJ* so = EngLockSurface(AsSurf(b));
  EXPECT_EQ(so->lDelta, -12);
  EXPECT_EQ(static_cast<BYTE*>(so->pvScan0), static_cast<BYTE*>(so->pvBits) + 3 * 12);
  // The engine's bits start zeroed.
  const auto* bits = static_cast<const BYTE*>(so->pvBits);
  EXPECT_TRUE(std::all_of(bits, bits + so->cjBits, [](BYTE v) { return v == 0; }));
  EngUnlockSurface(so);
  EngDeleteSurface(AsSurf(b));
}

TEST(GdiSurface, CallerBitsAndExplicitStrideAreUsed) {
  std::vector<BYTE> mine(64 * 2, 0x11);
  HBITMAP b = EngCreateBitmap(SIZEL{8, 2}, 64, BMF_24BPP, BMF_TOPDOWN, mine.data());
  ASSERT_NE(b, nullptr);
  SURFOBJ* so = EngLockSurface(AsSurf(b));
  EXPECT_EQ(so->pvBits, mine.data());
  EXPECT_EQ(so->lDelta, 64);
  EXPECT_EQ(mine[0], 0x11);  // caller bits are not cleared
  EngUnlockSurface(so);
  EngDeleteSurface(AsSurf(b));
}

TEST(GdiSurface, BadBitmapRequestsAreRefused) {
  struct Bad {
    SIZEL size;
    LONG stride;
    ULONG format;
    DWORD error;
  } cases[] = {
      {{0, 5}, 0, BMF_8BPP, ERROR_INVALID_PARAMETER},     {{5, 0}, 0, BMF_8BPP, ERROR_INVALID_PARAMETER},
      {{-3, 5}, 0, BMF_8BPP, ERROR_INVALID_PARAMETER},    {{5, 5}, 0, BMF_JPEG, ERROR_INVALID_PARAMETER},
      {{5, 5}, 0, 99, ERROR_INVALID_PARAMETER},           {{16, 5}, 8, BMF_8BPP, ERROR_INVALID_PARAMETER},
      {{5, 5}, -8, BMF_8BPP, ERROR_INVALID_PARAMETER},    {{0x7FFFFFFF, 2}, 0, BMF_32BPP, ERROR_INVALID_PARAMETER},
      {{100000, 100000}, 0, BMF_24BPP, ERROR_NOT_ENOUGH_MEMORY},
  };
  const std::size_t before = plat::engine::LiveSurfaceCount();
  for (const auto& c : cases) {
    SetLastError(0);
    EXPECT_EQ(EngCreateBitmap(c.size, c.stride, c.format, 0, nullptr), nullptr) << c.size.cx << "x" << c.size.cy;
    EXPECT_EQ(GetLastError(), c.error) << c.size.cx << "x" << c.size.cy;
  }
  EXPECT_EQ(plat::engine::LiveSurfaceCount(), before);
}

TEST(GdiSurface, DeviceSurfaceHasNoBitsAndAssociates) {
  HDEV hdev = plat::engine::CreateEngineDevice();
  auto* pdev = reinterpret_cast<DHPDEV>(0x1234);
  ASSERT_TRUE(plat::engine::BindEngineDevice(hdev, pdev, nullptr));
  HSURF s = EngCreateDeviceSurface(reinterpret_cast<DHSURF>(0x55), SIZEL{4960, 7016}, BMF_24BPP);
  ASSERT_NE(s, nullptr);
  EXPECT_TRUE(EngAssociateSurface(s, hdev, HOOK_BITBLT | HOOK_STRETCHBLT | HOOK_TEXTOUT));
  SURFOBJ* so = EngLockSurface(s);
  EXPECT_EQ(so->iType, STYPE_DEVICE);
  EXPECT_EQ(so->pvBits, nullptr);
  EXPECT_EQ(so->dhsurf, reinterpret_cast<DHSURF>(0x55));
  EXPECT_EQ(so->dhpdev, pdev);  // the driver finds its device through the surface
  EXPECT_EQ(so->hdev, hdev);
  EXPECT_EQ(so->hsurf, s);
  plat::engine::SurfaceInfo info;
  ASSERT_TRUE(plat::engine::QuerySurface(s, info));
  EXPECT_EQ(info.hooks, 0x0Bu);
  EXPECT_TRUE(info.device);
  EXPECT_FALSE(info.banding);
  // A device surface has no bits to erase or mark for banding.
  EXPECT_FALSE(EngEraseSurface(so, nullptr, 0));
  EXPECT_FALSE(EngMarkBandingSurface(s));
  EngUnlockSurface(so);
  EXPECT_TRUE(EngDeleteSurface(s));
  EXPECT_TRUE(plat::engine::DeleteEngineDevice(hdev));
}

TEST(GdiSurface, AssociationChecksHandlesAndHooks) {
  HDEV hdev = plat::engine::CreateEngineDevice();
  HBITMAP b = EngCreateBitmap(SIZEL{8, 8}, 0, BMF_1BPP, BMF_TOPDOWN, nullptr);
  SetLastError(0);
  EXPECT_FALSE(EngAssociateSurface(AsSurf(b), reinterpret_cast<HDEV>(0x77), 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(EngAssociateSurface(reinterpret_cast<HSURF>(0x77), hdev, 0));
  EXPECT_FALSE(EngAssociateSurface(AsSurf(b), hdev, 0x80000000u));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(EngAssociateSurface(AsSurf(b), hdev, 0x24EB));
  EXPECT_TRUE(EngMarkBandingSurface(AsSurf(b)));
  plat::engine::SurfaceInfo info;
  ASSERT_TRUE(plat::engine::QuerySurface(AsSurf(b), info));
  EXPECT_TRUE(info.banding);
  EXPECT_EQ(info.hdev, hdev);
  // Forgetting the device leaves the surface without one.
  EXPECT_TRUE(plat::engine::DeleteEngineDevice(hdev));
  ASSERT_TRUE(plat::engine::QuerySurface(AsSurf(b), info));
  EXPECT_EQ(info.hdev, nullptr);
  EngDeleteSurface(AsSurf(b));
}

TEST(GdiSurface, DeletedWhileLockedLivesUntilUnlocked) {
  const std::size_t before = plat::engine::LiveSurfaceCount();
  HBITMAP b = EngCreateBitmap(SIZEL{8, 8}, 0, BMF_8BPP, BMF_TOPDOWN, nullptr);
  SURFOBJ* so = EngLockSurface(AsSurf(b));
  ASSERT_NE(so, nullptr);
  EXPECT_TRUE(EngDeleteSurface(AsSurf(b)));
  // The handle is gone at once...
  EXPECT_EQ(EngLockSurface(AsSurf(b)), nullptr);
  EXPECT_FALSE(EngDeleteSurface(AsSurf(b)));
  // ...the locked object stays usable until it is unlocked.
  static_cast<BYTE*>(so->pvBits)[0] = 1;
  EXPECT_EQ(plat::engine::LiveSurfaceCount(), before + 1);
  EngUnlockSurface(so);
  EXPECT_EQ(plat::engine::LiveSurfaceCount(), before);
}

TEST(GdiSurface, EraseFillsTheClippedRectangleInTheFormat) {
  HBITMAP b = EngCreateBitmap(SIZEL{10, 3}, 0, BMF_1BPP, BMF_TOPDOWN, nullptr);
  SURFOBJ* so = EngLockSurface(AsSurf(b));
  RECTL r{3, 1, 50, 2};  // right edge beyond the surface is cut
  ASSERT_TRUE(EngEraseSurface(so, &r, 1));
  const auto* bits = static_cast<const BYTE*>(so->pvScan0);
  EXPECT_EQ(bits[0], 0);
  EXPECT_EQ(bits[4], 0x1F);  // pixels 3..7 of row 1
  EXPECT_EQ(bits[5], 0xC0);  // pixels 8..9
  EXPECT_EQ(bits[8], 0);
  EngUnlockSurface(so);
  EngDeleteSurface(AsSurf(b));

  b = EngCreateBitmap(SIZEL{2, 2}, 0, BMF_24BPP, 0, nullptr);
  so = EngLockSurface(AsSurf(b));
  ASSERT_TRUE(EngEraseSurface(so, nullptr, 0x00112233));
  const auto* row = static_cast<const BYTE*>(so->pvScan0);
  EXPECT_EQ(row[0], 0x33);
  EXPECT_EQ(row[1], 0x22);
  EXPECT_EQ(row[2], 0x11);
  EngUnlockSurface(so);
  EngDeleteSurface(AsSurf(b));
}

TEST(GdiPalette, ModesAndTheirChecks) {
  ULONG mono[2] = {0x000000, 0xFFFFFF};
  const std::size_t before = plat::engine::LivePaletteCount();
  HPALETTE indexed = EngCreatePalette(PAL_INDEXED, 2, mono, 0, 0, 0);
  HPALETTE bgr = EngCreatePalette(PAL_BGR, 0, nullptr, 0, 0, 0);
  HPALETTE fields = EngCreatePalette(PAL_BITFIELDS, 0, nullptr, 0xF800, 0x07E0, 0x001F);
  EXPECT_NE(indexed, nullptr);
  EXPECT_NE(bgr, nullptr);
  EXPECT_NE(fields, nullptr);
  EXPECT_EQ(plat::engine::LivePaletteCount(), before + 3);
  std::vector<ULONG> many(257, 0);
  const struct {
    ULONG mode, count;
    ULONG* colors;
  } bad[] = {{PAL_INDEXED, 0, mono}, {PAL_INDEXED, 2, nullptr}, {PAL_INDEXED, 257, many.data()},
             {PAL_BITFIELDS, 0, nullptr}, {0x40, 0, nullptr}};
  for (const auto& c : bad) {
    SetLastError(0);
    EXPECT_EQ(EngCreatePalette(c.mode, c.count, c.colors, 0, 0, 0), nullptr) << c.mode;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  EXPECT_TRUE(EngDeletePalette(indexed));
  EXPECT_FALSE(EngDeletePalette(indexed));
  EXPECT_TRUE(EngDeletePalette(bgr));
  EXPECT_TRUE(EngDeletePalette(fields));
  EXPECT_EQ(plat::engine::LivePaletteCount(), before);
}

}  // namespace
