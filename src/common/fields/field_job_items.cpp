// The job-control items and their settings fields.
#include "fields/field_job_items.h"

#include <cstring>

#include "base/build_switches.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/memory.h"
#include "win/spool.h"

namespace {

struct JobItem {
  DWORD bit;
  WORD fieldId;
};

// In item-number order (1-11).
constexpr JobItem kJobItems[] = {
    {JCI_USER_CODE, 203},         // kdmUserCode
    {JCI_OWNER_NAME, 204},        // kdmOwnerName
    {JCI_JOB_PASSWORD, 207},      // kdmJOBPassword
    {JCI_USER_ID, 202},           // kdmUserID
    {JCI_DOCUMENT_NAME, 206},     // kdmDocumentName
    {JCI_TEL_NO, 231},            // kdmTelNo
    {JCI_TEL_LINE, 232},          // kdmTelLine
    {JCI_STORED_PASSWORD, 208},   // kdmStoredPassword
    {JCI_AUTH_USER_NAME, 1112},   // wdmAuthenticationUserName
    {JCI_AUTH_PASSWORD, 1113},    // wdmAuthenticationPassword
    {JCI_AUTH_NETWORK_KEY, 1114}, // wdmAuthenticationNetworkKey
};

}  // namespace

WORD GetJobItemFieldByBit(DWORD bit) {
  for (const JobItem& item : kJobItems) {
    if (item.bit == bit) return item.fieldId;
  }
  return 0;
}

WORD GetJobItemFieldByNumber(int n) {
  if (n < 1 || n > static_cast<int>(sizeof(kJobItems) / sizeof(kJobItems[0]))) return 0;
  return kJobItems[n - 1].fieldId;
}

DWORD ClearJobControlItem(DriverContext* context, int n) {
  const WORD id = GetJobItemFieldByNumber(n);
  if (id == 0) return JCI_UNKNOWN_ITEM;
  if (n >= 9 && !IsFeatureKindSupported(context, 0, 0)) return 0;
  SettingField* field = FindFieldById(context, id);
  if (!field) return 0;
  // A text field is cleared by any raw write; a number becomes 0.
  WriteFieldRaw(context, field, 0);
  return 0;
}

