// Saved field states, custom function fields and the sort-type question.
#include "model/work_area.h"

#include <cstddef>
#include <cstring>

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "base/memory.h"
#include "field_ids.h"
#include "model/printer_option_table.h"

namespace {

constexpr WORD kFirstCustomFunc = fid::wdmCustomFunc0;
constexpr WORD kLastCustomFunc = fid::wdmCustomFunc31;
// More values than any option can list: a larger count is not believed.
constexpr DWORD kMaxCapabilityValues = 0x10000;

}  // namespace

FieldStateBlock* SaveFieldStates(DriverContext* context) {
  if (!context || !context->fields.records || context->fields.count <= 0) return nullptr;
  const auto count = static_cast<std::size_t>(context->fields.count);
  const std::size_t bytes = offsetof(FieldStateBlock, records) + count * sizeof(SettingField);
  auto* block = static_cast<FieldStateBlock*>(AllocMem(static_cast<DWORD>(bytes)));
  if (!block) return nullptr;
  block->header.count = context->fields.count;
  block->header.records = block->records;
  std::memcpy(block->records, context->fields.records, count * sizeof(SettingField));
  return block;
}

void RestoreFieldStates(DriverContext* context, FieldStateBlock* saved) {
  if (!saved) return;
  if (context && context->fields.records && saved->header.records && saved->header.count > 0) {
    const int n = saved->header.count < context->fields.count ? saved->header.count : context->fields.count;
    if (n > 0) std::memcpy(context->fields.records, saved->header.records, static_cast<std::size_t>(n) * sizeof(SettingField));
  }
  FreeMem(saved);
}

DWORD GetCustomFuncField(DriverContext* context, WORD id) {
  if (id < kFirstCustomFunc || id > kLastCustomFunc) return 0;
  return ReadFieldRawById(context, id);
}

int HasSortTypeChoices(DriverContext* context) {
  DWORD count = 0;
  if (GetCapabilityValues(context, fid::kdmSortType, 0, nullptr, &count) != CAPS_MORE || count == 0) return 0;
  if (count > kMaxCapabilityValues) return 0;
  auto* values = static_cast<std::int32_t*>(AllocMem(count * sizeof(std::int32_t)));
  if (!values) return 0;
  DWORD got = count;
  int answer = 0;
  if (GetCapabilityValues(context, fid::kdmSortType, count, values, &got) == CAPS_OK && got > 0) {
    if (got > count) got = count;
    answer = (got > 1 || values[0] != 0) ? 1 : 0;
  }
  FreeMem(values);
  return answer;
}
