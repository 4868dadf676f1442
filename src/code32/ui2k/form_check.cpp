#include "form_check.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "context/caller_devmode.h"
#include "context/context_create.h"
#include "stored/devmode_merge.h"
#include "base/driver_context.h"
#include "base/memory.h"
#include "base/ui_strings.h"
#include "entry_frame.h"
#include "install_check.h"
#include "model/capability_lists.h"
#include "win/kernel.h"
#include "win/resources.h"

namespace {

constexpr DWORD kMergeFlags = 0x8000008;
constexpr LONG kSizeTolerance = 1000;  // 1 mm in thousandths

LONG Distance(LONG a, LONG b) { return a > b ? a - b : b - a; }

void CopyFormName(WCHAR (&target)[32], const WCHAR* name) {
  std::memset(target, 0, sizeof(target));
  if (name) lstrcpynW(target, name, 32);
}

void TakeForm(const FORM_INFO_1W& form, DWORD index, DEVMODEW* devmode, FormMatchRecord* record) {
  record->form = form;
  CopyFormName(record->name, form.pName);
  record->form.pName = record->name;
  devmode->dmPaperWidth = static_cast<short>(form.Size.cx / 100);
  devmode->dmPaperLength = static_cast<short>(form.Size.cy / 100);
  devmode->dmPaperSize = static_cast<short>(index + 1);
  devmode->dmFields |= DM_FORMNAME;
  std::memset(devmode->dmFormName, 0, sizeof(devmode->dmFormName));
  if (form.pName) lstrcpynW(devmode->dmFormName, form.pName, 32);
}

void Append(std::u16string& text, const std::string& ascii) { text.append(ascii.begin(), ascii.end()); }

}  // namespace

FORM_INFO_1W* EnumAllForms(HANDLE printer, DWORD* count) {
  *count = 0;
  DWORD needed = 0;
  DWORD returned = 0;
  EnumFormsW(printer, 1, nullptr, 0, &needed, &returned);
  if (needed == 0) return nullptr;
  auto* forms = static_cast<FORM_INFO_1W*>(AllocMem(needed));
  if (!forms) return nullptr;
  if (!EnumFormsW(printer, 1, reinterpret_cast<LPBYTE>(forms), needed, &needed, &returned) || returned == 0) {
    FreeMem(forms);
    return nullptr;
  }
  *count = returned;
  return forms;
}

int MatchJobForm(HANDLE printer, DEVMODEW* devmode, FormMatchRecord* record) {
  DWORD count = 0;
  FORM_INFO_1W* forms = EnumAllForms(printer, &count);
  if (!forms) return kFormNone;
  int result = kFormNone;
  const DWORD fields = devmode->dmFields;
  if ((fields & DM_PAPERLENGTH) && (fields & DM_PAPERWIDTH) && devmode->dmPaperWidth > 0 && devmode->dmPaperLength > 0) {
    const LONG width = devmode->dmPaperWidth * 100L;
    const LONG length = devmode->dmPaperLength * 100L;
    for (DWORD i = 0; i < count; ++i) {
      if (Distance(forms[i].Size.cx, width) <= kSizeTolerance && Distance(forms[i].Size.cy, length) <= kSizeTolerance) {
        TakeForm(forms[i], i, devmode, record);
        FreeMem(forms);
        return kFormMatched;
      }
    }
    std::memset(record, 0, sizeof(*record));
    record->form.Flags = 0;
    record->form.Size = {width, length};
    record->form.ImageableArea = {0, 0, width, length};
    record->form.pName = record->name;
    FreeMem(forms);
    return kFormCustomSize;
  }
  if ((fields & DM_PAPERSIZE) && devmode->dmPaperSize > 0 && static_cast<DWORD>(devmode->dmPaperSize) <= count) {
    const DWORD index = static_cast<DWORD>(devmode->dmPaperSize) - 1;
    TakeForm(forms[index], index, devmode, record);
    result = kFormMatched;
  } else if (fields & DM_FORMNAME) {
    WCHAR wanted[32] = {};
    lstrcpynW(wanted, devmode->dmFormName, 32);
    for (DWORD i = 0; i < count; ++i) {
      WCHAR name[32] = {};
      if (forms[i].pName) lstrcpynW(name, forms[i].pName, 32);
      if (std::memcmp(name, wanted, sizeof(name)) == 0) {
        TakeForm(forms[i], i, devmode, record);
        result = kFormMatched;
        break;
      }
    }
  }
  FreeMem(forms);
  return result;
}

BOOL FormFitsModelPapers(const FormMatchRecord* record, int, int, DriverContext* context) {
  if (!(record->form.Flags & FORM_BUILTIN)) return TRUE;
  const int n = ListPaperSizes(context, nullptr);
  if (n <= 0) return FALSE;
  std::vector<std::int32_t> sizes(2 * static_cast<size_t>(n));
  if (ListPaperSizes(context, sizes.data()) != n) return FALSE;
  const LONG cx = record->form.Size.cx;
  const LONG cy = record->form.Size.cy;
  for (int i = 0; i < n; ++i) {
    const LONG w = sizes[2 * static_cast<size_t>(i)] * 100L;
    const LONG l = sizes[2 * static_cast<size_t>(i) + 1] * 100L;
    // The same size (within 0.1 mm), or a paper at least as large in both dimensions.
    if (Distance(w, cx) <= 100 && Distance(l, cy) <= 100) return TRUE;
    if (w >= cx && l >= cy) return TRUE;
  }
  return FALSE;
}

int FormatErrorText(HMODULE module, WCHAR* buffer, DWORD size, DWORD* needed, const WCHAR* format,
                    const ULONG_PTR* arguments, int argumentCount) {
  std::u16string text;
  int next = 0;
  auto argument = [&]() -> ULONG_PTR { return next < argumentCount ? arguments[next++] : 0; };
  for (const WCHAR* p = format; p && *p; ++p) {
    if (*p != u'%' || !p[1]) {
      text.push_back(*p);
      continue;
    }
    const WCHAR kind = *++p;
    char number[32] = {};
    switch (kind) {
      case u'!': {
        WCHAR loaded[257] = {};
        if (module) LoadStringW(module, static_cast<UINT>(argument()), loaded, 257);
        else argument();
        text += loaded;
        break;
      }
      case u'c':
        text.push_back(static_cast<WCHAR>(argument()));
        break;
      case u'd':
        std::snprintf(number, sizeof(number), "%ld", static_cast<long>(static_cast<std::int32_t>(argument())));
        Append(text, number);
        break;
      case u'u':
        std::snprintf(number, sizeof(number), "%lu", static_cast<unsigned long>(static_cast<std::uint32_t>(argument())));
        Append(text, number);
        break;
      case u'x':
      case u'X':
        std::snprintf(number, sizeof(number), kind == u'x' ? "%lx" : "%lX",
                      static_cast<unsigned long>(static_cast<std::uint32_t>(argument())));
        Append(text, number);
        break;
      case u's': {
        const auto* s = reinterpret_cast<const WCHAR*>(argument());
        if (s) text += s;
        break;
      }
      default:
        text.push_back(kind);
        break;
    }
  }
  if (needed) *needed = static_cast<DWORD>(text.size() + 1);
  if (!buffer || size == 0) return 0;
  const size_t n = text.size() < size ? text.size() : size - 1;
  std::memcpy(buffer, text.data(), n * sizeof(WCHAR));
  buffer[n] = 0;
  return static_cast<int>(n);
}

BOOL CheckJobForm(DEVQUERYPRINT_INFO* info, DEVMODEW*, DriverContext* context) {
  // The job's own device-mode is tied to the form and receives its name, index and size.
  DEVMODEW* devmode = info->pDevMode;
  FormMatchRecord record{};
  const int match = MatchJobForm(info->hPrinter, devmode, &record);
  bool fits = true;
  if (match == kFormMatched) {
    const bool manual = (devmode->dmFields & DM_DEFAULTSOURCE) &&
                        (devmode->dmDefaultSource == DMBIN_MANUAL || devmode->dmDefaultSource == DMBIN_ENVMANUAL);
    if (manual) fits = FormFitsModelPapers(&record, 0, 0, context) != 0;
  } else if (match == kFormCustomSize) {
    fits = FormFitsModelPapers(&record, 0, 0, context) != 0;
  }
  if (fits) return TRUE;
  // The job cannot print on this printer: say why in the caller's buffer.
  const ULONG_PTR arguments[] = {kFormDoesNotFitStringId};
  DWORD needed = 0;
  FormatErrorText(GetUiResourceModule(context), info->pszErrorStr, info->pszErrorStr ? info->cchErrorStr : 0,
                  &needed, u"%!", arguments, 1);
  info->cchNeeded = needed;
  return FALSE;
}

BOOL DoDevQueryPrintEx(DEVQUERYPRINT_INFO* info) {
  if (!info) return FALSE;
  // A job device-mode the driver may not read (none, or one whose public part is shorter
  // than the members the check reads and writes) is left as it is: the job goes on.
  if (!UsableCallerDevmode(info->pDevMode, kCallerSizeNotGiven)) return TRUE;
  HANDLE printer = info->hPrinter;
  EntryFrame frame;
  frame.Begin(printer, false);
  if (CheckPendingInstallWork(printer, 1, frame.printerInfo(), frame.driverInfo()) != 1) return TRUE;
  DriverContext* context =
      CreateContextWithInfos(printer, printer, 0, CTXK_INTERFACE, frame.printerInfo(), frame.driverInfo());
  if (!context) return FALSE;
  BOOL answer = FALSE;
  if (MergeDevmode(context, info->pDevMode, kMergeFlags))
    answer = CheckJobForm(info, reinterpret_cast<DEVMODEW*>(context->settings), context);
  frame.End();
  ReleaseContext(context, CTXR_CACHE);
  return answer;
}
