// The drawing-call objects and their enumeration services.
#include <gtest/gtest.h>

#include <vector>

#include "plat/engine.h"
#include "plat/gdi_objects.h"
#include "win/errors.h"
#include "win/winddi.h"

namespace objects_test {

namespace {

using namespace plat::gdi;

// Rectangles as comparable values.
struct R {
  LONG l, t, r, b;
  R(const RECTL& x) : l(x.left), t(x.top), r(x.right), b(x.bottom) {}
  R(LONG l_, LONG t_, LONG r_, LONG b_) : l(l_), t(t_), r(r_), b(b_) {}
  bool operator==(const R&) const = default;
};
std::vector<R> Rs(const std::vector<RECTL>& v) { return std::vector<R>(v.begin(), v.end()); }

std::vector<RECTL> EnumAll(CLIPOBJ* pco, ULONG direction, ULONG batchRects, int* calls = nullptr) {
  std::vector<RECTL> out;
  CLIPOBJ_cEnumStart(pco, FALSE, CT_RECTANGLES, direction, 0xFFFFFFFFu);
  std::vector<BYTE> buf(sizeof(ULONG) + batchRects * sizeof(RECTL));
  BOOL more;
  int n = 0;
  do {
    more = CLIPOBJ_bEnum(pco, static_cast<ULONG>(buf.size()), reinterpret_cast<ULONG*>(buf.data()));
    const auto* e = reinterpret_cast<const ENUMRECTS*>(buf.data());
    const auto* r = reinterpret_cast<const RECTL*>(buf.data() + sizeof(ULONG));
    out.insert(out.end(), r, r + e->c);
    ++n;
  } while (more && n < 100);
  if (calls) *calls = n;
  return out;
}

TEST(GdiClip, ComplexityAndBounds) {
  auto trivial = ClipObject::Trivial(RECTL{0, 0, 100, 50});
  EXPECT_EQ(trivial->get()->iDComplexity, DC_TRIVIAL);
  auto rect = ClipObject::Rect(RECTL{5, 6, 7, 8}, 77);
  EXPECT_EQ(rect->get()->iDComplexity, DC_RECT);
  EXPECT_EQ(rect->get()->iUniq, 77u);
  auto region = ClipObject::Region({{10, 10, 20, 20}, {30, 5, 40, 15}});
  EXPECT_EQ(region->get()->iDComplexity, DC_COMPLEX);
  EXPECT_EQ(region->get()->iFComplexity, FC_RECT4);
  EXPECT_EQ(R(region->get()->rclBounds), R(10, 5, 40, 20));
}

TEST(GdiClip, EnumerationOrderAndBatches) {
  const std::vector<RECTL> rects = {{0, 10, 5, 20}, {10, 0, 15, 5}, {0, 0, 5, 5}, {10, 10, 15, 20}};
  auto region = ClipObject::Region(rects);
  const struct {
    ULONG direction;
    std::vector<RECTL> want;
  } cases[] = {
      {CD_RIGHTDOWN, {{0, 0, 5, 5}, {10, 0, 15, 5}, {0, 10, 5, 20}, {10, 10, 15, 20}}},
      {CD_LEFTDOWN, {{10, 0, 15, 5}, {0, 0, 5, 5}, {10, 10, 15, 20}, {0, 10, 5, 20}}},
      {CD_RIGHTUP, {{0, 10, 5, 20}, {10, 10, 15, 20}, {0, 0, 5, 5}, {10, 0, 15, 5}}},
      {CD_LEFTUP, {{10, 10, 15, 20}, {0, 10, 5, 20}, {10, 0, 15, 5}, {0, 0, 5, 5}}},
      {CD_ANY, rects},
  };
  for (const auto& c : cases) EXPECT_EQ(Rs(EnumAll(region->get(), c.direction, 8)), Rs(c.want)) << c.direction;
  // One rectangle per call: four calls, the last answers no more.
  int calls = 0;
  EXPECT_EQ(Rs(EnumAll(region->get(), CD_ANY, 1, &calls)), Rs(rects));
  EXPECT_EQ(calls, 4);
  // The count answer respects the limit.
  EXPECT_EQ(CLIPOBJ_cEnumStart(region->get(), TRUE, CT_RECTANGLES, CD_ANY, 4), 4u);
  EXPECT_EQ(CLIPOBJ_cEnumStart(region->get(), TRUE, CT_RECTANGLES, CD_ANY, 3), 0xFFFFFFFFu);
}

TEST(GdiClip, ForeignAndBadCallsAreRefused) {
  CLIPOBJ stranger{};
  SetLastError(0);
  EXPECT_EQ(CLIPOBJ_cEnumStart(&stranger, FALSE, CT_RECTANGLES, CD_ANY, 10), 0xFFFFFFFFu);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  auto region = ClipObject::Region({{0, 0, 1, 1}});
  EXPECT_EQ(CLIPOBJ_cEnumStart(region->get(), FALSE, 7, CD_ANY, 10), 0xFFFFFFFFu);
  ULONG small = 0;
  EXPECT_FALSE(CLIPOBJ_bEnum(region->get(), 2, &small));
  // A buffer with room for the count only returns no rectangle.
  CLIPOBJ_cEnumStart(region->get(), FALSE, CT_RECTANGLES, CD_ANY, 10);
  ULONG countOnly = 99;
  EXPECT_TRUE(CLIPOBJ_bEnum(region->get(), sizeof(ULONG), &countOnly));
  EXPECT_EQ(countOnly, 0u);
}

TEST(GdiClip, RegionAsPath) {
  auto region = ClipObject::Region({{1, 2, 3, 4}, {5, 6, 7, 8}});
  PATHOBJ* ppo = CLIPOBJ_ppoGetPath(region->get());
  ASSERT_NE(ppo, nullptr);
  EXPECT_EQ(ppo->cCurves, 6u);  // two figures of three lines after their start points
  RECTFX b{};
  PATHOBJ_vGetBounds(ppo, &b);
  EXPECT_EQ(b.xLeft, 16);
  EXPECT_EQ(b.yBottom, 8 * 16);
  EngDeletePath(ppo);
}

struct Batch {
  FLONG flags;
  std::vector<std::pair<FIX, FIX>> points;
  bool operator==(const Batch&) const = default;
};

std::vector<Batch> EnumPath(PATHOBJ* ppo) {
  std::vector<Batch> out;
  PATHOBJ_vEnumStart(ppo);
  PATHDATA pd;
  BOOL more;
  do {
    more = PATHOBJ_bEnum(ppo, &pd);
    if (pd.count == 0) break;
    Batch b{pd.flags, {}};
    for (ULONG i = 0; i < pd.count; ++i) b.points.push_back({pd.pptfx[i].x, pd.pptfx[i].y});
    out.push_back(b);
  } while (more && out.size() < 100);
  return out;
}

TEST(GdiPath, RecordsCarrySubpathAndCurveFlags) {
  PathObject path;
  path.MoveTo({0, 0});
  path.LineTo({16, 0});
  path.LineTo({16, 16});
  path.BezierTo({20, 20}, {24, 24}, {32, 32});
  path.CloseFigure();
  path.MoveTo({100, 100});
  path.LineTo({200, 100});
  EXPECT_EQ(path.get()->fl & PO_BEZIERS, PO_BEZIERS);
  EXPECT_EQ(path.get()->cCurves, 4u);
  const std::vector<Batch> want = {
      {PD_BEGINSUBPATH, {{0, 0}, {16, 0}, {16, 16}}},
      {PD_BEZIERS | PD_ENDSUBPATH | PD_CLOSEFIGURE, {{20, 20}, {24, 24}, {32, 32}}},
      {PD_BEGINSUBPATH | PD_ENDSUBPATH, {{100, 100}, {200, 100}}},
  };
  EXPECT_EQ(EnumPath(path.get()), want);
  // Enumeration starts over.
  EXPECT_EQ(EnumPath(path.get()), want);
}

TEST(GdiPath, LongRecordsAreSplitInBatches) {
  PathObject path;
  path.MoveTo({0, 0});
  for (int i = 1; i <= 5; ++i) path.LineTo({i * 16, 0});
  path.SetBatchLimit(2);
  const auto batches = EnumPath(path.get());
  ASSERT_EQ(batches.size(), 3u);
  EXPECT_EQ(batches[0].flags, PD_BEGINSUBPATH);
  EXPECT_EQ(batches[1].flags, 0u);
  EXPECT_EQ(batches[2].flags, PD_ENDSUBPATH);
  std::size_t total = 0;
  for (const auto& b : batches) total += b.points.size();
  EXPECT_EQ(total, 6u);
}

TEST(GdiPath, EmptyPathEnumeratesNothing) {
  PathObject path;
  PATHOBJ_vEnumStart(path.get());
  PATHDATA pd{1, 1, nullptr};
  EXPECT_FALSE(PATHOBJ_bEnum(path.get(), &pd));
  EXPECT_EQ(pd.count, 0u);
  RECTFX b{1, 1, 1, 1};
  PATHOBJ_vGetBounds(path.get(), &b);
  EXPECT_EQ(b.xLeft, 0);
  PATHOBJ stranger{};
  EXPECT_FALSE(PATHOBJ_bEnum(&stranger, &pd));
}

TEST(GdiXform, KindsAndPointTransforms) {
  const struct {
    XFORML m;
    ULONG kind;
  } kinds[] = {{{1, 0, 0, 1, 0, 0}, GX_IDENTITY},
               {{1, 0, 0, 1, 5, 0}, GX_OFFSET},
               {{2, 0, 0, 3, 0, 0}, GX_SCALE},
               {{0, -1, 1, 0, 0, 0}, GX_GENERAL}};
  for (const auto& c : kinds) {
    XformObject x(c.m);
    XFORML got{};
    EXPECT_EQ(XFORMOBJ_iGetXform(x.get(), &got), c.kind);
    EXPECT_EQ(got.eM12, c.m.eM12);
  }
  EXPECT_EQ(XFORMOBJ_iGetXform(nullptr, nullptr), GX_IDENTITY);

  XformObject rot({0, -1, 1, 0, 10, 20});  // (x, y) -> (y + 10, -x + 20)
  POINTL in[2] = {{1, 2}, {-3, 0}};
  POINTL out[2];
  ASSERT_TRUE(XFORMOBJ_bApplyXform(rot.get(), XF_LTOL, 2, in, out));
  EXPECT_EQ(out[0].x, 12);
  EXPECT_EQ(out[0].y, 19);
  EXPECT_EQ(out[1].x, 10);
  EXPECT_EQ(out[1].y, 23);
  POINTL back[2];
  ASSERT_TRUE(XFORMOBJ_bApplyXform(rot.get(), XF_INV_LTOL, 2, out, back));
  EXPECT_EQ(back[0].x, 1);
  EXPECT_EQ(back[0].y, 2);
  ASSERT_TRUE(XFORMOBJ_bApplyXform(rot.get(), XF_LTOFX, 1, in, out));
  EXPECT_EQ(out[0].x, 12 * 16);
  XformObject flat({1, 0, 2, 0, 0, 0});
  EXPECT_FALSE(XFORMOBJ_bApplyXform(flat.get(), XF_INV_LTOL, 1, in, out)) << "a singular transform has no inverse";
  EXPECT_FALSE(XFORMOBJ_bApplyXform(rot.get(), 9, 1, in, out));
}

TEST(GdiXlate, TrivialTablesAndPalettes) {
  XlateObject trivial;
  EXPECT_EQ(XLATEOBJ_iXlate(trivial.get(), 0x123456), 0x123456u);
  EXPECT_EQ(XLATEOBJ_piVector(trivial.get()), nullptr);
  EXPECT_EQ(XLATEOBJ_iXlate(nullptr, 7), 7u);

  XlateObject table({0x000000, 0xFFFFFF}, XO_HOST_ICM);
  EXPECT_EQ(table.get()->flXlate, XO_TABLE | XO_HOST_ICM);
  EXPECT_EQ(table.get()->cEntries, 2u);
  EXPECT_EQ(XLATEOBJ_iXlate(table.get(), 1), 0xFFFFFFu);
  EXPECT_EQ(XLATEOBJ_iXlate(table.get(), 2), 0xFFFFFFFFu) << "an index beyond the table";
  ASSERT_NE(XLATEOBJ_piVector(table.get()), nullptr);
  table.SetPalettes({1, 2, 3}, {4});
  EXPECT_EQ(XLATEOBJ_cGetPalette(table.get(), XO_SRCPALETTE, 0, nullptr), 3u);
  ULONG pal[2] = {};
  EXPECT_EQ(XLATEOBJ_cGetPalette(table.get(), XO_SRCPALETTE, 2, pal), 2u);
  EXPECT_EQ(pal[1], 2u);
  EXPECT_EQ(XLATEOBJ_cGetPalette(table.get(), XO_DESTPALETTE, 2, pal), 1u);
  EXPECT_EQ(XLATEOBJ_cGetPalette(table.get(), 9, 2, pal), 0u);
}

// A driver whose DrvRealizeBrush asks the engine for room and fills it.
int g_realizeCalls = 0;
BOOL RealizeBrush(BRUSHOBJ* pbo, SURFOBJ*, SURFOBJ* pattern, SURFOBJ*, XLATEOBJ*, ULONG hatch) {
  ++g_realizeCalls;
  auto* p = static_cast<ULONG*>(BRUSHOBJ_pvAllocRbrush(pbo, 8));
  if (!p) return FALSE;
  p[0] = static_cast<ULONG>(pattern->sizlBitmap.cx);
  p[1] = hatch;
  return TRUE;
}

TEST(GdiBrush, PatternBrushesAreRealizedOnceThroughTheDriver) {
  DRVFN fns[] = {{INDEX_DrvRealizeBrush, reinterpret_cast<PFN>(reinterpret_cast<void (*)()>(RealizeBrush))}};
  DRVENABLEDATA table{DDI_DRIVER_VERSION_NT5, 1, fns};
  HDEV hdev = plat::engine::CreateEngineDevice();
  plat::engine::BindEngineDevice(hdev, reinterpret_cast<DHPDEV>(0x10), &table);
  HSURF pat = reinterpret_cast<HSURF>(EngCreateBitmap(SIZEL{8, 8}, 0, BMF_1BPP, BMF_TOPDOWN, nullptr));
  SURFOBJ* patObj = EngLockSurface(pat);
  g_realizeCalls = 0;
  {
    BrushObject brush(hdev, nullptr, patObj, nullptr, 3);
    EXPECT_EQ(BRUSHOBJ_ulGetBrushColor(brush.get()), 0xFFFFFFFFu);
    auto* r = static_cast<ULONG*>(BRUSHOBJ_pvGetRbrush(brush.get()));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r[0], 8u);
    EXPECT_EQ(r[1], 3u);
    EXPECT_EQ(BRUSHOBJ_pvGetRbrush(brush.get()), r);
    EXPECT_EQ(g_realizeCalls, 1);
  }
  BrushObject solid(0x00FF00);
  EXPECT_EQ(BRUSHOBJ_pvGetRbrush(solid.get()), nullptr);
  EXPECT_EQ(BRUSHOBJ_ulGetBrushColor(solid.get()), 0x00FF00u);
  EXPECT_EQ(g_realizeCalls, 1);
  EngUnlockSurface(patObj);
  EngDeleteSurface(pat);
  plat::engine::DeleteEngineDevice(hdev);
}

TEST(GdiFont, GlyphsMetricsAndStrings) {
  std::vector<BYTE> ifi(sizeof(IFIMETRICS) + 32, 0);
  auto* m = reinterpret_cast<IFIMETRICS*>(ifi.data());
  m->cjThis = static_cast<ULONG>(ifi.size());
  m->fwdUnitsPerEm = 2048;
  FontObject font(5, 1, FO_TYPE_TRUETYPE, ifi.data(), static_cast<ULONG>(ifi.size()), XFORML{0.5f, 0, 0, 0.5f, 0, 0});
  font.AddGlyph(65, POINTL{0, -10}, SIZEL{9, 10}, std::vector<BYTE>(20, 0xFF), 10 * 16);
  font.GlyphOutline(66).AddRect(RECTL{0, 0, 4, 4});

  EXPECT_EQ(FONTOBJ_pifi(font.get())->fwdUnitsPerEm, 2048);
  XFORML x{};
  EXPECT_EQ(XFORMOBJ_iGetXform(FONTOBJ_pxoGetXform(font.get()), &x), GX_SCALE);
  HGLYPH hg = 65;
  GLYPHDATA* gd = nullptr;
  ASSERT_EQ(FONTOBJ_cGetGlyphs(font.get(), FO_GLYPHBITS, 1, &hg, reinterpret_cast<PVOID*>(&gd)), 1u);
  EXPECT_EQ(gd->hg, 65u);
  EXPECT_EQ(gd->fxD, 160);
  EXPECT_EQ(gd->gdf.pgb->sizlBitmap.cx, 9);
  EXPECT_EQ(gd->gdf.pgb->aj[19], 0xFF);
  EXPECT_EQ(FONTOBJ_cGetGlyphs(font.get(), FO_PATHOBJ, 1, &hg, reinterpret_cast<PVOID*>(&gd)), 0u);
  hg = 66;
  ASSERT_EQ(FONTOBJ_cGetGlyphs(font.get(), FO_PATHOBJ, 1, &hg, reinterpret_cast<PVOID*>(&gd)), 1u);
  EXPECT_EQ(gd->gdf.ppo->cCurves, 3u);
  hg = 67;
  EXPECT_EQ(FONTOBJ_cGetGlyphs(font.get(), FO_GLYPHBITS, 1, &hg, reinterpret_cast<PVOID*>(&gd)), 0u);
  EXPECT_EQ(FONTOBJ_cGetGlyphs(font.get(), FO_GLYPHBITS, 2, &hg, reinterpret_cast<PVOID*>(&gd)), 0u);
  EXPECT_EQ(FONTOBJ_cGetAllGlyphHandles(font.get(), nullptr), 2u);

  std::vector<GLYPHPOS> pos = {{65, nullptr, {100, 200}}, {65, nullptr, {110, 200}}, {65, nullptr, {120, 200}}};
  StringObject str(u"AAA", pos, &font, SO_HORIZONTAL, 10, RECTL{100, 190, 130, 200}, false);
  EXPECT_EQ(str.get()->pgp, nullptr);
  EXPECT_EQ(str.get()->cGlyphs, 3u);
  str.SetBatchLimit(2);
  STROBJ_vEnumStart(str.get());
  ULONG count = 0;
  GLYPHPOS* got = nullptr;
  EXPECT_TRUE(STROBJ_bEnum(str.get(), &count, &got));
  EXPECT_EQ(count, 2u);
  ASSERT_NE(got[0].pgdf, nullptr);
  EXPECT_EQ(got[0].pgdf->pgb->sizlBitmap.cy, 10);
  EXPECT_FALSE(STROBJ_bEnum(str.get(), &count, &got));
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(got[0].ptl.x, 120);

  // Positions alone carry no glyph definitions.
  STROBJ_vEnumStart(str.get());
  EXPECT_TRUE(STROBJ_bEnumPositionsOnly(str.get(), &count, &got));
  ASSERT_EQ(count, 2u);
  EXPECT_EQ(got[1].hg, 65u);
  EXPECT_EQ(got[1].ptl.x, 110);
  EXPECT_EQ(got[1].pgdf, nullptr);

  StringObject inRecord(u"A", {pos[0]}, &font, 0, 0, RECTL{}, true);
  ASSERT_NE(inRecord.get()->pgp, nullptr);
  EXPECT_EQ(inRecord.get()->pgp[0].ptl.y, 200);
}

}  // namespace

}  // namespace objects_test
