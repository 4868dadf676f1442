// What a build of a context's default device-mode leaves behind, for tests that compare a
// copied-back build with a full one: the new buffer and the context's own words.
#pragma once

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "fields/change_flags.h"
#include "context/devmode_defaults.h"
#include "base/driver_context.h"
#include "base/memory.h"
#include "fields/product_record.h"

namespace kovatest {

struct DevmodeOutcome {
  std::vector<BYTE> settings;
  std::vector<WORD> marks;
  DWORD changeFlags = 0;
  std::int32_t dirty = 0;
  bool operator==(const DevmodeOutcome&) const = default;
};

// Builds the default device-mode in the given mode and answers what the build left.
inline DevmodeOutcome BuildDevmodeOutcome(DriverContext* ctx, DWORD mode) {
  DevmodeOutcome o;
  BYTE* buffer = BuildDefaultDevmode(ctx, mode, nullptr, 1);
  EXPECT_NE(buffer, nullptr);
  if (buffer) o.settings.assign(buffer, buffer + GetSettingsBufferSize());
  FreeMem(buffer);
  for (int i = 0; i < ctx->fields.count; ++i) o.marks.push_back(ctx->fields.records[i].marks);
  o.changeFlags = ctx->work->changeFlags;
  o.dirty = ctx->work->dirty;
  return o;
}

// Sets the context's words before a build: change flags, dirty word and every field's marks.
inline void PutContextWords(DriverContext* ctx, DWORD changeFlags, std::int32_t dirty, WORD marks) {
  ctx->work->changeFlags = changeFlags;
  ctx->work->dirty = dirty;
  for (int i = 0; i < ctx->fields.count; ++i) ctx->fields.records[i].marks = marks;
  NoteFieldChangeMarksWritten();
}

}  // namespace kovatest
