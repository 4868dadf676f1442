#include "context/field_defaults_memo.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "fields/change_flags.h"
#include "base/driver_context.h"
#include "fields/product_record.h"
#include "base/deliverable.h"
#include "base/settings_field.h"
#include "base/ui_strings.h"

struct FieldDefaultsMemo {
  // What the outcome was made from.
  const ModelImage* model = nullptr;
  const SettingField* records = nullptr;
  int count = 0;
  HMODULE uiModule = nullptr;
  bool settingsApi = false;
  ProductRecord product{};
  // The outcome.
  std::vector<BYTE> settings;
  struct Mark {
    int index;
    WORD bits;
    DWORD runtimeFlags;  // the change flags a write of the field raises come from these
  };
  std::vector<Mark> marks;
  DWORD flagBits = 0;   // change flags raised
  DWORD flagKeep = 0;   // bits of the earlier change-flag word that survive
  bool dirtyWritten = false;
  std::int32_t dirty = 0;
};

namespace {

constexpr std::int32_t kDirtyUnset = std::numeric_limits<std::int32_t>::min();

bool SameContextInputs(const FieldDefaultsMemo& m, const DriverContext* context, DWORD size) {
  if (m.model != context->model || m.records != context->fields.records || m.count != context->fields.count ||
      m.uiModule != context->uiModule || m.settingsApi != IsSettingsApiBuild() || m.settings.size() != size)
    return false;
  return std::memcmp(&m.product, context->product, sizeof m.product) == 0;
}

bool SameInputs(const FieldDefaultsMemo& m, const DriverContext* context, DWORD size) {
  if (!SameContextInputs(m, context, size)) return false;
  for (const FieldDefaultsMemo::Mark& k : m.marks)
    if (context->fields.records[k.index].runtimeFlags != k.runtimeFlags) return false;
  return true;
}

void ApplyFlags(WorkArea* work, DWORD keep, DWORD bits) { work->changeFlags = (work->changeFlags & keep) | bits; }

}  // namespace

bool IsCompletedUiStringId(DWORD stringId) {
  if (stringId == 0) return false;
  for (const UiStringCompletionRow* row = GetUiStringCompletionTable(); row->stringId; ++row)
    if (row->stringId == stringId) return true;
  return false;
}

void FreeFieldDefaultsMemo(FieldDefaultsMemo* memo) { delete memo; }

bool FieldDefaultsMemoHolds(const DriverContext* context) {
  return context && context->defaultsMemo && context->product &&
         SameContextInputs(*context->defaultsMemo, context, GetSettingsBufferSize());
}

void RunFieldDefaultsOnFreshBuffer(DriverContext* context, void (*runFields)(DriverContext*, bool*)) {
  if (!context || !context->settings || !context->work || !context->product || !context->fields.records ||
      context->fields.count <= 0) {
    bool ignored = true;
    runFields(context, &ignored);
    return;
  }
  const DWORD size = GetSettingsBufferSize();
  WorkArea* work = context->work;
  SettingField* records = context->fields.records;
  const int count = context->fields.count;

  if (const FieldDefaultsMemo* m = context->defaultsMemo; m && SameInputs(*m, context, size)) {
    std::memcpy(context->settings, m->settings.data(), size);
    for (const FieldDefaultsMemo::Mark& k : m->marks)
      records[k.index].marks = static_cast<WORD>((records[k.index].marks & ~FIELD_MARK_CHANGED_MASK) | k.bits);
    NoteFieldChangeMarksWritten();
    ApplyFlags(work, m->flagKeep, m->flagBits);
    if (m->dirtyWritten) work->dirty = m->dirty;
    return;
  }

  // A run from cleared marks, change flags and dirty word shows what the fields' writes
  // leave; the context's own words are then put back with that applied to them.
  std::vector<WORD> before;
  try {
    before.resize(static_cast<std::size_t>(count));
  } catch (const std::bad_alloc&) {
    bool ignored = true;
    runFields(context, &ignored);
    return;
  }
  for (int i = 0; i < count; ++i) {
    before[i] = records[i].marks;
    records[i].marks = static_cast<WORD>(records[i].marks & ~FIELD_MARK_CHANGED_MASK);
  }
  NoteFieldChangeMarksWritten();
  const DWORD flagsBefore = work->changeFlags;
  const std::int32_t dirtyBefore = work->dirty;
  work->changeFlags = 0;
  work->dirty = kDirtyUnset;

  bool pure = true;
  runFields(context, &pure);

  std::vector<FieldDefaultsMemo::Mark> written;
  bool keepable = pure;
  for (int i = 0; i < count; ++i) {
    const WORD bits = static_cast<WORD>(records[i].marks & FIELD_MARK_CHANGED_MASK);
    records[i].marks = bits ? static_cast<WORD>((before[i] & ~FIELD_MARK_CHANGED_MASK) | bits) : before[i];
    if (bits && keepable) {
      try {
        written.push_back({i, bits, records[i].runtimeFlags});
      } catch (const std::bad_alloc&) {
        keepable = false;
      }
    }
  }
  NoteFieldChangeMarksWritten();
  // A raised flag with any of the low 16 bits clears the low half of the word first; the
  // last such raise leaves its own low bits, so those tell whether the clear happened.
  const DWORD raised = work->changeFlags;
  const DWORD keep = (raised & 0xFFFFu) ? 0xFFFF0000u : 0xFFFFFFFFu;
  work->changeFlags = flagsBefore;
  ApplyFlags(work, keep, raised);
  const bool dirtyWritten = work->dirty != kDirtyUnset;
  if (!dirtyWritten) work->dirty = dirtyBefore;

  if (!keepable) return;
  auto* m = new (std::nothrow) FieldDefaultsMemo;
  if (!m) return;
  try {
    m->settings.assign(context->settings, context->settings + size);
  } catch (const std::bad_alloc&) {
    delete m;
    return;
  }
  m->marks = std::move(written);
  m->model = context->model;
  m->records = records;
  m->count = count;
  m->uiModule = context->uiModule;
  m->settingsApi = IsSettingsApiBuild();
  std::memcpy(&m->product, context->product, sizeof m->product);
  m->flagBits = raised;
  m->flagKeep = keep;
  m->dirtyWritten = dirtyWritten;
  m->dirty = work->dirty;
  delete context->defaultsMemo;
  context->defaultsMemo = m;
}
