// The chapter module: its built-in functions 300-307 and its events (the chapter list in the
// device settings, settings files and snapshots; the chapter default trays).
#include <cstring>

#include "base/deliverable.h"
#include "stored/devmode_checks.h"
#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/memory.h"
#include "stored/module_services.h"
#include "base/settings_field.h"
#include "stored/snapshot_ring.h"
#include "field_ids.h"
#include "context/chapter_list.h"
#include "context/module_events.h"
#include "context/module_hooks.h"
#include "modules/module_ui.h"
#include "outside/bidi_query.h"
#include "stored/device_settings.h"
#include "stored/preset_list.h"
#include "stored/section_transfer.h"

namespace {

constexpr WORD kFirstChapterField = fid::wdmChapterNum;       // 996
constexpr WORD kLastChapterField = fid::wdmChapterUseTray8;   // 1009
constexpr WORD kDeleteButton = 2802;
constexpr DWORD kReportedTray1 = 4;
constexpr WORD kChapterPage = 1044;

void ReplaceUseTray(DriverContext* context, DWORD oldTray, DWORD newTray) {
  static const WORD kUse[] = {fid::wdmChapterUseTray1, fid::wdmChapterUseTray2, fid::wdmChapterUseTray3,
                              fid::wdmChapterUseTray4, fid::wdmChapterUseTray5, fid::wdmChapterUseTray6,
                              fid::wdmChapterUseTray7, fid::wdmChapterUseTray8};
  for (WORD f : kUse) {
    if (ReadFieldRawById(context, f) == oldTray) {
      WriteFieldRawById(context, f, newTray);
      return;
    }
  }
}

// The rules re-check one value through a work field; the value the rules leave.
DWORD Recheck(DriverContext* context, WORD workField, DWORD value) {
  WriteFieldRawById(context, workField, value);
  RefreshOptionControl(context, workField);
  return ReadFieldRawById(context, workField);
}

// Event 11: every chapter's tray and print value (and in the settings API its kind) as the
// rules allow them now.
void RevalidateChapters(DriverContext* context) {
  const DWORD savedTray = ReadFieldRawById(context, fid::wdmChapterTray);
  const DWORD savedPrint = ReadFieldRawById(context, fid::wdmChapterPrint);
  const DWORD savedKind = ReadFieldRawById(context, fid::wdmChapterKind);
  const bool kinds = CurrentDeliverable() == Deliverable::SettingsApi;
  const int max = ChapterMaxOf(context);
  for (int i = 0; i < max; ++i) {
    ChapterEntry* e = GetChapterEntry(context, i);
    if (!e) break;
    if (kinds) e->kind = static_cast<BYTE>(Recheck(context, fid::wdmChapterKind, e->kind));
    const DWORD tray = Recheck(context, fid::wdmChapterTray, e->trayValue) & 0xFFFF;
    if (tray != e->trayValue) {
      ReplaceUseTray(context, e->trayValue, tray);
      e->trayValue = static_cast<WORD>(tray);
    }
    e->mode = static_cast<BYTE>(Recheck(context, fid::wdmChapterPrint, e->mode));
  }
  WriteFieldRawById(context, fid::wdmChapterTray, savedTray);
  WriteFieldRawById(context, fid::wdmChapterPrint, savedPrint);
  if (kinds) WriteFieldRawById(context, fid::wdmChapterKind, savedKind);
}

std::int32_t LoadChapterDeviceData(DriverContext* context, std::int32_t* answer) {
  WorkArea* work = context->work;
  if (work->chapterDataLoaded) {
    if (answer) *answer = 1;
    return 1;
  }
  work->chapterDataLoaded = 1;
  const int result = LoadDeviceSettingsKind(context->hPrinter, context, 3, DSL_INI_MODE);
  ReadChapterLimits(context);
  SendModuleEvent11(context);
  if (answer) *answer = result;
  return 1;
}

bool IsChapterField(const SettingField* field) {
  return field && field->id >= kFirstChapterField && field->id <= kLastChapterField;
}

void TransferWithFile(DriverContext* context, const SettingsTransferEvent* b) {
  const DWORD f = b->flags;
  SettingField* num = FindFieldById(context, fid::wdmChapterNum);
  const bool s = num && ((num->marks >> 2) & 3) != 0;
  if (f == 1 || ((f & 4) && (f & 1) && s) || ((f & 8) && (f & 1))) {
    LoadChapterList(context, b->path, f);
  } else if (f == 2 || ((f & 4) && (f & 2) && s)) {
    SaveChapterList(context, b->path);
  }
}

// The copies of the list that follow the settings snapshots: one per snapshot depth, so a
// restore puts back the list its own push saved, however the snapshots nest.
constexpr int kSnapshotDepths = 3 + kMaxExtraSnapshots;
struct ChapterSnapshotCopies {
  DWORD capacity[kSnapshotDepths];
  ChapterEntry* lists[kSnapshotDepths];
};

// The copy of the snapshot being pushed or restored: the ring has already counted a push
// and not yet uncounted a pop. An event that no push sent uses the first copy.
int SnapshotCopyIndex(DriverContext* context) {
  const int depth = SettingsSnapshotDepth(context);
  if (depth <= 0) return 0;
  return depth < kSnapshotDepths ? depth - 1 : kSnapshotDepths - 1;
}

void FreeSnapshotCopies(ChapterModuleData* data) {
  if (!data || !data->savedList) return;
  auto* copies = static_cast<ChapterSnapshotCopies*>(data->savedList);
  for (ChapterEntry* list : copies->lists) FreeMem(list);
  FreeMem(copies);
  data->savedList = nullptr;
}

void SnapshotList(DriverContext* context, ChapterModuleData* data, bool save) {
  int capacity = 0;
  ChapterEntry* list = ChapterArray(context, &capacity);
  if (!list || !data || capacity <= 0) return;
  const std::size_t bytes = static_cast<std::size_t>(capacity) * sizeof(ChapterEntry);
  auto* copies = static_cast<ChapterSnapshotCopies*>(data->savedList);
  const int at = SnapshotCopyIndex(context);
  if (save) {
    if (!copies) {
      copies = static_cast<ChapterSnapshotCopies*>(AllocMem(sizeof(ChapterSnapshotCopies)));
      if (!copies) return;
      data->savedList = copies;
    }
    if (!copies->lists[at] || copies->capacity[at] != static_cast<DWORD>(capacity)) {
      FreeMem(copies->lists[at]);
      copies->lists[at] = static_cast<ChapterEntry*>(AllocMem(static_cast<DWORD>(bytes)));
      copies->capacity[at] = copies->lists[at] ? static_cast<DWORD>(capacity) : 0;
      if (!copies->lists[at]) return;
    }
    std::memcpy(copies->lists[at], list, bytes);
    return;
  }
  if (!copies || !copies->lists[at]) return;
  const DWORD n = copies->capacity[at] < static_cast<DWORD>(capacity) ? copies->capacity[at]
                                                                       : static_cast<DWORD>(capacity);
  std::memset(list, 0, bytes);
  std::memcpy(list, copies->lists[at], n * sizeof(ChapterEntry));
}

}  // namespace

int DeleteChapterEntry(DriverContext* context, int n) {
  const int count = static_cast<int>(ReadFieldRawById(context, fid::wdmChapterNum));
  ChapterEntry* e = GetChapterEntry(context, n);
  if (!e) return -1;
  if (!context->work->chapterSavedCount) context->work->chapterSavedCount = static_cast<WORD>(count + 1);
  std::memmove(e, e + 1, static_cast<std::size_t>(count - n - 1) * sizeof(ChapterEntry));
  std::memset(GetChapterEntry(context, count - 1), 0, sizeof(ChapterEntry));
  WriteFieldRawById(context, fid::wdmChapterNum, static_cast<DWORD>(count - 1));
  return n < count - 1 ? n : count - 2;
}

void ClearChapterEntries(DriverContext* context) {
  const int count = static_cast<int>(ReadFieldRawById(context, fid::wdmChapterNum));
  if (!context || !context->work) return;
  if (!context->work->chapterSavedCount) context->work->chapterSavedCount = static_cast<WORD>(count + 1);
  for (int i = 0; i < count; ++i)
    if (ChapterEntry* e = GetChapterEntry(context, i)) std::memset(e, 0, sizeof *e);
  WriteFieldRawById(context, fid::wdmChapterNum, 0);
}

std::int32_t ChapterModuleItem(DriverContext* context, WORD number, void*) {
  if (!context || !context->work) return 0;
  switch (number) {
    case 300:
      if (WORD warning = ApplyChapterPageText(context)) ShowModuleWarning(context, warning, false);
      break;
    case 301: {
      if (ShowModuleWarning(context, 10064, true) != 1) break;
      const int next = DeleteChapterEntry(context, static_cast<int>(context->work->chapterSelection));
      if (next >= 0) context->work->chapterSelection = static_cast<DWORD>(next);
      break;
    }
    case 302:
      if (ShowModuleWarning(context, 12001, true) != 1) break;
      ClearChapterEntries(context);
      context->work->chapterSelection = 0;
      break;
    case 303: CopyMediaTypeToOthers(context, fid::kdmCoverMediaType); break;
    case 304: CopyMediaTypeToOthers(context, fid::kdmBackCoverMediaType); break;
    case 305: CopyMediaTypeToOthers(context, fid::kdmMPInputMediaType); break;
    case 306: CopyMediaTypeToOthers(context, fid::kdmChapterMediaType); break;
    case 307: CopyMediaTypeToOthers(context, fid::kdmReverseCoverMediaType); break;
    default: return 0;
  }
  return 1;
}

// PENDING: the chapter module's own page handlers answer the chapter pages' control messages
// here (pages 1030, 1031, 1042, 1043, 1044, 4014: tray combos, chapter lists and tray
// labels); until they come every message goes on to the control kinds.
std::int32_t ChapterModuleMessage(DriverContext*, PageRecord*, ControlRecord*, DWORD, WPARAM, LPARAM, void*) {
  return 0;
}

std::int32_t ChapterModuleEvent(DriverContext* context, DWORD event, void* block, void* privateData) {
  auto* data = static_cast<ChapterModuleData*>(privateData);
  // Events 1 and 2 start and end the module; neither stops the walk.
  if (event == MODEV_LOAD) {
    if (data) data->savedList = nullptr;
    return 0;
  }
  if (event == MODEV_FREE) {
    FreeSnapshotCopies(data);
    return 0;
  }
  if (!context || !context->work) return 0;
  switch (event) {
    case MODEV_GREY_STATE: {
      auto* b = static_cast<GreyStateEventBlock*>(block);
      if (!b || !b->control || b->control->controlId != kDeleteButton) return 0;
      const ChapterEntry* e = GetChapterEntry(context, static_cast<int>(context->work->chapterSelection));
      AnswerGreyState(b, !e || e->pageNumber == 0);
      return 1;
    }
    case MODEV_DEVICE_SAVE_FIELD:
    case MODEV_DEVICE_LOAD_FIELD: {
      auto* b = static_cast<DeviceFieldEvent*>(block);
      if (!b || IsChapterField(b->field)) return 0;
      b->skip = 1;
      return 1;
    }
    case MODEV_SETTINGS_FIELD: return 0;
    case MODEV_TRAY_FLAG_TEST: {
      auto* b = static_cast<TrayFlagEventBlock*>(block);
      if (!b) return 1;
      static const DWORD kBits[] = {0xE0, 0x20, 0x40, 0x80};
      b->answer = b->query < 4 && (b->flags & kBits[b->query]) ? 1 : 0;
      return 1;
    }
    case MODEV_TRAY_REPORTED: {
      auto* b = static_cast<TrayReportedEventBlock*>(block);
      if (!b) return 1;
      for (int k = 0; k < 3; ++k) {
        if (!(b->flags & (0x20u << k))) continue;
        WriteFieldRawById(context, static_cast<WORD>(fid::kdmChapterDefTray1 + k), b->tray);
        if (b->reportedMask) *b->reportedMask = static_cast<BYTE>(*b->reportedMask | (kReportedTray1 << k));
        break;
      }
      return 1;
    }
    case MODEV_TRAYS_RESET:
      // Before the printer reports its trays the chapter default trays go back to the tray
      // the two-way tray table gives printer tray 3, none of them reported.
      for (int k = 0; k < 3; ++k)
        WriteFieldRawById(context, static_cast<WORD>(fid::kdmChapterDefTray1 + k), MapBidiTrayId(3));
      context->work->chapterTraysReported &= static_cast<BYTE>(~(4u | 8u | 16u));
      return 1;
    case MODEV_REVALIDATE:
      RevalidateChapters(context);
      return 1;
    case MODEV_QUERY_YES_NO: return LoadChapterDeviceData(context, static_cast<std::int32_t*>(block));
    case MODEV_PUBLIC_TAKEN:
      if (ReadFieldRawById(context, fid::kdmFuncSelectChapter)) QueryModulesYesNo(context);
      return 1;
    case MODEV_DEVICE_LOADED:
    case MODEV_DEVICE_SAVED: {
      auto* b = static_cast<DeviceWalkEvent*>(block);
      if (b && b->area == 3 && b->mode == DSL_INI_MODE) {
        if (event == MODEV_DEVICE_LOADED) LoadChapterList(context, nullptr, 0);
        else SaveChapterList(context, nullptr);
      }
      return 0;
    }
    case MODEV_SETTINGS_TRANSFERRED:
      if (block) TransferWithFile(context, static_cast<SettingsTransferEvent*>(block));
      return 0;
    case MODEV_PAGE_CLOSED: {
      auto* b = static_cast<PageClosedEventBlock*>(block);
      if (!b || !b->page || b->page->pageId != kChapterPage) return 0;
      if (b->result == 1) {
        AssignChapterUseTrays(context);
      } else if (b->result == 2 && context->work->chapterSavedCount) {
        WriteFieldRawById(context, fid::wdmChapterNum, context->work->chapterSavedCount - 1u);
      }
      context->work->chapterSavedCount = 0;
      return 0;
    }
    case MODEV_SNAPSHOT_PUSH: SnapshotList(context, data, true); return 0;
    case MODEV_SNAPSHOT_RESTORE: SnapshotList(context, data, false); return 0;
    default: return 0;
  }
}
