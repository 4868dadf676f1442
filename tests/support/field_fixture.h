// A context with its own field table, work area and three settings buffers, for the
// field tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "base/driver_context.h"
#include "context/field_defaults_memo.h"
#include "context/kept_devmode.h"
#include "fields/field_table.h"
#include "fields/product_record.h"

namespace kovatest {

// Writes chosen area offsets into a buffer's header, so that tests can place the areas
// where they like (the device-mode header code writes only the standard ones). The
// defaults are those of an NT-family settings buffer: 0, 1236 and 6500.
inline void WriteAreaOffsets(BYTE* buffer, WORD area1 = 0, WORD area2 = 1236, WORD area3 = 6500) {
  const WORD offsets[3] = {area1, area2, area3};
  for (int i = 0; i < 3; ++i) {
    buffer[kAreaOffsetPositions[i]] = static_cast<BYTE>(offsets[i] & 0xFF);
    buffer[kAreaOffsetPositions[i] + 1] = static_cast<BYTE>(offsets[i] >> 8);
  }
}

class FieldContext {
 public:
  static constexpr size_t kBufferSize = 10080;

  FieldContext() : work_(std::make_unique<WorkArea>()), settings_(kBufferSize), saved_(kBufferSize),
                   locked_(kBufferSize) {
    WriteAreaOffsets(settings_.data());
    WriteAreaOffsets(saved_.data());
    WriteAreaOffsets(locked_.data());
    ctx_.work = work_.get();
    ctx_.settings = settings_.data();
    work_->savedSettings = saved_.data();
    work_->lockDefaults = locked_.data();
    EXPECT_TRUE(CopyBuiltInFieldTable(ctx_.fields));
  }
  ~FieldContext() {
    FreeFieldDefaultsMemo(ctx_.defaultsMemo);
    FreeKeptDevmode(ctx_.keptDevmode);
    FreeFieldTable(ctx_.fields);
  }
  FieldContext(const FieldContext&) = delete;
  FieldContext& operator=(const FieldContext&) = delete;

  DriverContext* get() { return &ctx_; }
  WorkArea& work() { return *work_; }
  BYTE* settings() { return settings_.data(); }
  BYTE* saved() { return saved_.data(); }
  BYTE* locked() { return locked_.data(); }
  SettingField* field(WORD id) {
    SettingField* f = FindFieldById(&ctx_, id);
    EXPECT_NE(f, nullptr) << "field " << id;
    return f;
  }

 private:
  DriverContext ctx_{};
  std::unique_ptr<WorkArea> work_;
  std::vector<BYTE> settings_;
  std::vector<BYTE> saved_;
  std::vector<BYTE> locked_;
};

}  // namespace kovatest
