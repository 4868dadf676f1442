// The drawing state across the pages of a job on a device the engine enabled in this
// process: the clip cache comes with the device, and every page start makes the state
// go out again.
#include <cstring>

#include "clip_records.h"
#include "context/context_cache.h"
#include "model/driver_locks.h"
#include "context/extension_modules.h"
#include "base/deliverable.h"
#include "ddi.h"
#include "graphics_state.h"
#include "in_process_job.h"
#include "plat/gdi_objects.h"
#include "render_common.h"

namespace rendara::test {
namespace {

class PageStateJob : public DeviceJob {
 protected:
  // The opcodes of the record stream, each page's records as one list.
  std::vector<std::vector<BYTE>> Pages() {
    std::vector<BYTE> s;
    for (const auto& b : ParseBlocks(Bytes(output_, "OutputDoubleBytes")))
      if (b.type == kBlockRecords) s.insert(s.end(), b.payload.begin(), b.payload.end());
    std::vector<std::vector<BYTE>> pages;
    std::size_t at = 0;
    while (at + 4 <= s.size()) {
      const BYTE op = s[at];
      std::size_t len = 4;
      if (op == 0x60) {
        len = 16;
        pages.emplace_back();
      } else if (op == 0x10 || op == 0x20) {
        std::uint32_t n;
        std::memcpy(&n, &s[at + 4], 4);
        len = n;
      } else if (op != 0x61 && op != 0x31 && op != 0x32 && op != 0x37) {
        ADD_FAILURE() << "unexpected opcode " << int(op);
        break;
      }
      if (pages.empty()) pages.emplace_back();
      pages.back().push_back(op);
      at += len;
    }
    return pages;
  }
};

TEST_F(PageStateJob, BandStartsResetTheClipAndSendTheRopOncePerPage) {
  engine_ = std::make_unique<plat::engine::Device>(local_);
  ASSERT_TRUE(engine_->Enable(nullptr, printer_, u"KOVA Job Printer"));
  ASSERT_NE(Device()->clipCache, nullptr);
  Device()->rasterMode = 1;
  Device()->surfaceWidth = 4960;
  Device()->surfaceHeight = 1025;  // three bands
  ASSERT_TRUE(engine_->EnableSurface());
  ASSERT_TRUE(engine_->StartDoc(u"State", 3));

  // Page 1: a clip and a background mode before the bands; the band start removes the
  // clip and sets SRCCOPY.
  ASSERT_TRUE(engine_->StartPage());
  auto clip = plat::gdi::ClipObject::Rect(RECTL{10, 10, 20, 20});
  ASSERT_NE(SetClip(Device(), clip->get()), nullptr);
  ASSERT_TRUE(SendPaintMode(Device(), 1));
  ASSERT_TRUE(engine_->SendPage());

  // Page 2: the same state is sent again, the clip reset is not.
  ASSERT_TRUE(engine_->StartPage());
  ASSERT_TRUE(SendPaintMode(Device(), 1));
  ASSERT_TRUE(SendPaintMode(Device(), 1));
  ASSERT_TRUE(engine_->SendPage());
  ASSERT_TRUE(engine_->EndDoc());

  // Each of the three bands goes out as an image (0x20).
  EXPECT_EQ(Pages(), (std::vector<std::vector<BYTE>>{{0x60, 0x10, 0x32, 0x37, 0x31, 0x20, 0x20, 0x20, 0x61},
                                                     {0x60, 0x32, 0x31, 0x20, 0x20, 0x20, 0x61}}));
}

TEST_F(PageStateJob, ClipHeldAcrossAPageIsResetByTheFirstUnclippedCall) {
  engine_ = std::make_unique<plat::engine::Device>(local_);
  ASSERT_TRUE(engine_->Enable(nullptr, printer_, u"KOVA Job Printer"));
  ASSERT_TRUE(engine_->EnableSurface());
  ASSERT_FALSE(engine_->banding());
  ASSERT_TRUE(engine_->StartDoc(u"Clip", 3));
  auto clip = plat::gdi::ClipObject::Rect(RECTL{1, 2, 3, 4});
  ASSERT_TRUE(engine_->StartPage());
  ASSERT_NE(SetClip(Device(), clip->get()), nullptr);
  ASSERT_EQ(SetClip(Device(), clip->get()), Device()->clipCache->record);
  ASSERT_TRUE(engine_->SendPage());
  ASSERT_TRUE(engine_->StartPage());
  EXPECT_EQ(SetClip(Device(), nullptr), nullptr);
  EXPECT_EQ(SetClip(Device(), nullptr), nullptr);
  ASSERT_NE(SetClip(Device(), clip->get()), nullptr);
  ASSERT_TRUE(engine_->SendPage());
  ASSERT_TRUE(engine_->EndDoc());
  EXPECT_EQ(Pages(), (std::vector<std::vector<BYTE>>{{0x60, 0x10, 0x61}, {0x60, 0x37, 0x10, 0x61}}));
}

}  // namespace
}  // namespace rendara::test
