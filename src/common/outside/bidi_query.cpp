// The two-way query of the printer through the maker's two-way library.
//
// Every call binds the library for itself: it loads it, fills its own function table and
// frees the library at the end, so two threads querying at once never run through a table
// whose library the other call freed. Every answer is read within the size the library
// reported for it: an answer shorter than the tray or media count leaves the entries it
// lacks unreported.
#include "outside/bidi_query.h"

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "base/build_switches.h"
#include "base/driver_context.h"
#include "base/install_services.h"
#include "base/message_boxes.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "base/progress_window.h"
#include "base/settings_field.h"
#include "base/spooler_info.h"
#include "base/system_checks.h"
#include "context/bidi_requests.h"
#include "context/module_events.h"
#include "field_ids.h"
#include "fields/devmode_header.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "fields/languages.h"
#include "fields/product_record.h"
#include "fields/value_maps.h"
#include "model/bidi_tables.h"
#include "model/model_tables.h"
#include "model/module_dispatch.h"
#include "model/value_sets.h"
#include "outside/bidi_abi.h"
#include "outside/bidi_cache.h"
#include "outside/config_connector.h"
#include "stored/custom_media.h"
#include "stored/device_settings.h"
#include "stored/settings_package.h"
#include "win/kernel.h"
#include "win/loader.h"
#include "win/profile.h"

namespace {

constexpr DWORD kEventBidiApplied = 22;
constexpr DWORD kEventBidiRequery = 65;
constexpr DWORD kProgressText = 7001;
constexpr DWORD kWarningNotAsked = 7002;
constexpr DWORD kModelChars = 33;
constexpr DWORD kCustomNameChars = 256;
constexpr DWORD kCustomNameSlot = kCustomNameChars + 1;

std::atomic<BidiErrorSink> g_errorSink{nullptr};

// A failed call of the library, told to the settings API's item state when the context has
// one (the Win32 error mapped to the API's code).
void NoteLibraryFailure(DriverContext* context) {
  const DWORD error = GetLastError();
  BidiErrorSink sink = g_errorSink.load();
  if (sink && context && context->work && context->work->apiState) sink(context, MapBidiErrorToApi(error));
}

const DWORD kTrayPriority[kBidiTrayPriorityCount] = {3, 4, 5, 6, 7, 8, 9, 11, 2, 1, 10, 12, 51, 52, 53, 54, 60, 61, 101};

// The library of one call, its table and the printer it opened.
struct BidiBinding {
  HMODULE module = nullptr;
  BidiFunctionTable table{};
  HANDLE handle = nullptr;
  DWORD ok = 0;
  BOOL opened = FALSE;

  BidiBinding() = default;
  BidiBinding(const BidiBinding&) = delete;
  BidiBinding& operator=(const BidiBinding&) = delete;
  ~BidiBinding() {
    if (handle && table.close) table.close(handle);
    if (module) FreeLibrary(module);
  }
};

// Loads the library, fills the call's table and opens the printer; false when any of it
// fails (an open that answers ok = 0 included).
bool BindAndOpen(DWORD flags, DriverContext* context, BidiBinding* b) {
  const WCHAR* name = (flags & kBidiAllow9x) && IsWin9x() ? kBidiLibrary9x : kBidiLibraryNT;
  b->module = LoadLibraryW(name);
  if (!b->module) return false;
  const char* exportName = IsBuildFeatureEnabled(11) ? kBidiInitExportV2 : kBidiInitExport;
  auto init = ProcCast<BidiInitializeProc>(GetProcAddress(b->module, exportName));
  if (!init || !init(&b->table)) return false;
  if (!b->table.open || !b->table.close || !b->table.startQuery || !b->table.openSubQuery ||
      !b->table.getModelName || !b->table.getItem || !b->table.getSubItem)
    return false;
  const WCHAR* printer = GetPrinterDisplayName(context);
  if (!printer) return false;
  SetLastError(0);
  b->opened = b->table.open(printer, &b->handle, &b->ok);
  if (!b->opened) NoteLibraryFailure(context);
  return b->opened && b->ok != 0;
}

// Ends ANSI text of at most size - 1 bytes inside a field of size bytes, never splitting a
// double-byte character, and writes it.
void StoreAnsiText(DriverContext* context, WORD fieldId, const char* text, std::size_t available) {
  SettingField* field = FindFieldById(context, fieldId);
  if (!field) return;
  const DWORD size = FieldSizeOf(field->type);
  if (size == 0) return;
  std::vector<char> block(size, 0);
  std::size_t n = 0;
  while (n < available && text[n] != '\0') {
    const bool lead = IsDBCSLeadByte(static_cast<BYTE>(text[n]));
    const std::size_t width = lead ? 2 : 1;
    if (n + width > size - 1) break;
    if (lead && (n + 1 >= available || text[n + 1] == '\0')) break;
    n += width;
  }
  std::memcpy(block.data(), text, n);
  WriteFieldBlock(context, field, block.data());
}

void EmptyText(DriverContext* context, WORD fieldId) { StoreAnsiText(context, fieldId, "", 0); }

// An answer of u32 entries: its size query, then its read. Size 0 is "no answer" (true,
// empty); a failed read or a size the library cannot fill is false.
bool ReadEntries(const BidiFunctionTable* t, HANDLE query, DWORD kind, std::vector<DWORD>* out, bool* answered,
                 DriverContext* context) {
  out->clear();
  *answered = false;
  DWORD needed = 0;
  SetLastError(0);
  if (t->getItem(query, kind, nullptr, 0, &needed) == -1) {
    NoteLibraryFailure(context);
    return false;
  }
  if (needed == 0) return true;
  std::vector<BYTE> bytes(needed, 0);
  DWORD got = needed;
  const long count = t->getItem(query, kind, bytes.data(), needed, &got);
  if (count == -1) {
    NoteLibraryFailure(context);
    return false;
  }
  if (got > needed) got = needed;
  // The walk is bounded by the answer's size whatever count the library claims.
  std::size_t entries = got / sizeof(DWORD);
  if (count >= 0 && static_cast<std::size_t>(count) < entries) entries = static_cast<std::size_t>(count);
  out->resize(entries);
  if (entries) std::memcpy(out->data(), bytes.data(), entries * sizeof(DWORD));
  *answered = true;
  return true;
}

// The value of the first row whose printer id (second) is id; 0 when none.
DWORD FindFirst(const CodePair* table, DWORD id) {
  if (!table) return 0;
  for (const CodePair* row = table; row->first != 0 || row->second != 0; ++row)
    if (row->second == id) return row->first;
  return 0;
}
// A printer code through a paper or media map; found tells whether the map has it.
DWORD LookUp(const CodePair* table, DWORD code, bool* found) {
  *found = false;
  if (!table) return 0;
  for (const CodePair* row = table; row->first != 0 || row->second != 0; ++row) {
    if (row->second == code) {
      *found = true;
      return row->first;
    }
  }
  return 0;
}

bool Offers(DriverContext* context, WORD fieldId, DWORD code) {
  SettingField* field = FindFieldById(context, fieldId);
  return field && IsRawValueMapped(context, field, code);
}

DWORD MediaCode(DriverContext* context, DWORD printerMedia) {
  bool found = false;
  DWORD code = LookUp(GetTwoWayMediaTable(), printerMedia, &found);
  if (!found || code == kBidiNothing || !Offers(context, fid::kdmMediaType, code)) return 0;
  return code;
}

void ClearValueSet(DriverContext* context, int index) {
  const ValueSetRow* row = GetValueSetByIndex(index);
  if (!row || !row->values) return;
  for (DWORD i = 0; i < row->count; ++i) WriteFieldRawById(context, static_cast<WORD>(row->values[i]), 0);
}

int ApplyBidiTrays(const BidiFunctionTable* t, HANDLE query, DriverContext* context) {
  std::int32_t detailsAnswer = 0;
  NotifyModules(context, MODEV_TRAY_DETAILS, &detailsAnswer);
  const bool details = detailsAnswer != 0;
  const bool batch = GetBatchInstKst(context) != 0;

  std::vector<DWORD> trays, papers, media, attributes;
  bool answered = false;
  if (!ReadEntries(t, query, kBidiKindTrays, &trays, &answered, context)) return 0;
  if (!answered) return 1;
  if (details) {
    for (auto [kind, list] : {std::pair{kBidiKindTrayPaper, &papers}, std::pair{kBidiKindTrayMedia, &media},
                              std::pair{kBidiKindTrayAttributes, &attributes}}) {
      if (!ReadEntries(t, query, kind, list, &answered, context)) return 0;
      if (!answered) return 1;
    }
    if (!batch) NotifyModules(context, MODEV_TRAYS_RESET, nullptr);
  }

  const CodePair* installed = GetTwoWayTrayTable(kTrayTableFields);
  const CodePair* orientations = GetTwoWayTrayTable(kTrayTableOrientations);
  const CodePair* paperFields = GetTwoWayTrayTable(kTrayTablePapers);
  const CodePair* mediaFields = GetTwoWayTrayTable(kTrayTableMedia);
  const CodePair* lockFields = GetTwoWayTrayTable(kTrayTableLocks);
  DWORD separation[3] = {};
  std::vector<DWORD> coverTrays, markTrays, reverseTrays;
  BYTE mask = 0;

  for (std::size_t i = 0; i < trays.size(); ++i) {
    const DWORD tray = trays[i];
    const WORD installedField = static_cast<WORD>(FindFirst(installed, tray));
    if (installedField) WriteFieldRawById(context, installedField, 1);
    if (!details) continue;
    if (i < papers.size()) {
      bool first = false, second = false;
      DWORD code = LookUp(GetTwoWayPaperTable(kPaperTableFirst), papers[i], &first);
      if (!first) code = LookUp(GetTwoWayPaperTable(kPaperTableSecond), papers[i], &second);
      const WORD paperField = static_cast<WORD>(FindFirst(paperFields, tray));
      const WORD orientField = static_cast<WORD>(FindFirst(orientations, tray));
      if (code == kBidiNothing || code == kBidiFreePaper || (paperField && !Offers(context, paperField, code))) code = 0;
      if (paperField) WriteFieldRawById(context, paperField, code);
      if (orientField) WriteFieldRawById(context, orientField, first ? 0 : 1);
    }
    if (i < media.size()) {
      const WORD mediaField = static_cast<WORD>(FindFirst(mediaFields, tray));
      if (mediaField) WriteFieldRawById(context, mediaField, MediaCode(context, media[i]));
    }
    if (i >= attributes.size()) continue;
    const DWORD bits = attributes[i];
    const WORD lockField = static_cast<WORD>(FindFirst(lockFields, tray));
    if (lockField) WriteFieldRawById(context, lockField, bits & 1u);
    if (batch) continue;
    for (DWORD selector = 1; selector <= 3; ++selector) {
      TrayFlagEventBlock block{bits, selector, 0};
      NotifyModules(context, MODEV_TRAY_FLAG_TEST, &block);
      if (block.answer != 0 && lockField >= fid::kdmTrayLock0) {
        const DWORD bit = static_cast<DWORD>(lockField - fid::kdmTrayLock0);
        if (bit < 32) separation[selector - 1] |= 1u << bit;
      }
    }
    const DWORD value = MapBidiTrayId(tray);
    if (bits & 0x4u) coverTrays.push_back(tray);
    if (bits & 0x8u) markTrays.push_back(tray);
    if (bits & 0x200u) reverseTrays.push_back(tray);
    TrayFlagEventBlock ask{bits, 0, 0};
    NotifyModules(context, MODEV_TRAY_FLAG_TEST, &ask);
    if (ask.answer != 0) {
      TrayReportedEventBlock reported{bits, value, &mask};
      NotifyModules(context, MODEV_TRAY_REPORTED, &reported);
    }
  }

  if (details && !batch) {
    auto pick = [](const std::vector<DWORD>& listed) {
      const DWORD tray = PickPreferredTray(listed.data(), static_cast<int>(listed.size()));
      return MapBidiTrayId(tray ? tray : 3);
    };
    WriteFieldRawById(context, fid::kdmCoverDefTray, pick(coverTrays));
    WriteFieldRawById(context, fid::kdmMPDefTray, pick(markTrays));
    WriteFieldRawById(context, fid::kdmReverseCoverDefTray, pick(reverseTrays));
    if (!coverTrays.empty()) mask |= 0x01;
    if (!markTrays.empty()) mask |= 0x02;
    if (!reverseTrays.empty()) mask |= 0x40;
    if (separation[0]) mask |= 0x04;
    if (separation[1]) mask |= 0x08;
    if (separation[2]) mask |= 0x10;
    WriteFieldRawById(context, fid::kdmTrayChapterSep1, separation[0]);
    WriteFieldRawById(context, fid::kdmTrayChapterSep2, separation[1]);
    WriteFieldRawById(context, fid::kdmTrayChapterSep3, separation[2]);
  }
  if (details) SetStateByte(context, fid::KPD_kdmBidiFunc, mask);
  return 1;
}

int ApplyBidiOptions(const BidiFunctionTable* t, HANDLE query, DriverContext* context) {
  std::vector<DWORD> codes;
  bool answered = false;
  if (!ReadEntries(t, query, kBidiKindOptions, &codes, &answered, context)) return 0;
  DWORD running = 0;
  for (DWORD code : codes) {
    const DWORD field = FindFirst(GetTwoWayOptionCodeTable(), code);
    if (!field) continue;
    WriteFieldRawById(context, static_cast<WORD>(field), 1);
    UpdateItem10110(static_cast<WORD>(field), code, &running, context);
  }
  return 1;
}

int ApplyBidiMemory(const BidiFunctionTable* t, HANDLE query, DriverContext* context) {
  DWORD needed = 0;
  t->getItem(query, kBidiKindMemory, nullptr, 0, &needed);
  if (needed < sizeof(DWORD)) return 1;
  std::vector<BYTE> bytes(needed, 0);
  DWORD got = needed;
  if (t->getItem(query, kBidiKindMemory, bytes.data(), needed, &got) == -1) return 1;
  DWORD memory = 0;
  std::memcpy(&memory, bytes.data(), sizeof memory);
  WriteFieldRawById(context, fid::kdmPrinterMemory, memory >> 10);
  return 1;
}

DWORD TextFieldSize(DriverContext* context, WORD fieldId) {
  SettingField* field = FindFieldById(context, fieldId);
  return field ? FieldSizeOf(field->type) : 0;
}

int ApplyBidiSystemVersion(const BidiFunctionTable* t, HANDLE query, DriverContext* context) {
  DWORD needed = 0;
  t->getItem(query, kBidiKindSystemVersion, nullptr, 0, &needed);
  DWORD size = TextFieldSize(context, fid::kdmSystemVersion);
  if (needed > size) size = needed;
  if (size == 0) return 1;
  std::vector<char> text(size, 0);
  DWORD got = size;
  const long answer = t->getItem(query, kBidiKindSystemVersion, text.data(), size, &got);
  if (answer != 0 && answer != -1) StoreAnsiText(context, fid::kdmSystemVersion, text.data(), size);
  return 1;
}

// Sub-item text into a field; false when the call should end (a failed size query other
// than error 5, or a size 0).
bool ReadSubText(const BidiFunctionTable* t, HANDLE sub, DWORD item, WORD fieldId, DriverContext* context) {
  DWORD needed = 0;
  SetLastError(0);
  if (!t->getSubItem(sub, kBidiSubQueryVersions, item, nullptr, 0, &needed) && GetLastError() != ERROR_ACCESS_DENIED) {
    NoteLibraryFailure(context);
    return false;
  }
  if (needed == 0) return false;
  DWORD size = TextFieldSize(context, fieldId);
  if (needed > size) size = needed;
  std::vector<char> text(size, 0);
  DWORD got = size;
  if (t->getSubItem(sub, kBidiSubQueryVersions, item, text.data(), size, &got)) {
    StoreAnsiText(context, fieldId, text.data(), size);
  } else {
    NoteLibraryFailure(context);
  }
  return true;
}

bool OpenSubQuery(const BidiFunctionTable* t, HANDLE handle, HANDLE* sub, DriverContext* context) {
  SetLastError(0);
  if (t->openSubQuery(handle, sub, kBidiSubQueryVersions, 1) || GetLastError() == kBidiErrorPending) return true;
  NoteLibraryFailure(context);
  return false;
}

int ApplyBidiSubQuery(const BidiFunctionTable* t, HANDLE handle, DriverContext* context) {
  HANDLE sub = nullptr;
  if (!OpenSubQuery(t, handle, &sub, context)) return 1;
  DWORD value = 0;
  DWORD got = 0;
  const BOOL memoryRead = t->getSubItem(sub, kBidiSubQueryVersions, kBidiSubMemoryType, &value, sizeof value, &got);
  if (!memoryRead) NoteLibraryFailure(context);
  if (memoryRead) {
    if (got == 0) {
      WriteFieldRawById(context, fid::kdmMemoryType, 1);
      return 1;
    }
    WriteFieldRawById(context, fid::kdmMemoryType, value == 1 || value == 2 ? (value == 1 ? 1 : 0) : 1);
  }
  if (!ReadSubText(t, sub, kBidiSubEmulation, fid::kdmEmulationVersion, context)) return 1;
  ReadSubText(t, sub, kBidiSubOther, fid::kdmOther, context);
  return 1;
}

int ApplyBidiCustomMedia(const BidiFunctionTable* t, HANDLE query, DriverContext* context) {
  ResetCustomMediaFeatures(context);
  DWORD needed = 0;
  t->getItem(query, kBidiKindCustomCount, nullptr, 0, &needed);
  if (needed == 0) return 1;
  std::vector<BYTE> countBytes(needed, 0);
  DWORD got = needed;
  const long n = t->getItem(query, kBidiKindCustomCount, countBytes.data(), needed, &got);
  if (n <= 0) return 1;

  std::vector<DWORD> ids, charsets;
  bool answered = false;
  if (!ReadEntries(t, query, kBidiKindCustomMedia, &ids, &answered, context)) return 0;
  if (!answered) return 1;
  // The names: the buffer is sized from the answer's own size (never from the count), and
  // each name ends at the buffer's end or after 256 characters.
  DWORD namesSize = 0;
  t->getItem(query, kBidiKindCustomNames, nullptr, 0, &namesSize);
  if (namesSize == 0) return 1;
  std::vector<char> names(namesSize, 0);
  got = namesSize;
  if (t->getItem(query, kBidiKindCustomNames, names.data(), namesSize, &got) == -1) return 0;
  if (got > namesSize) got = namesSize;
  if (!ReadEntries(t, query, kBidiKindCustomCharsets, &charsets, &answered, context)) return 0;
  if (!answered) return 1;

  WriteFieldRawById(context, fid::wdmCustomMediaDataNum, static_cast<DWORD>(n));
  const CustomMediaIdRow* slots = GetCustomMediaIdTable();
  std::size_t at = 0;
  for (long k = 0; k < n && slots && slots[k].quotaFieldId != 0; ++k) {
    const CustomMediaIdRow& slot = slots[k];
    if (static_cast<std::size_t>(k) < ids.size()) {
      const DWORD code = MediaCode(context, ids[static_cast<std::size_t>(k)]);
      WriteFieldRawById(context, slot.quotaFieldId, code ? code : 1);
    }
    if (at < got) {
      std::size_t end = at;
      while (end < got && names[end] != '\0') ++end;
      const std::size_t length = end - at;
      std::vector<char> name(names.begin() + static_cast<std::ptrdiff_t>(at), names.begin() + static_cast<std::ptrdiff_t>(end));
      name.push_back('\0');
      StoreAnsiText(context, slot.nameFieldId, name.data(), length < kCustomNameChars ? length : kCustomNameChars);
      at = end + 1;
    }
    if (static_cast<std::size_t>(k) < charsets.size())
      WriteFieldRawById(context, slot.charSetFieldId, charsets[static_cast<std::size_t>(k)]);
  }
  return 1;
}

// The allowed-model list of the second model INI; true when the reported name may be
// asked.
bool ModelAllowed(DriverContext* context, const WCHAR* reported, const WCHAR* databaseEntry) {
  const WCHAR* secondIni = GetSecondIniPath(context);
  const WCHAR* model = GetModelName(context);
  const bool check = IsBidiModelCheckEnabled(context) != 0;
  for (int i = 1;; ++i) {
    WCHAR section[32] = {};
    WCHAR digits[12] = {};
    int d = 0;
    for (int v = i; v > 0 && d < 11; v /= 10) digits[d++] = static_cast<WCHAR>(u'0' + v % 10);
    const char16_t prefix[] = u"Models";
    int s = 0;
    for (; prefix[s]; ++s) section[s] = prefix[s];
    while (d > 0) section[s++] = digits[--d];
    WCHAR value[kModelChars] = {};
    if (secondIni && model) GetPrivateProfileStringW(section, model, u"", value, kModelChars, secondIni);
    if (value[0] == 0) {
      if (i == 1) return !check || std::char_traits<char16_t>::compare(reported, databaseEntry, kModelChars) == 0;
      return false;
    }
    if (check && std::char_traits<char16_t>::compare(reported, value, kModelChars) == 0) return true;
  }
}

int ReadSwitch(DriverContext* context, const char16_t* key) {
  if (!context) return 0;
  if (GetStateByte(context, fid::KPD_kdmServerClientMode) == 1) return 0;
  const WCHAR* path = GetUserIniPath(context);
  const WCHAR* section = GetLanguageCodeCopy(context);
  // Only a path with a drive letter names the printer's settings file.
  if (!path || !section || path[0] == 0 || path[1] != u':') return 1;
  return GetPrivateProfileIntW(section, key, 1, path) == 1 ? 1 : 0;
}

}  // namespace

int ProbeBidiPrinter(DWORD flags, DriverContext* context) {
  if (!context) return 0;
  BidiBinding binding;
  return BindAndOpen(flags, context, &binding) ? 1 : 0;
}

int RunBidiQuery(DWORD flags, DriverContext* context) {
  if (!context) return 0;
  const WCHAR* entry = GetModelDatabaseEntry(context);
  if (!entry || entry[0] == 0) return 0;
  WCHAR databaseEntry[kModelChars] = {};
  for (DWORD i = 0; i + 1 < kModelChars && entry[i]; ++i) databaseEntry[i] = entry[i];

  BidiBinding binding;
  if (!BindAndOpen(flags, context, &binding)) return 0;
  const BidiFunctionTable* t = &binding.table;
  WCHAR reported[kModelChars + 1] = {};
  if (!t->getModelName(binding.handle, 0, reported, kModelChars)) {
    NoteLibraryFailure(context);
    return 0;
  }
  reported[kModelChars - 1] = 0;
  if (!ModelAllowed(context, reported, databaseEntry)) return 0;

  DWORD queryFlags = kBidiQueryStatus;
  if (!(flags & kBidiStatusOnly)) {
    queryFlags = kBidiQueryConfiguration;
    if (IsModelMaskSet(context, 1)) queryFlags |= kBidiQueryCustomMedia;
  }
  HANDLE query = nullptr;
  DWORD unused = 0;
  SetLastError(0);
  if (!t->startQuery(binding.handle, &query, queryFlags, &unused) && GetLastError() != kBidiErrorPending) {
    NoteLibraryFailure(context);
    return 0;
  }
  return (flags & kBidiStatusOnly) ? ApplyBidiStatus(t, binding.handle, query, context)
                                   : ApplyBidiConfiguration(t, binding.handle, query, context);
}

int ApplyBidiConfiguration(const BidiFunctionTable* table, HANDLE handle, HANDLE query, DriverContext* context) {
  if (!table || !context) return 0;
  BYTE* area = GetArea2(context);
  const DWORD size = GetArea2Size();
  if (!area || size == 0) return 0;
  std::vector<BYTE> saved(area, area + size);
  for (int index : {6, 7, 8}) ClearValueSet(context, index);
  int ok = ApplyBidiTrays(table, query, context) && ApplyBidiOptions(table, query, context) &&
           ApplyBidiMemory(table, query, context) && ApplyBidiSystemVersion(table, query, context);
  if (ok && IsModelMaskSet(context, 1)) ok = ApplyBidiCustomMedia(table, query, context);
  if (!ok) {
    std::memcpy(GetArea2(context), saved.data(), size);
    return 0;
  }
  NotifyModules(context, kEventBidiApplied, nullptr);
  ApplyBidiSubQuery(table, handle, context);
  SaveDeviceSettings(context->hPrinter, context, 2, 1);
  return 1;
}

int ApplyBidiStatus(const BidiFunctionTable* table, HANDLE handle, HANDLE query, DriverContext* context) {
  if (!table || !context) return 0;
  if (!ApplyBidiSystemVersion(table, query, context)) return 0;
  HANDLE sub = nullptr;
  if (OpenSubQuery(table, handle, &sub, context)) ReadSubText(table, sub, kBidiSubEmulation, fid::kdmEmulationVersion, context);
  return 1;
}

namespace {

int QueryFrame(DriverContext* context, HWND parent, DWORD flags, bool full) {
  if (!context) return 0;
  if (!IsBidiQueryEnabled(context)) {
    if (full) SetStateByte(context, fid::KPD_kdmBiDirect, 0);
    return 1;
  }
  int result = 0;
  if (IsBidiEnabled(context) && ProbeBidiPrinter(flags, context)) {
    HWND progress = (flags & kBidiShowProgress) ? ShowProgressWindow(context, parent, kProgressText) : nullptr;
    result = RunBidiQuery(flags, context);
    if (progress) CloseProgressWindow(progress);
  }
  if (full) {
    if (result) {
      SetBidiFlag(context->hPrinter, 1, context);
      SetBidiFunc(context->hPrinter, static_cast<BYTE>(GetStateByte(context, fid::KPD_kdmBidiFunc)), context);
      SetStateByte(context, fid::KPD_kdmBiDirect, 1);
      // A user who cannot write printer data keeps the answers in the cache INI until an
      // administrator's context moves them.
      if (CanWriteBidiPrinterData(context)) {
        ClearBidiCacheIni(context);
      } else if (GetStateByte(context, fid::KPD_kdmServerClientMode) != 1) {
        SaveBidiCacheIni(context);
      }
    } else {
      SetStateByte(context, fid::KPD_kdmBiDirect, 0);
    }
  }
  if (!result) {
    EmptyText(context, fid::kdmSystemVersion);
    EmptyText(context, fid::kdmEmulationVersion);
  }
  return result;
}

}  // namespace

int QueryPrinterBidi(DriverContext* context, HWND parent, DWORD flags) {
  // A printer filled from its configuration server takes the server's answers: it is not
  // asked.
  if ((IsBuildFeatureEnabled(0) || IsBuildFeatureEnabled(7)) && GetConfigConnectorState(context) == 1) return 1;
  return QueryFrame(context, parent, flags & ~kBidiStatusOnly, true);
}
int QueryPrinterBidiWithProgress(DriverContext* context, HWND parent) {
  return QueryPrinterBidi(context, parent, kBidiShowProgress);
}
int QueryPrinterBidiSilent(DriverContext* context) { return QueryPrinterBidi(context, nullptr, kBidiSilent); }
int QueryPrinterStatusBidi(DriverContext* context, HWND parent) {
  return QueryFrame(context, parent, kBidiShowProgress | kBidiStatusOnly, false);
}

int SetBidiStateFromSupport(DriverContext* context) {
  if (context) SetStateByte(context, fid::KPD_kdmBiDirect, IsBidiQueryEnabled(context) ? 1 : 0);
  return 1;
}
int IsBidiQueryEnabled(DriverContext* context) { return ReadSwitch(context, u"bIsBIDISupportForKOVA"); }
int IsBidiModelCheckEnabled(DriverContext* context) { return ReadSwitch(context, u"bIsBIDISupportForKOVAModel"); }

int RequestBidiQueryFromModules(DriverContext* context, HWND parent) {
  BidiQueryEventBlock block{parent, 0};
  NotifyModules(context, MODEV_BIDI_QUERY, &block);
  return block.answer;
}
int RefreshBidiSettings(DriverContext* context, HWND parent) {
  if (!context) return 0;
  if (!IsBidiQueryEnabled(context)) return 1;
  if (GetStateByte(context, fid::KPD_kdmServerClientMode) != 1 && HasBidiCacheIni(context)) {
    return IsBidiCacheIniSet(context) ? SetBidiStateFromSupport(context) : RequestBidiQueryFromModules(context, parent);
  }
  std::int32_t requery = 0;
  if (IsBidiFlagSet(context->hPrinter, context)) NotifyModules(context, kEventBidiRequery, &requery);
  if (!IsBidiFlagSet(context->hPrinter, context) || requery != 0) return RequestBidiQueryFromModules(context, parent);
  SetBidiStateFromSupport(context);
  BYTE func = 0;
  GetPrinterDataValue(context->hPrinter, &func, 1, u"BidiFunc", 0);
  SetStateByte(context, fid::KPD_kdmBidiFunc, func);
  return 1;
}

void ShowBidiProgressWindow(DriverContext* context, HWND parent) { ShowWarningBox(context, parent, kWarningNotAsked); }

DWORD MapBidiTrayId(DWORD printerTrayId) { return FindFirst(GetTwoWayTrayCodeTable(), printerTrayId); }

const DWORD* GetBidiTrayPriorityList() { return kTrayPriority; }

DWORD PickPreferredTray(const DWORD* trays, int count) {
  DWORD best = 0;
  int bestRank = kBidiTrayPriorityCount;
  for (int i = 0; trays && i < count; ++i) {
    for (int r = 0; r < bestRank; ++r) {
      if (kTrayPriority[r] == trays[i]) {
        best = trays[i];
        bestRank = r;
        break;
      }
    }
  }
  return best;
}

void SetBidiErrorSink(BidiErrorSink sink) { g_errorSink.store(sink); }

std::int32_t MapBidiErrorToApi(DWORD win32Error) {
  struct Row {
    DWORD win32;
    std::int32_t api;
  };
  static const Row kRows[] = {{2, 200},  {7, 200},  {5, 200},  {103, 200}, {59, 200}, {101, 200}, {55, 200},
                              {57, 200}, {8, 200},  {9, 200},  {58, 200},  {60, 200}, {1, 200},   {6, 200},
                              {17, 200}, {18, 200}, {14, 201}, {56, 201},  {10, 202}, {102, 0}};
  static_assert(sizeof kRows / sizeof kRows[0] == 20);
  for (const Row& row : kRows)
    if (row.win32 == win32Error) return row.api;
  return 200;
}
