// Stored-settings operations of later subsystems with the least behaviour the defaults,
// checks and paper geometry need now.
#include "context/pending_defaults.h"

#include <cstring>

#include "context/devmode_checks.h"
#include "context/driver_context.h"
#include "context/field_access.h"
#include "context/field_table.h"
#include "context/locale_text.h"
#include "context/memory.h"
#include "context/paths_and_names.h"
#include "context/product_record.h"
#include "context/spooler_info.h"
#include "field_ids.h"
#include "win/devmode.h"

namespace {

// The paper map: list index -> paper id.
constexpr WORD kFreeSizePaperMap[kFreeSizeRecordCount] = {384, 385, 386, 387, 388, 389, 390, 391, 392, 393, 256, 448};

FreeSizeRecord* RecordAt(DriverContext* context, int n) {
  if (!context || !context->work || n < 0 || n >= kFreeSizeRecordCount) return nullptr;
  return &context->work->freeSizes[n];
}

// Record n -> the five fields from `first` (name, width, length, tray, orientation).
void RecordToFields(DriverContext* context, int n, WORD first) {
  const FreeSizeRecord* record = RecordAt(context, n);
  // A record of no size describes no paper: the fields keep what they hold.
  if (!record || record->width == 0 || record->length == 0) return;
  char name[sizeof record->userName + 1] = {};
  std::memcpy(name, record->userName, sizeof record->userName);
  WCHAR wide[sizeof name] = {};
  AnsiToWide(wide, name, static_cast<int>(sizeof name));
  if (SettingField* field = FindFieldById(context, first)) SetFieldString(context, field, wide);
  SetFieldValueById(context, static_cast<WORD>(first + 1), record->width);
  SetFieldValueById(context, static_cast<WORD>(first + 2), record->length);
  WriteFieldRawById(context, static_cast<WORD>(first + 3), record->tray);
  WriteFieldRawById(context, static_cast<WORD>(first + 4), record->orientation);
}

}  // namespace

int FreeSizeIndexFromPaperId(DWORD paperId, DriverContext*) {
  for (int i = 0; i < kFreeSizeRecordCount; ++i) {
    if (kFreeSizePaperMap[i] == paperId) return i;
  }
  return 0;
}

// PENDING: the free-size list issue loads the ten entries of the per-printer INI into the
// work area's records (ReadFreeSize, FeaturesToFreeSizeRecord) once per change-flag
// generation; until then the records keep what the work area holds.
void InitFreeSizes(DriverContext*) {}

// PENDING: the free-size list issue adds the record's list name (UI string 752 or 753 with
// the size appended); the size, tray and orientation are complete.
void LoadUserPaperNames(DriverContext* context, DWORD paperId, int index) {
  FreeSizeRecord* record = RecordAt(context, index);
  if (!record || (paperId != 256 && paperId != 448)) return;
  // Width, length, tray and orientation of paper 256 (340-343) or of paper 448 (344-347).
  const WORD first = paperId == 256 ? fid::kdmPaperFreeSizeWidth : fid::kdmPrintFreeSizeWidth;
  record->width = ReadFieldRawById(context, first);
  record->length = ReadFieldRawById(context, static_cast<WORD>(first + 1));
  record->tray = static_cast<WORD>(ReadFieldRawById(context, static_cast<WORD>(first + 2)));
  record->orientation = static_cast<WORD>(ReadFieldRawById(context, static_cast<WORD>(first + 3)));
}

// The list fields run name, width, length, tray, orientation: 915-919 for the features,
// 920-924 for the current paper.
void FreeSizeRecordToCurrent(DriverContext* context, int n) { RecordToFields(context, n, fid::wdmSrcFreeSizeName); }

void FreeSizeRecordToFeatures(DriverContext* context, int n) { RecordToFields(context, n, fid::wdmFreeSizeName); }

// PENDING: the free-size list issue loads entry n's section of the per-printer INI (and
// copies it into the list fields); until then the cleared fields take the work area's
// record n.
void ReadFreeSize(DriverContext* context, int n) {
  if (!context) return;
  for (WORD id = fid::wdmFreeSizeName; id <= fid::wdmFreeSizeName + 4; ++id) WriteFieldRawById(context, id, 0);
  FreeSizeRecordToFeatures(context, n);
}
