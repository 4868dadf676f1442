#include "job_text.h"

#include <cstring>
#include <new>

#include "fields/field_access.h"
#include "fields/field_table.h"
#include "win/kernel.h"

namespace rendara {

void MakePrinterSafe(char* text, std::size_t n) {
  if (!text) return;
  for (std::size_t i = 0; i < n && text[i]; ++i) {
    const auto c = static_cast<BYTE>(text[i]);
    if (IsDBCSLeadByte(c) && i + 1 < n && text[i + 1]) {
      ++i;  // the trail byte belongs to the character
      continue;
    }
    if (c == '"') text[i] = '\'';
    else if (c < 0x20 || c == 0x7F) text[i] = ' ';
  }
}

BOOL StoreJobText(DriverContext* context, WORD fieldId, const char* text, std::size_t n) {
  SettingField* field = FindFieldById(context, fieldId);
  if (!field) return FALSE;
  const DWORD size = FieldSizeOf(field->type);
  if (size == 0) return FALSE;
  char* value = new (std::nothrow) char[size]();
  if (!value) return FALSE;
  if (text) {
    std::size_t length = 0;
    while (length + 1 < size && length < n && text[length]) ++length;
    // A double-byte character is never split at the end.
    std::size_t whole = 0;
    for (std::size_t i = 0; i < length;) {
      const std::size_t step = IsDBCSLeadByte(static_cast<BYTE>(text[i])) ? 2 : 1;
      if (i + step > length) break;
      i += step;
      whole = i;
    }
    std::memcpy(value, text, whole);
    MakePrinterSafe(value, whole);
  }
  WriteFieldBlock(context, field, value);
  delete[] value;
  return TRUE;
}

}  // namespace rendara
