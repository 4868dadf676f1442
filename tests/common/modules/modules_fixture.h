// A context of an installed printer with its own fields, pages, settings snapshot ring and
// extension modules, for the module tests; the deliverable is put back to the printer
// interface DLL afterwards.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "paths_fixture.h"
#include "base/deliverable.h"
#include "base/dictionary_pages.h"
#include "fields/field_access.h"
#include "model/module_dispatch.h"
#include "stored/snapshot_ring.h"

namespace kovatest {

class ModulesTest : public PathsTest {
 protected:
  void SetUp() override {
    PathsTest::SetUp();
    SetDeliverable(Deliverable::Interface);
    printer_ = Install(u"P1");
    ctx_ = Context(printer_);
    root_.WriteFile(u"C:\\_kova\\keep.txt", "");
    // The three slots of the ring, laid out like the settings buffer, so that module code
    // that pushes and pops works on real snapshots.
    for (int i = 0; i < 3; ++i) {
      ring_[i].assign(FieldContext::kBufferSize, 0);
      WriteAreaOffsets(ring_[i].data());
      ctx_->work->snapshots[i] = ring_[i].data();
    }
    ASSERT_TRUE(CopyBuiltInPageTable(ctx_->pages));
    LoadExtensionModules(ctx_);
  }
  void TearDown() override {
    FreeExtraSnapshots(ctx_);
    FreeExtensionModules(ctx_);
    FreePageTable(ctx_->pages);
    SetDeliverable(Deliverable::Interface);
    PathsTest::TearDown();
  }

  void Set(WORD id, DWORD value) { WriteFieldRawById(ctx_, id, value); }
  DWORD Get(WORD id) { return ReadFieldRawById(ctx_, id); }
  // The value the saved settings copy (the lock defaults) holds for a field.
  void SetSaved(WORD id, DWORD value) {
    BYTE* live = ctx_->settings;
    ctx_->settings = fc_.locked();
    WriteFieldRawById(ctx_, id, value);
    ctx_->settings = live;
  }
  ControlRecord* Control(WORD page, WORD id) {
    PageRecord* p = FindPageById(ctx_, page);
    return p ? FindControlById(ctx_, p, id) : nullptr;
  }

  HANDLE printer_ = nullptr;
  DriverContext* ctx_ = nullptr;
  std::vector<BYTE> ring_[3];
};

}  // namespace kovatest
