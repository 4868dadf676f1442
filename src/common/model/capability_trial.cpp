// The trial of a printer option value on the settings.
#include "model/capability_trial.h"

#include <cstring>

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "base/memory.h"
#include "fields/product_record.h"
#include "model/work_area.h"
#include "model/option_lookup.h"
#include "model/rule_apply.h"

namespace {

constexpr WORD kLastDevmodeField = 722;
constexpr int kMaxWrites = 64;

struct Written {
  WORD field;
  DWORD value;
};

// Everything a trial may change, put back by Restore.
struct SettingsSave {
  BYTE* settings = nullptr;
  FieldStateBlock* states = nullptr;
  DWORD changeFlags = 0;
  std::int32_t dirty = 0;
  DWORD size = 0;
};

bool Save(DriverContext* context, SettingsSave* save) {
  save->size = GetSettingsBufferSize();
  save->settings = static_cast<BYTE*>(AllocMem(save->size));
  if (!save->settings) return false;
  std::memcpy(save->settings, context->settings, save->size);
  save->states = SaveFieldStates(context);
  if (context->work) {
    save->changeFlags = context->work->changeFlags;
    save->dirty = context->work->dirty;
  }
  return true;
}

void Restore(DriverContext* context, SettingsSave* save) {
  std::memcpy(context->settings, save->settings, save->size);
  FreeMem(save->settings);
  if (save->states) RestoreFieldStates(context, save->states);
  if (context->work) {
    context->work->changeFlags = save->changeFlags;
    context->work->dirty = save->dirty;
  }
}

bool Write(DriverContext* context, Written* list, int* n, WORD field, DWORD value) {
  if (*n >= kMaxWrites) return false;
  WriteFieldRawById(context, field, value);
  list[(*n)++] = Written{field, value};
  return true;
}

bool WriteSettings(DriverContext* context, const OptionSettingNode* node, Written* list, int* n) {
  for (int guard = 0; node && guard < kMaxWrites; node = node->next, ++guard) {
    if (!Write(context, list, n, static_cast<WORD>(node->fieldId), node->value)) return false;
  }
  return true;
}

// The trial proper, on the context's own settings (the caller restores them).
bool ValueHolds(DriverContext* context, const PrinterOptionRecord* record, const PrinterOptionValue* value) {
  Written written[kMaxWrites];
  int n = 0;
  const WORD field = static_cast<WORD>(record->key);
  if (!(value->flags & POV_ALIAS) && field != 0 && field <= kLastDevmodeField) {
    if (!Write(context, written, &n, field, value->value)) return false;
  }
  if (!WriteSettings(context, record->settings, written, &n)) return false;
  if (!WriteSettings(context, value->settings, written, &n)) return false;
  if (field != 0) ApplyOptionTransacts(FindOptionRecord(field, context), context);
  for (int i = 0; i < n; ++i) {
    if (ReadFieldRawById(context, written[i].field) != written[i].value) return false;
  }
  return true;
}

}  // namespace

int TryCapabilityValue(DriverContext* context, const PrinterOptionRecord* record, const PrinterOptionValue* value) {
  if (!context || !record || !value) return 0;
  if (!(record->kindBits & kTriedOptionKind)) return IsOptionValueAvailable(context, record, value);
  if (!context->settings) return 0;
  SettingsSave save;
  if (!Save(context, &save)) return 0;
  const bool holds = ValueHolds(context, record, value);
  Restore(context, &save);
  if (!holds) return 0;
  // The N-up lock test alone: the value's condition was replaced by the trial.
  PrinterOptionValue lockTest = *value;
  lockTest.condition = nullptr;
  return IsOptionValueAvailable(context, record, &lockTest);
}
