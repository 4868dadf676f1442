#include "option_services.h"

#include <cstring>

#include "fields/devmode_header.h"
#include "fields/dictionary_lookup.h"
#include "model/capability_lists.h"
#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "model/field_checks.h"
#include "fields/field_table.h"
#include "model/module_dispatch.h"
#include "fields/neighbour_tables.h"
#include "fields/product_record.h"
#include "base/ui_strings.h"
#include "model/units.h"
#include "fields/value_maps.h"
#include "field_ids.h"
#include "model/option_lookup.h"
#include "model/option_walk.h"
#include "model/rule_apply.h"
#include "model/rule_eval.h"
#include "stored/device_settings.h"
#include "stored/settings_file.h"
#include "win/devmode.h"
#include "win/kernel.h"

namespace {

constexpr WORD kPickOne = 1;
constexpr WORD kTypeUnknown = 0x2000;
constexpr int kItemLimit = 4096;

}  // namespace

int ReadValueSymbol(DriverContext* context, WORD field, WORD valueId, DWORD* stored) {
  const ValueSymbol s = LookupValueSymbol(context, field, valueId);
  if (!s.exists) return -1;
  if (s.usable && stored) *stored = s.setting;
  return s.usable ? 1 : 0;
}

namespace {

// The governing option when it is a PickOne list with items, and its item count.
ImageRef PickOneWithItems(DriverContext* context, WORD field, int* count) {
  const ImageRef option = FindFieldOption(field, context);
  if (!option || (OptionRawType(option) & 0xFF) != kPickOne) return ImageRef{};
  const WORD feature = OptionFeatureId(option);
  const int n = GetOptionItemCount(feature ? feature : field, context);
  if (n <= 0 || !OptionValues(option)) return ImageRef{};
  *count = n < kItemLimit ? n : kItemLimit;
  return option;
}

bool ItemUsable(ImageRef option, WORD valueId, DriverContext* context) {
  return IsItemDisabled(option, valueId, context) == 0 && IsItemHidden(option, valueId, context) == 0;
}

ControlRecord* ControlOnPageFor(DriverContext* context, PageRecord* page, ImageRef option) {
  const WORD item = OptionItemId(option);
  return item ? FindControlByItemId(context, page, item) : nullptr;
}

}  // namespace

ImageRef FindFieldOption(WORD field, DriverContext* context) {
  if (const SpecialCaseEntry* row = FindSpecialCaseEntry(field); row && row->pageId && row->controlId) {
    PageRecord* page = FindPageById(context, row->pageId);
    ControlRecord* control = page ? FindControlById(context, page, row->controlId) : nullptr;
    if (page && control) {
      ImageRef candidate = LookupOptionByOrdinal(control->itemId, context);
      if (candidate && (page->flags & 0x21u) != 0 && !IsOptionIdDisabled(context, page->optionId)) return candidate;
    }
  }
  return GetOptionForFeature(field, context);
}

int IsFeatureOffered(DriverContext* context, WORD field) {
  const ImageRef option = FindFieldOption(field, context);
  return option && (OptionRawType(option) & kTypeUnknown) == 0 ? 1 : 0;
}

int IsFieldOptionOffered(DriverContext* context, WORD field) {
  const ImageRef option = FindFieldOption(field, context);
  if (!option || !context) return 0;
  bool bound = false;
  for (int p = 0; p < context->pages.count && !bound; ++p)
    bound = ControlOnPageFor(context, &context->pages.records[p], option) != nullptr;
  return bound && IsItemDisabled(option, 0, context) == 0 ? 1 : 0;
}

int IsFieldOnPage(DriverContext* context, WORD field, WORD pageId) {
  const ImageRef option = FindFieldOption(field, context);
  PageRecord* page = option ? FindPageById(context, pageId) : nullptr;
  if (!page || !ControlOnPageFor(context, page, option)) return 0;
  return IsItemDisabled(option, 0, context) == 0 ? 1 : 0;
}

int IsFieldOptionUsable(DriverContext* context, WORD field, WORD value, DWORD flags) {
  if (!IsFeatureOffered(context, field)) return 0;
  const ImageRef option = FindFieldOption(field, context);
  if (!option) return 0;
  if ((flags & 1) && IsItemDisabled(option, value, context) != 0) return 0;
  if ((flags & 2) && IsItemHidden(option, value, context) != 0) return 0;
  return 1;
}

int IsControlOptionUsable(DriverContext* context, WORD pageId, WORD controlId, DWORD flags) {
  PageRecord* page = FindPageById(context, pageId);
  ControlRecord* control = page ? FindControlById(context, page, controlId) : nullptr;
  if (!control || !control->option || !context->model) return 0;
  const ImageRef option = OptionFromAddress(context->model, control->option);
  if (!option) return 0;
  if ((flags & 1) && IsItemDisabled(option, 0, context) != 0) return 0;
  if ((flags & 2) && IsItemHidden(option, 0, context) != 0) return 0;
  return 1;
}

WORD FindOptionValueByKey(DriverContext* context, WORD field, WORD key) {
  int count = 0;
  const ImageRef option = PickOneWithItems(context, field, &count);
  ImageRef item = option ? OptionValues(option) : ImageRef{};
  for (int i = 0; item && i < count; ++i, item = ItemNext(item)) {
    const WORD id = ItemValueId(item);
    const ValueSymbol s = LookupValueSymbol(context, field, id);
    if (!s.exists) return 0;
    if (s.usable && (s.setting & 0xFFFFu) == key) return id;
  }
  return 0;
}

std::int32_t ListOptionValueCodes(DriverContext* context, WORD field, WORD* out, DWORD flags) {
  int count = 0;
  const ImageRef option = PickOneWithItems(context, field, &count);
  if (!option) return -1;
  std::int32_t taken = 0;
  ImageRef item = OptionValues(option);
  for (int i = 0; item && i < count; ++i, item = ItemNext(item)) {
    const WORD id = ItemValueId(item);
    const ValueSymbol s = LookupValueSymbol(context, field, id);
    if (!s.exists || !s.usable) return -1;
    if ((flags & 1) && !ItemUsable(option, id, context)) continue;
    if (out) out[taken] = static_cast<WORD>(s.setting);
    ++taken;
  }
  return taken ? taken : -1;
}

std::int32_t ListOptionValueNames(DriverContext* context, WCHAR* out, int step, WORD field, DWORD flags) {
  int count = 0;
  const ImageRef option = PickOneWithItems(context, field, &count);
  if (!option || (out && step <= 0)) return -1;
  std::int32_t taken = 0;
  ImageRef item = OptionValues(option);
  for (int i = 0; item && i < count; ++i, item = ItemNext(item)) {
    const WORD id = ItemValueId(item);
    if ((flags & 1) && !ItemUsable(option, id, context)) continue;
    if (out) {
      LoadUiString(context, id, out, step, 0);
      out += step;
    }
    ++taken;
  }
  return taken ? taken : -1;
}

int IsAlertRaisedByValue(DriverContext* context, WORD field, WORD stringId, DWORD value, int temporary) {
  const DWORD old = ReadFieldRawById(context, field);
  if (temporary == 1) WriteFieldRawById(context, field, value);
  int answer = 0;
  const ImageRef option = FindFieldOption(field, context);
  const WORD alert = option ? FindActiveAlert(option, context) : 0;
  if (alert) {
    const MessageEntry* entry = FindMessageEntry(context, alert);
    answer = entry && entry->textId == stringId ? 1 : 0;
  }
  if (temporary == 1) WriteFieldRawById(context, field, old);
  return answer;
}

int IsUserMacroColourSafe(DriverContext* context) {
  return ReadFieldRawById(context, fid::kdmUseUserMacro) != 0 && ReadFieldRawById(context, fid::kdmUserPrintMacro) == 160
             ? 1
             : 0;
}

int AllowsMarginWithFunction(DriverContext* context, DWORD itemId) {
  return (itemId == 14 || itemId == 15) && ReadFieldRawById(context, fid::kdmFuncSelectMargin) != 0 ? 1 : 0;
}

void EnsureMarginFunction(DriverContext* context) {
  if (ReadFieldRawById(context, fid::kdmFuncSelectMargin) == 0) ResetMarginFields(context);
}

void ResetMarginFields(DriverContext* context) {
  SetFieldValueById(context, fid::kdmShiftDir, GetOptionDefaultValue(fid::kdmShiftDir, context));
  constexpr WORD kCleared[] = {96, 97, 98, 99, 100, 101, 102, 537, 81, 82, 691, 692};
  for (WORD id : kCleared) WriteFieldRawById(context, id, 0);
}

void ApplyResolutionTransacts(DriverContext* context) {
  WriteFieldRawById(context, fid::wdmCtrlWorkPrompt, 1);
  const ImageRef option = FindFieldOption(fid::kdmDstResolutionBoth, context);
  if (option) ApplyOptionTransacts(option, context);
  WriteFieldRawById(context, fid::wdmCtrlWorkPrompt, 0);
}

void ApplyPaperChangeForApi(DriverContext* context, int kind) {
  if (kind == 1)
    ApplyPaperChange(context, 1);
  else
    CallModuleItemHooks(context, static_cast<WORD>(kind));
}

void SetCustomPaperFromRecord(DriverContext* context, const BYTE* record) {
  if (!context || !context->settings || !record) return;
  DWORD code = 0;
  WORD width = 0, length = 0;
  std::memcpy(&code, record + 4, 4);
  std::memcpy(&width, record + 8, 2);
  std::memcpy(&length, record + 12, 2);
  WriteFieldRawById(context, fid::dmPaperSize, code);
  auto* dm = reinterpret_cast<DEVMODEW*>(context->settings);
  dm->dmPaperWidth = static_cast<short>(width);
  dm->dmPaperLength = static_cast<short>(length);
  dm->dmFields = (dm->dmFields | DM_PAPERLENGTH | DM_PAPERWIDTH) & ~DM_PAPERSIZE;
}

void SetOsStateBytes(DriverContext* context) {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  GetVersionExW(&info);
  DWORD value = 1;
  if (info.dwPlatformId == 1)
    value = info.dwMinorVersion != 0 ? 3 : 0;
  else if (info.dwMajorVersion >= 5)
    value = 2;
  SetStateByte(context, 707, value);
}

void BindSpecialCaseControl(WORD field, DriverContext* context) {
  const SpecialCaseEntry* row = FindSpecialCaseEntry(field);
  if (!row || !row->pageId || !row->controlId) return;
  PageRecord* page = FindPageById(context, row->pageId);
  ControlRecord* control = page ? FindControlById(context, page, row->controlId) : nullptr;
  if (!control) return;
  control->option = OptionRecordAddress(LookupOptionByOrdinal(control->itemId, context));
}

int WriteActionField(DriverContext* context, SettingField* descriptor, DWORD value) {
  if (!context || !descriptor) return 0;
  const WCHAR* key = descriptor->key;
  const DWORD type = descriptor->type;
  descriptor->key = u"kdmAction";
  descriptor->type = MakeFieldType(FieldSizeOf(type), FT_U16, FieldAreaOf(type));
  WriteFieldRaw(context, descriptor, value);
  const int answer = WriteFeatureToStore(context->hPrinter, context, descriptor, nullptr);
  descriptor->key = key;
  descriptor->type = type;
  return answer;
}

DWORD ReadFieldFromBuffer(DriverContext*, const SettingField* descriptor, BYTE* buffer) {
  if (!descriptor || !buffer) return 0;
  BYTE* at = GetFieldAddressInBuffer(buffer, descriptor);
  if (!at) return 0;
  const DWORD code = FieldCodeOf(descriptor->type);
  if (IsBitFieldCode(code)) {
    const DWORD n = code - FT_FIRST_BIT;
    return (at[n / 8] >> (n % 8)) & 1u;
  }
  switch (code) {
    case FT_S8: return static_cast<DWORD>(static_cast<std::int32_t>(static_cast<std::int8_t>(at[0])));
    case FT_U8: return at[0];
    case FT_S16: {
      std::int16_t v;
      std::memcpy(&v, at, 2);
      return static_cast<DWORD>(static_cast<std::int32_t>(v));
    }
    case FT_U16: {
      WORD v;
      std::memcpy(&v, at, 2);
      return v;
    }
    case FT_S32:
    case FT_U32: {
      DWORD v;
      std::memcpy(&v, at, 4);
      return v;
    }
    default:
      return 0;
  }
}

int SettingsFileRespectsLocks(DriverContext* context, const WCHAR* file, const WCHAR* section, DWORD) {
  constexpr WORD kLocked[] = {13, 54, 56, 91, 209, 58, 15, 152, 38, 39};
  for (WORD id : kLocked)
    if (!CheckLockedFeatureValue(context, file, section, GetFieldName(context, id), id)) return 0;
  return 1;
}
