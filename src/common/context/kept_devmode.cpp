#include "context/kept_devmode.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "fields/change_flags.h"
#include "base/driver_context.h"
#include "context/field_defaults_memo.h"
#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "base/settings_field.h"
#include "base/system_checks.h"
#include "base/wide_text.h"
#include "win/kernel.h"
#include "win/notify.h"
#include "win/registry.h"
#include "win/sync.h"

namespace {

constexpr DWORD kUserChars = 257;
constexpr int kMaxFolders = 4;
constexpr std::int32_t kDirtyUnset = std::numeric_limits<std::int32_t>::min();
// Jobs come and go while a printer prints: they never feed the settings.
constexpr DWORD kPrinterChanges = PRINTER_CHANGE_PRINTER | PRINTER_CHANGE_FORM | PRINTER_CHANGE_PRINTER_DRIVER;
constexpr DWORD kFolderChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;
constexpr DWORD kKeyChanges = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_THREAD_AGNOSTIC;

bool Fired(HANDLE h) { return WaitForSingleObject(h, 0) != WAIT_TIMEOUT; }

// The notifications of what a default build reads beyond the context.
struct Watches {
  HANDLE printer = INVALID_HANDLE_VALUE;
  HANDLE keyEvents[2] = {nullptr, nullptr};  // HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER
  bool keyArmed[2] = {false, false};
  HANDLE folders[kMaxFolders] = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE,
                                 INVALID_HANDLE_VALUE};
  WCHAR folderPaths[kMaxFolders][MAX_PATH + 1] = {};
  bool folderSubtree[kMaxFolders] = {};
  int folderCount = 0;
  bool complete = false;  // every notification could be had

  ~Watches() {
    if (printer != INVALID_HANDLE_VALUE) FindClosePrinterChangeNotification(printer);
    for (HANDLE e : keyEvents)
      if (e) CloseHandle(e);
    for (int i = 0; i < folderCount; ++i) FindCloseChangeNotification(folders[i]);
  }

  // Nothing fired since the last Rearm.
  bool Quiet() const {
    if (!complete || Fired(printer)) return false;
    for (HANDLE e : keyEvents)
      if (Fired(e)) return false;
    for (int i = 0; i < folderCount; ++i)
      if (Fired(folders[i])) return false;
    return true;
  }

  void AddFolder(const WCHAR* path, bool subtree) {
    if (!path || !path[0]) return;
    WCHAR folder[MAX_PATH + 1] = {};
    CopyWide(folder, MAX_PATH + 1, path);
    WCHAR* cut = nullptr;
    for (WCHAR* p = folder; *p; ++p)
      if (*p == u'\\') cut = p;
    if (!cut) return;
    // "C:\" keeps its separator.
    cut[cut == folder + 2 ? 1 : 0] = 0;
    AddFolderItself(folder, subtree);
  }

  // A folder that does not exist yet is watched through the nearest one above it, with
  // its subtree: the file's folder appearing is a change there.
  void AddFolderItself(const WCHAR* path, bool subtree) {
    if (folderCount == kMaxFolders) {
      complete = false;
      return;
    }
    WCHAR folder[MAX_PATH + 1] = {};
    CopyWide(folder, MAX_PATH + 1, path);
    for (;;) {
      for (int i = 0; i < folderCount; ++i)
      if (WideEquals(folderPaths[i], folder) && folderSubtree[i] == subtree) return;  // watched already
    HANDLE h = FindFirstChangeNotificationW(folder, subtree, kFolderChanges);
      if (h != INVALID_HANDLE_VALUE) {
        CopyWide(folderPaths[folderCount], MAX_PATH + 1, folder);
        folderSubtree[folderCount] = subtree;
        folders[folderCount++] = h;
        return;
      }
      WCHAR* cut = nullptr;
      for (WCHAR* p = folder; *p; ++p)
        if (*p == u'\\' && p[1]) cut = p;
      if (!cut || cut < folder + 2) {
        complete = false;
        return;
      }
      cut[cut == folder + 2 ? 1 : 0] = 0;
      subtree = true;
    }
  }

  // Starts watching (the first time) or takes the notifications back to quiet; what
  // changes from now on fires them.
  void Rearm(DriverContext* context) {
    if (printer == INVALID_HANDLE_VALUE) {
      complete = true;
      printer = FindFirstPrinterChangeNotification(context->hPrinter, kPrinterChanges, 0, nullptr);
      if (printer == INVALID_HANDLE_VALUE) complete = false;
      for (HANDLE& e : keyEvents) {
        e = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!e) complete = false;
      }
      // The INI files of the user, the printer's model and the install, and the system's.
      AddFolder(GetUserIniPath(context), false);
      AddFolder(GetSecondIniPath(context), false);
      AddFolder(GetInstallIniPath(context), false);
      WCHAR windows[MAX_PATH + 1] = {};
      const UINT n = GetWindowsDirectoryW(windows, MAX_PATH + 1);
      if (n == 0 || n > MAX_PATH) complete = false;
      else AddFolderItself(windows, true);
    } else {
      if (printer != INVALID_HANDLE_VALUE) {
        DWORD change = 0;
        FindNextPrinterChangeNotification(printer, &change, nullptr, nullptr);
      }
      for (int i = 0; i < folderCount; ++i) FindNextChangeNotification(folders[i]);
    }
    const HKEY roots[2] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
    for (int i = 0; i < 2; ++i) {
      if (!keyEvents[i]) continue;
      // A request ends when it sets its event: only then is it asked again.
      if (keyArmed[i] && !Fired(keyEvents[i])) continue;
      ResetEvent(keyEvents[i]);
      keyArmed[i] = RegNotifyChangeKeyValue(roots[i], TRUE, kKeyChanges, keyEvents[i], TRUE) == ERROR_SUCCESS;
      if (!keyArmed[i]) complete = false;
    }
  }
};

struct FieldMark {
  int index;
  WORD bits;
};

// Who asked and for what: a kept outcome serves the same again only.
struct Request {
  WORD mode = 0;
  WORD adminTest = 0;
  DWORD systemAnswers = 0;
  DWORD fieldFlags = 0;  // the fields' run-time flags, which decide the change flags raised
  WCHAR user[kUserChars] = {};

  bool Read(const DriverContext* context, WORD m) {
    mode = m;
    adminTest = context->work->adminTest;
    systemAnswers = SystemTestGeneration();
    fieldFlags = PageFieldFlagsGeneration();
    DWORD size = kUserChars;
    return GetUserNameW(user, &size) != FALSE;
  }
  bool operator==(const Request& o) const {
    return mode == o.mode && adminTest == o.adminTest && systemAnswers == o.systemAnswers &&
           fieldFlags == o.fieldFlags &&
           WideEquals(user, o.user);
  }
};

}  // namespace

struct KeptDevmode {
  Watches watches;
  bool valid = false;
  Request request;
  DWORD size = 0;
  std::vector<BYTE> settings;
  std::vector<FieldMark> marks;
  DWORD marksAt = 0;  // the marks generation at which the context's marks were last set
  DWORD flagBits = 0;
  DWORD flagKeep = 0xFFFFFFFFu;
  bool dirtyWritten = false;
  std::int32_t dirty = 0;
};

void FreeKeptDevmode(KeptDevmode* kept) { delete kept; }

bool HasKeptDevmode(const DriverContext* context) {
  return context && context->keptDevmode && context->keptDevmode->valid;
}

bool ReplayKeptDevmode(DriverContext* context, WORD mode, const PRINTER_INFO_2W* printerInfo, DWORD refresh) {
  if (!context || !context->settings || !context->work || printerInfo || refresh != 1) return false;
  KeptDevmode* kept = context->keptDevmode;
  if (!kept || !kept->valid || kept->size != GetSettingsBufferSize()) return false;
  if (!FieldDefaultsMemoHolds(context)) return false;
  Request now;
  if (!now.Read(context, mode) || !(now == kept->request)) return false;
  if (!kept->watches.Quiet()) return false;

  std::memcpy(context->settings, kept->settings.data(), kept->size);
  // While no changed mark was written since the last copy or build set them, the marks
  // are as that left them.
  const DWORD marksNow = FieldChangeMarksGeneration();
  if (marksNow != kept->marksAt) {
    SettingField* records = context->fields.records;
    for (const FieldMark& k : kept->marks)
      records[k.index].marks = static_cast<WORD>((records[k.index].marks & ~FIELD_MARK_CHANGED_MASK) | k.bits);
    kept->marksAt = marksNow;
  }
  WorkArea* work = context->work;
  work->changeFlags = (work->changeFlags & kept->flagKeep) | kept->flagBits;
  if (kept->dirtyWritten) work->dirty = kept->dirty;
  return true;
}

struct KeptDevmodeBuild::State {
  DriverContext* context;
  KeptDevmode* kept;
  Request request;
  bool requestRead;
  std::vector<WORD> before;
  DWORD flagsBefore;
  std::int32_t dirtyBefore;
};

KeptDevmodeBuild::KeptDevmodeBuild(DriverContext* context, WORD mode, const PRINTER_INFO_2W* printerInfo,
                                   DWORD refresh)
    : state_(nullptr) {
  if (!context || !context->settings || !context->work || !context->fields.records || context->fields.count <= 0 ||
      printerInfo || refresh != 1)
    return;
  KeptDevmode* kept = context->keptDevmode;
  if (!kept) {
    kept = new (std::nothrow) KeptDevmode;
    if (!kept) return;
    context->keptDevmode = kept;
  }
  kept->valid = false;
  auto* s = new (std::nothrow) State{context, kept, {}, false, {}, 0, 0};
  if (!s) return;
  try {
    s->before.resize(static_cast<std::size_t>(context->fields.count));
  } catch (const std::bad_alloc&) {
    delete s;
    return;
  }
  s->requestRead = s->request.Read(context, mode);
  kept->watches.Rearm(context);
  // The build runs from cleared marks, change flags and dirty word, so that what it
  // raises shows; the context's own words are put back with that applied to them.
  SettingField* records = context->fields.records;
  for (int i = 0; i < context->fields.count; ++i) {
    s->before[i] = records[i].marks;
    records[i].marks = static_cast<WORD>(records[i].marks & ~FIELD_MARK_CHANGED_MASK);
  }
  NoteFieldChangeMarksWritten();
  WorkArea* work = context->work;
  s->flagsBefore = work->changeFlags;
  s->dirtyBefore = work->dirty;
  work->changeFlags = 0;
  work->dirty = kDirtyUnset;
  state_ = s;
}

KeptDevmodeBuild::~KeptDevmodeBuild() { Finish(false); }

void KeptDevmodeBuild::Finish(bool tookDefaults) {
  State* s = state_;
  if (!s) return;
  state_ = nullptr;
  DriverContext* context = s->context;
  KeptDevmode* kept = s->kept;
  SettingField* records = context->fields.records;
  WorkArea* work = context->work;
  bool keepable = tookDefaults && s->requestRead && kept->watches.complete && FieldDefaultsMemoHolds(context);

  std::vector<FieldMark> written;
  for (int i = 0; i < context->fields.count; ++i) {
    const WORD bits = static_cast<WORD>(records[i].marks & FIELD_MARK_CHANGED_MASK);
    records[i].marks = bits ? static_cast<WORD>((s->before[i] & ~FIELD_MARK_CHANGED_MASK) | bits) : s->before[i];
    if (bits && keepable) {
      try {
        written.push_back({i, bits});
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
  work->changeFlags = (s->flagsBefore & keep) | raised;
  const bool dirtyWritten = work->dirty != kDirtyUnset;
  if (!dirtyWritten) work->dirty = s->dirtyBefore;

  if (keepable) {
    const DWORD size = GetSettingsBufferSize();
    try {
      kept->settings.assign(context->settings, context->settings + size);
      kept->marks = std::move(written);
      kept->size = size;
      kept->request = s->request;
      kept->flagBits = raised;
      kept->flagKeep = keep;
      kept->dirtyWritten = dirtyWritten;
      kept->dirty = work->dirty;
      kept->marksAt = FieldChangeMarksGeneration();
      kept->valid = true;
    } catch (const std::bad_alloc&) {
      kept->valid = false;
    }
  }
  delete s;
}
