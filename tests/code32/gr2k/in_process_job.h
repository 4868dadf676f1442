// A rendering device of this process (rendara_core linked in) on the unit tests' printer, driven
// by the graphics engine of the platform layer: its fields can be set and read between the
// engine's calls, and its escapes called as an application's ExtEscape reaches them.
#pragma once

#include <cstdint>
#include <memory>

#include "context/context_cache.h"
#include "base/deliverable.h"
#include "model/driver_locks.h"
#include "fields/field_access.h"
#include "ddi.h"
#include "job_fixture.h"
#include "record_walk.h"
#include "render_device.h"
#include "render_fields.h"
#include "build_paths.h"

namespace rendara::test {

class DeviceJob : public JobTest {
 protected:
  void SetUp() override {
    InitDriverLocks();
    SetDeliverable(Deliverable::Rendering);
    SetRendaraModule(reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x5000)));
    InstallPrinter(kovatest::BuiltFile("OutputDouble"));
    Control<OutputDoubleResetProc>(output_, "OutputDoubleReset")();
    local_.module = reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x5000));
    local_.enableData = DRVENABLEDATA{0x30000, kDdiEntryCount, const_cast<DRVFN*>(DdiTable())};
  }
  void TearDown() override {
    engine_.reset();
    JobTest::TearDown();
    EvictContextCache(1);
    DeleteDriverLocks();
    SetRendaraModule(nullptr);
  }

  RenderDevice* Enable(const DEVMODEW* devmode = nullptr) {
    engine_ = std::make_unique<plat::engine::Device>(local_);
    EXPECT_TRUE(engine_->Enable(devmode, printer_, deviceName_));
    return Device();
  }
  RenderDevice* Device() { return reinterpret_cast<RenderDevice*>(engine_->pdev()); }
  DriverContext* Context() { return Device()->context; }
  void SetField(WORD id, DWORD value) { WriteFieldRawById(Context(), id, value); }
  DWORD Field(WORD id) { return ReadFieldRawById(Context(), id); }
  std::vector<Block> Blocks() { return ParseBlocks(Bytes(output_, "OutputDoubleBytes")); }

  // DrvEscape as the engine calls it, with the device's surface object.
  ULONG Escape(ULONG code, ULONG inSize, const void* in, ULONG outSize, void* out) {
    SURFOBJ so{};
    so.dhpdev = engine_->pdev();
    return DrvEscape(&so, code, inSize, const_cast<void*>(in), outSize, out);
  }
  ULONG Escape(ULONG code, const std::string& in) {
    return Escape(code, static_cast<ULONG>(in.size()), in.data(), 0, nullptr);
  }

  plat::engine::RenderingDriver local_;
  std::unique_ptr<plat::engine::Device> engine_;
};

}  // namespace rendara::test
