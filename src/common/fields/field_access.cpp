// Typed field access: raw values, option values and text, with the write side effects.
#include "fields/field_access.h"

#include <cstring>
#include <string>
#include <string_view>

#include "fields/change_flags.h"
#include "base/dictionary_pages.h"
#include "fields/field_table.h"
#include "base/ui_strings.h"
#include "fields/value_maps.h"
#include "field_ids.h"
#include "win/kernel.h"

namespace {

constexpr WCHAR kWrongType[] = u"wrong";

// Resolves a bit field to its byte and bit: codes 16-23 the byte at the address, 24-31
// the next byte, and so on.
BYTE* BitByte(BYTE* address, DWORD code, int* bit) {
  const DWORD n = code - FT_FIRST_BIT;
  *bit = static_cast<int>(n % 8);
  return address + n / 8;
}

DWORD ReadAt(BYTE* address, const SettingField* field) {
  if (!address) return 0;
  const DWORD code = FieldCodeOf(field->type);
  if (IsBitFieldCode(code)) {
    int bit = 0;
    const BYTE* b = BitByte(address, code, &bit);
    return (*b >> bit) & 1u;
  }
  switch (code) {
    case FT_S8: return static_cast<DWORD>(static_cast<std::int32_t>(static_cast<std::int8_t>(address[0])));
    case FT_U8: return address[0];
    case FT_S16: {
      std::int16_t v;
      std::memcpy(&v, address, 2);
      return static_cast<DWORD>(static_cast<std::int32_t>(v));
    }
    case FT_U16: {
      WORD v;
      std::memcpy(&v, address, 2);
      return v;
    }
    case FT_S32:
    case FT_U32: {
      DWORD v;
      std::memcpy(&v, address, 4);
      return v;
    }
    default:
      return 0;  // text and blocks: reached through their address
  }
}

// Stores a number or bit; for text and block fields copies from data or clears.
void StoreAt(BYTE* address, const SettingField* field, DWORD value, const void* data, bool isBlock) {
  if (!address) return;
  const DWORD code = FieldCodeOf(field->type);
  if (IsBitFieldCode(code)) {
    int bit = 0;
    BYTE* b = BitByte(address, code, &bit);
    if (value) *b = static_cast<BYTE>(*b | (1u << bit)); else *b = static_cast<BYTE>(*b & ~(1u << bit));
    return;
  }
  switch (code) {
    case FT_S8:
    case FT_U8:
      address[0] = static_cast<BYTE>(value);
      return;
    case FT_S16:
    case FT_U16: {
      const WORD v = static_cast<WORD>(value);
      std::memcpy(address, &v, 2);
      return;
    }
    case FT_S32:
    case FT_U32:
      std::memcpy(address, &value, 4);
      return;
    default: {
      const DWORD size = FieldSizeOf(field->type);
      if (isBlock && data) std::memcpy(address, data, size); else std::memset(address, 0, size);
      return;
    }
  }
}

void AfterWrite(DriverContext* context, SettingField* field, DWORD value) {
  SetFieldChangeMark(field, 1);
  SetDirtyFlag(context, 1);
  if (field->id == fid::kdmScaleH && ReadFieldRawById(context, fid::kdmScaleType) == 1) {
    WriteFieldRawById(context, fid::kdmScaleV, value);
  }
  if (field->runtimeFlags & FRF_CHANGE_FLAG_MASK) SetChangeFlags(context, field->runtimeFlags & FRF_CHANGE_FLAG_MASK);
}

std::size_t BoundedLength(const WCHAR* s, std::size_t max) {
  std::size_t n = 0;
  while (n < max && s[n]) ++n;
  return n;
}

}  // namespace

DWORD ReadFieldRaw(DriverContext* context, const SettingField* field) {
  return field ? ReadAt(GetFieldAddress(context, field), field) : 0;
}

void WriteFieldRaw(DriverContext* context, SettingField* field, DWORD value) {
  if (!context || !field) return;
  StoreAt(GetFieldAddress(context, field), field, value, nullptr, false);
  AfterWrite(context, field, value);
}

void WriteFieldBlock(DriverContext* context, SettingField* field, const void* data) {
  if (!context || !field) return;
  const DWORD code = FieldCodeOf(field->type);
  if (IsNumberFieldCode(code) || IsBitFieldCode(code)) {
    DWORD value = 0;
    if (data) std::memcpy(&value, data, IsBitFieldCode(code) ? 1 : FieldSizeOf(field->type) < 4 ? FieldSizeOf(field->type) : 4);
    WriteFieldRaw(context, field, value);
    return;
  }
  StoreAt(GetFieldAddress(context, field), field, 0, data, true);
  AfterWrite(context, field, 0);
}

DWORD ReadFieldRawInSnapshot(DriverContext* context, const SettingField* field) {
  return field ? ReadAt(GetFieldAddressInSnapshot(context, field), field) : 0;
}

void WriteFieldRawInSnapshot(DriverContext* context, const SettingField* field, DWORD value) {
  if (field) StoreAt(GetFieldAddressInSnapshot(context, field), field, value, nullptr, false);
}

DWORD ReadFieldRawInLockDefaults(DriverContext* context, const SettingField* field) {
  return field ? ReadAt(GetFieldAddressInLockDefaults(context, field), field) : 0;
}

namespace {
SettingField* Find(DriverContext* context, WORD id, SettingField** outField) {
  SettingField* f = FindFieldById(context, id);
  if (outField) *outField = f;
  return f;
}
}  // namespace

DWORD ReadFieldRawById(DriverContext* context, WORD id, SettingField** outField) {
  return ReadFieldRaw(context, Find(context, id, outField));
}

void WriteFieldRawById(DriverContext* context, WORD id, DWORD value, SettingField** outField) {
  WriteFieldRaw(context, Find(context, id, outField), value);
}

DWORD ReadSnapshotRawById(DriverContext* context, WORD id, SettingField** outField) {
  return ReadFieldRawInSnapshot(context, Find(context, id, outField));
}

void WriteSnapshotRawById(DriverContext* context, WORD id, DWORD value, SettingField** outField) {
  WriteFieldRawInSnapshot(context, Find(context, id, outField), value);
}

DWORD ReadSavedRawById(DriverContext* context, WORD id, SettingField** outField) {
  return ReadFieldRawInLockDefaults(context, Find(context, id, outField));
}

DWORD GetFieldValue(DriverContext* context, const SettingField* field) {
  return RawToOptionIndex(context, field, ReadFieldRaw(context, field));
}

void SetFieldValue(DriverContext* context, SettingField* field, DWORD value) {
  WriteFieldRaw(context, field, OptionIndexToRaw(context, field, value));
}

DWORD GetFieldValueById(DriverContext* context, WORD id, SettingField** outField) {
  return GetFieldValue(context, Find(context, id, outField));
}

void SetFieldValueById(DriverContext* context, WORD id, DWORD value, SettingField** outField) {
  SetFieldValue(context, Find(context, id, outField), value);
}

DWORD GetFieldValueByKeyword(DriverContext* context, std::int16_t itemId, SettingField** outField) {
  SettingField* f = FindFieldByKeyword(context, itemId);
  if (outField) *outField = f;
  return GetFieldValue(context, f);
}

int GetFieldString(DriverContext* context, const SettingField* field, WCHAR* destination,
                   std::size_t destinationChars) {
  if (!context || !field || !destination || destinationChars == 0) return 0;
  BYTE* address = GetFieldAddress(context, field);
  if (!address) return 0;
  const DWORD size = FieldSizeOf(field->type);
  std::u16string text;
  switch (FieldCodeOf(field->type)) {
    case FT_ANSI_TEXT: {
      const char* bytes = reinterpret_cast<const char*>(address);
      const int length = static_cast<int>(strnlen(bytes, size));
      text.resize(static_cast<std::size_t>(length));  // never more characters than bytes
      const int n = length > 0 ? MultiByteToWideChar(CP_ACP, 0, bytes, length, text.data(), length) : 0;
      text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
      break;
    }
    case FT_WIDE_TEXT: {
      const std::size_t chars = size / 2;
      text.resize(chars);
      std::memcpy(text.data(), address, chars * 2);
      text.resize(BoundedLength(text.data(), chars));
      break;
    }
    default:
      text = kWrongType;
      break;
  }
  const std::size_t n = text.size() < destinationChars ? text.size() : destinationChars - 1;
  std::memcpy(destination, text.data(), n * sizeof(WCHAR));
  destination[n] = 0;
  return 1;
}

BYTE* SetFieldString(DriverContext* context, SettingField* field, const WCHAR* source, std::size_t sourceChars) {
  if (!context || !field || !source) return nullptr;
  WriteFieldRaw(context, field, 0);  // clears the field, with the side effects
  BYTE* address = GetFieldAddress(context, field);
  if (!address) return nullptr;
  const DWORD size = FieldSizeOf(field->type);
  const std::u16string_view text(source, BoundedLength(source, sourceChars));
  switch (FieldCodeOf(field->type)) {
    case FT_ANSI_TEXT: {
      if (size == 0) break;
      std::string bytes;
      const int chars = static_cast<int>(text.size());
      const int needed = chars > 0 ? WideCharToMultiByte(CP_ACP, 0, text.data(), chars, nullptr, 0, nullptr, nullptr) : 0;
      if (needed > 0) {
        bytes.resize(static_cast<std::size_t>(needed));
        const int written = WideCharToMultiByte(CP_ACP, 0, text.data(), chars, bytes.data(), needed, nullptr, nullptr);
        bytes.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
      }
      std::size_t n = 0;
      while (n < bytes.size()) {
        const std::size_t step = IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(bytes[n])) && n + 1 < bytes.size() ? 2 : 1;
        if (n + step > size - 1) break;
        n += step;
      }
      std::memcpy(address, bytes.data(), n);
      break;
    }
    case FT_WIDE_TEXT: {
      const std::size_t chars = size / 2;
      if (chars == 0) break;
      const std::size_t n = text.size() < chars - 1 ? text.size() : chars - 1;
      std::memcpy(address, text.data(), n * sizeof(WCHAR));
      break;
    }
    default:
      break;  // other types stay cleared
  }
  return address;
}

SettingField* GetControlField(DriverContext* context, ControlRecord* control) {
  if (!context || !control) return nullptr;
  if (control->field) return control->field;
  return FindFieldByKeyword(context, static_cast<std::int16_t>(control->itemId));
}

DWORD GetControlFieldValue(DriverContext* context, ControlRecord* control) {
  return GetFieldValue(context, GetControlField(context, control));
}

void SetControlFieldValue(DriverContext* context, ControlRecord* control, DWORD value) {
  SetFieldValue(context, GetControlField(context, control), value);
}

int GetControlFieldString(DriverContext* context, WORD controlId, WCHAR* destination,
                          std::size_t destinationChars) {
  ControlRecord* control = FindControlById(context, nullptr, controlId);
  return GetFieldString(context, GetControlField(context, control), destination, destinationChars);
}

BYTE* SetControlFieldString(DriverContext* context, WORD controlId, const WCHAR* source, std::size_t sourceChars) {
  ControlRecord* control = FindControlById(context, nullptr, controlId);
  return SetFieldString(context, GetControlField(context, control), source, sourceChars);
}

void SetFieldValueOrStringById(DriverContext* context, WORD id, DWORD value) {
  SetFieldValueOrString(context, FindFieldById(context, id), value);
}

void SetFieldValueOrString(DriverContext* context, SettingField* field, DWORD value) {
  if (!field) return;
  if (IsTextFieldCode(FieldCodeOf(field->type))) {
    WCHAR text[1025];
    text[0] = 0;
    LoadUiString(context, value, text, 1025, 1);
    SetFieldString(context, field, text);
  } else {
    SetFieldValue(context, field, value);
  }
}
