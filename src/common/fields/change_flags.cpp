// Change marks, the dirty word, the change-flag word and the fields' run-time flags.
#include "fields/change_flags.h"

#include <atomic>
#include <cstdint>

#include "base/driver_context.h"
#include "fields/field_table.h"

namespace {

struct FlagRange {
  WORD first;
  WORD last;
  DWORD flags;
};

// Fields whose writes raise change flags, and the lengths shown in the user's unit.
constexpr DWORD kReinitFlags = 0x1030000u;
constexpr FlagRange kPageFieldFlags[] = {
    {7, 8, kReinitFlags},         {13, 13, kReinitFlags},       {46, 46, kReinitFlags},
    {54, 56, kReinitFlags},       {58, 58, kReinitFlags},       {78, 78, kReinitFlags},
    {91, 91, kReinitFlags},       {94, 94, kReinitFlags},       {209, 209, kReinitFlags},
    {511, 511, kReinitFlags},     {10013, 10014, kReinitFlags}, {10018, 10018, kReinitFlags},
    {10020, 10021, kReinitFlags}, {10023, 10023, kReinitFlags}, {10047, 10049, kReinitFlags},
    {10056, 10059, kReinitFlags}, {10062, 10062, kReinitFlags}, {10066, 10070, kReinitFlags},
    {10143, 10206, kReinitFlags}, {10290, 10290, kReinitFlags}, {10062, 10062, 0x100000u},
    {10070, 10070, 0x100000u},    {96, 99, FRF_USER_UNITS},     {691, 692, FRF_USER_UNITS},
};

}  // namespace

void SetChangeFlags(DriverContext* context, DWORD flags) {
  if (!context || !context->work) return;
  DWORD& word = context->work->changeFlags;
  if (flags == 0) {
    word = 0;
    return;
  }
  if (flags & 0xFFFFu) word &= 0xFFFF0000u;
  word |= flags;
}

DWORD GetChangeFlags(DriverContext* context) {
  return context && context->work ? context->work->changeFlags : 0;
}

void ClearChangeFlags(DriverContext* context, DWORD mask) {
  if (!context || !context->work) return;
  context->work->changeFlags &= ~mask;
  if (mask & 0xF0000000u) {
    for (DWORD& w : context->work->snapshotChangeFlags) w &= ~mask;
  }
}

void SetSettingsFileStatus(DriverContext* context, std::int32_t status) {
  if (context && context->work) context->work->settingsFileStatus = status;
}

std::int32_t GetSettingsFileStatus(DriverContext* context) {
  return context && context->work ? context->work->settingsFileStatus : 0;
}

WORD GetFieldChangeMark(const SettingField* field) {
  return field ? static_cast<WORD>(field->marks & FIELD_MARK_CHANGED_MASK) : 0;
}

void SetFieldChangeMark(SettingField* field, WORD value) {
  if (!field) return;
  const WORD next = static_cast<WORD>((field->marks & ~FIELD_MARK_CHANGED_MASK) | (value & 3u));
  if (next == field->marks) return;
  field->marks = next;
  NoteFieldChangeMarksWritten();
}

void ClearAllFieldChangeMarks(DriverContext* context) {
  if (!context || !context->fields.records) return;
  for (int i = 0; i < context->fields.count; ++i) SetFieldChangeMark(&context->fields.records[i], 0);
}

bool AnyFieldChangeMarked(DriverContext* context) {
  if (!context || !context->fields.records) return false;
  for (int i = 0; i < context->fields.count; ++i) {
    if (GetFieldChangeMark(&context->fields.records[i])) return true;
  }
  return false;
}

std::int32_t GetDirtyFlag(DriverContext* context) {
  return context && context->work ? context->work->dirty : 0;
}

void SetDirtyFlag(DriverContext* context, std::int32_t value) {
  if (context && context->work) context->work->dirty = value;
}

namespace {
std::atomic<DWORD> g_pageFieldFlagsGeneration{0};
std::atomic<DWORD> g_fieldChangeMarksGeneration{0};
}  // namespace

DWORD FieldChangeMarksGeneration() { return g_fieldChangeMarksGeneration.load(std::memory_order_acquire); }
void NoteFieldChangeMarksWritten() { g_fieldChangeMarksGeneration.fetch_add(1, std::memory_order_acq_rel); }

DWORD PageFieldFlagsGeneration() { return g_pageFieldFlagsGeneration.load(std::memory_order_acquire); }

void ApplyPageFieldFlags(DriverContext* context) {
  if (!context || !context->fields.records) return;
  g_pageFieldFlagsGeneration.fetch_add(1, std::memory_order_acq_rel);
  for (int i = 0; i < context->fields.count; ++i) context->fields.records[i].runtimeFlags = 0;
  for (const FlagRange& r : kPageFieldFlags) {
    for (DWORD id = r.first; id <= r.last; ++id) {
      if (SettingField* f = FindFieldById(context, static_cast<WORD>(id))) f->runtimeFlags |= r.flags;
    }
  }
}
