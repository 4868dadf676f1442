#include "output_binding.h"

#include <cstring>

#include "output_dll.h"
#include "text_geometry.h"
#include "win/env.h"
#include "win/kernel.h"
#include "win/loader.h"
#include "win/spool.h"

namespace rendara {

namespace {

constexpr DWORD kPathChars = 260;
constexpr DWORD kMaxDriverPath = 240;
constexpr DWORD kPathBuffer = 4096;
constexpr DWORD kMaxEnvironmentValue = 0x7FFF;

DWORD TextLength(const WCHAR* text) {
  DWORD n = 0;
  while (text[n]) ++n;
  return n;
}

WCHAR Lower(WCHAR c) {
  if (c >= u'A' && c <= u'Z') return static_cast<WCHAR>(c - u'A' + u'a');
  if (c < 0x80) return c;
  WCHAR one[1] = {c};
  CharLowerBuffW(one, 1);
  return one[0];
}

bool IsSeparator(WCHAR c) { return c == u'\\' || c == u'/'; }

// Appends ";" and the directory to PATH when PATH lacks it; value holds PATH (length n)
// and has room for n + d + 2 characters.
void AppendWhenMissing(WCHAR* value, DWORD n, const WCHAR* directory, DWORD d) {
  if (!IsDirectoryMissingFromPath(value, directory)) return;
  value[n] = u';';
  std::memcpy(value + n + 1, directory, d * sizeof(WCHAR));
  value[n + 1 + d] = 0;
  SetEnvironmentVariableW(u"PATH", value);
}

void AddDirectoryToPath(RenderDevice* device, const WCHAR* directory) {
  const DWORD d = TextLength(directory);
  WCHAR buffer[kPathBuffer];
  const DWORD n = GetEnvironmentVariableW(u"PATH", buffer, kPathBuffer);
  if (n == 0) {
    // No PATH at all: the driver directory becomes the whole PATH.
    if (IsDirectoryMissingFromPath(u";", directory)) SetEnvironmentVariableW(u"PATH", directory);
    return;
  }
  if (n + d >= kPathBuffer - 1) {
    if (n + d + 2 > kMaxEnvironmentValue) return;
    auto* value = static_cast<WCHAR*>(DeviceAlloc(device->heap, (n + d + 2) * sizeof(WCHAR)));
    if (!value) return;
    const DWORD got = GetEnvironmentVariableW(u"PATH", value, n + d + 2);
    if (got > 0 && got < n + d + 2 && got + d + 2 <= n + d + 2) AppendWhenMissing(value, got, directory, d);
    DeviceFree(device->heap, value);
    return;
  }
  AppendWhenMissing(buffer, n, directory, d);
}

char* CopyAnsi(const char* text) {
  const std::size_t n = std::strlen(text) + 1;
  auto* copy = static_cast<char*>(GlobalAlloc(GPTR, n));
  if (copy) std::memcpy(copy, text, n);
  return copy;
}

template <class F>
F Export(HMODULE module, const char* name) {
  if (!module) return nullptr;
  FARPROC proc = GetProcAddress(module, name);
  return proc ? ProcCast<F>(proc) : nullptr;
}

}  // namespace

BOOL IsDirectoryMissingFromPath(const WCHAR* pathValue, const WCHAR* directory) {
  if (!pathValue || !directory || !directory[0]) return FALSE;
  for (const WCHAR* p = directory; *p; ++p)
    if (*p == u'\\' && (p[1] == u'\\' || p[1] == 0)) return FALSE;

  const WCHAR* path = pathValue;
  DWORD i = 0;
  DWORD j = 0;
  bool lastEntryRetry = false;
  for (;;) {
    if (directory[j] == 0) {
      // The whole directory matched: present when the entry ends here, or after one
      // separator (a run counts as one).
      WCHAR c = path[i];
      if (c == 0 || c == u';') return FALSE;
      if (IsSeparator(c)) {
        DWORD k = i;
        while (IsSeparator(path[k])) ++k;
        if (path[k] == 0 || path[k] == u';') return FALSE;
      }
    } else if (path[i] == 0) {
      return TRUE;
    } else {
      DWORD k = i;
      if (IsSeparator(path[k]))
        while (IsSeparator(path[k + 1])) ++k;  // a run of separators counts as its last one
      if (Lower(path[k]) == Lower(directory[j])) {
        i = k + 1;
        ++j;
        continue;
      }
    }
    // Mismatch: go on after the next ';', or, in the last entry, try once more from the
    // next character.
    DWORD next = i;
    while (path[next] && path[next] != u';') ++next;
    if (path[next] == u';') {
      i = next + 1;
      j = 0;
      continue;
    }
    if (lastEntryRetry) return TRUE;
    lastEntryRetry = true;
    if (path[i] == 0) return TRUE;
    ++i;
    j = 0;
  }
}

BOOL BuildWindowsPath(WCHAR* out, DWORD size, const WCHAR* name) {
  if (!out || !name || size == 0) {
    if (out && size) out[0] = 0;
    return FALSE;
  }
  out[0] = 0;
  WCHAR directory[kPathChars];
  const UINT d = GetWindowsDirectoryW(directory, kPathChars);
  if (d == 0 || d >= kPathChars) return FALSE;
  const DWORD n = TextLength(name);
  if (size < d + n + 2) return FALSE;
  std::memcpy(out, directory, d * sizeof(WCHAR));
  out[d] = u'\\';
  std::memcpy(out + d + 1, name, (n + 1) * sizeof(WCHAR));
  return TRUE;
}

BOOL LocateOutputDll(RenderDevice* device, HANDLE printer, WCHAR* path, BOOL withName) {
  if (!path) return FALSE;
  path[0] = 0;
  DWORD needed = 0;
  GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed);
  if (needed < sizeof(DRIVER_INFO_2W)) return FALSE;
  auto* info = static_cast<BYTE*>(DeviceAlloc(device->heap, needed));
  if (!info) return FALSE;
  BOOL ok = GetPrinterDriverW(printer, nullptr, 2, info, needed, &needed);
  const WCHAR* driverPath = ok ? reinterpret_cast<DRIVER_INFO_2W*>(info)->pDriverPath : nullptr;
  const DWORD length = driverPath ? TextLength(driverPath) : 0;
  if (!driverPath || length > kMaxDriverPath) {
    DeviceFree(device->heap, info);
    return FALSE;
  }
  std::memcpy(path, driverPath, (length + 1) * sizeof(WCHAR));
  DeviceFree(device->heap, info);

  WCHAR* cut = nullptr;
  for (WCHAR* p = path; *p; ++p)
    if (*p == u'\\') cut = p;
  if (!cut) {
    path[0] = 0;
    return FALSE;
  }
  *cut = 0;
  AddDirectoryToPath(device, path);
  if (!withName) return TRUE;

  const WCHAR* name = device->outputDllName;
  if (!name || !name[0]) return FALSE;
  const DWORD d = TextLength(path);
  const DWORD n = TextLength(name);
  if (d + 1 + n >= kPathChars) return FALSE;
  path[d] = u'\\';
  std::memcpy(path + d + 1, name, (n + 1) * sizeof(WCHAR));
  return TRUE;
}

FilterPathList* BuildFilterPathList(const PluginList* plugins, const char* outputPath) {
  if (!outputPath) return nullptr;
  DWORD filters = 0;
  if (plugins)
    for (DWORD i = 0; i < plugins->count; ++i)
      if (plugins->entries[i] && plugins->entries[i]->installPath) ++filters;
  auto* list = static_cast<FilterPathList*>(GlobalAlloc(GPTR, sizeof(FilterPathList)));
  if (!list) return nullptr;
  list->paths = static_cast<char**>(GlobalAlloc(GPTR, sizeof(char*) * (filters + 2)));
  if (!list->paths) {
    GlobalFree(list);
    return nullptr;
  }
  list->count = filters + 2;
  DWORD k = 0;
  if (plugins)
    for (DWORD i = 0; i < plugins->count; ++i) {
      const PluginEntry* entry = plugins->entries[i];
      if (!entry || !entry->installPath) continue;
      if (!(list->paths[k++] = CopyAnsi(entry->installPath))) {
        FreeFilterPathList(list);
        return nullptr;
      }
    }
  if (!(list->paths[k] = CopyAnsi(outputPath))) {
    FreeFilterPathList(list);
    return nullptr;
  }
  return list;
}

void FreeFilterPathList(FilterPathList* list) {
  if (!list) return;
  if (list->paths) {
    for (DWORD i = 0; i < list->count; ++i)
      if (list->paths[i]) GlobalFree(list->paths[i]);
    GlobalFree(list->paths);
  }
  GlobalFree(list);
}

void DropFilters(RenderDevice* device) {
  FreePluginList(device->plugins);
  device->plugins = nullptr;
  FreeFilterPathList(device->filterPaths);
  device->filterPaths = nullptr;
  device->filterInUse = 0;
}

BOOL BindFilterInterface(RenderDevice* device) {
  device->filter = nullptr;
  device->filterGetInterface = nullptr;
  device->filterDisposeInterface = nullptr;
  HMODULE module = device->records.outputModule;
  if (!module) return FALSE;
  device->filterGetInterface = Export<IKOVAGetInterfaceProc>(module, "IKOVAGetInterface");
  if (!device->filterGetInterface) return FALSE;
  device->filterDisposeInterface = Export<IKOVADisposeInterfaceProc>(module, "IKOVADisposeInterface");
  FilterInterface* iface = nullptr;
  const BOOL result = device->filterGetInterface(kFilterInterfaceVersion, &iface);
  device->filter = iface;
  // An interface that is missing is no interface, whatever the answer said.
  return result && iface ? TRUE : FALSE;
}

BOOL BindOutput(RenderDevice* device) {
  RecordBuffer& records = device->records;
  WCHAR path[kPathChars];
  if (!LocateOutputDll(device, device->printer, path, TRUE)) {
    DropFilters(device);
    return FALSE;
  }
  if (device->filterInUse) {
    char path8[kPathChars * 2 + 1];
    const DWORD n = ConvertToPrinterText(reinterpret_cast<BYTE*>(path8), sizeof path8 - 1, path,
                                         TextLength(path) * sizeof(WCHAR));
    path8[n] = 0;
    FreeFilterPathList(device->filterPaths);
    device->filterPaths = BuildFilterPathList(device->plugins, path8);
    if (!device->filterPaths) {
      FreePluginList(device->plugins);
      device->plugins = nullptr;
      device->filterInUse = 0;
    }
  }
  if (device->filterInUse) {
    records.outputModule = LoadLibraryA(device->filterPaths->paths[0]);
    if (!records.outputModule) {
      DropFilters(device);
      records.outputModule = LoadLibraryW(path);
    }
  } else {
    records.outputModule = LoadLibraryW(path);
  }
  if (device->filterInUse) {
    if (!BindFilterInterface(device)) {
      DropFilters(device);
      return FALSE;
    }
    records.write = device->filter->Write;
    return TRUE;
  }
  if (!records.outputModule) return FALSE;
  records.write = Export<WriteCallback>(records.outputModule, "DrvSplWritePrinter");
  return TRUE;
}

BOOL OutputStartDoc(RenderDevice* device, DWORD jobId) {
  RecordBuffer& records = device->records;
  if (device->filterInUse && device->filter) {
    FilterInterface* f = device->filter;
    HANDLE handle = nullptr;
    if (!f->Open || !f->Open(&handle, device->filterPaths ? device->filterPaths->paths : nullptr)) return FALSE;
    records.outputHandle = handle;
    if (f->StartDoc) f->StartDoc(records.outputHandle, device->printer, jobId);
    return TRUE;
  }
  auto start = Export<DrvSplStartDocProc>(records.outputModule, "DrvSplStartDocEx");
  if (!start) start = Export<DrvSplStartDocProc>(records.outputModule, "DrvSplStartDoc");
  if (start) records.outputHandle = start(device->printer, jobId);
  return TRUE;
}

void OutputStartPage(RenderDevice* device) {
  RecordBuffer& records = device->records;
  if (device->filterInUse && device->filter) {
    if (device->filter->StartPage) device->filter->StartPage(records.outputHandle);
    return;
  }
  if (auto startPage = Export<DrvSplOutputProc>(records.outputModule, "DrvSplStartPage"))
    startPage(records.outputHandle);
}

BOOL OutputEndPage(RenderDevice* device) {
  RecordBuffer& records = device->records;
  if (device->filterInUse && device->filter) {
    if (device->filter->EndPage && !device->filter->EndPage(records.outputHandle)) return FALSE;
    return TRUE;
  }
  if (auto endPage = Export<DrvSplOutputProc>(records.outputModule, "DrvSplEndPage")) endPage(records.outputHandle);
  return TRUE;
}

void OutputEndDoc(RenderDevice* device) {
  RecordBuffer& records = device->records;
  if (device->filterInUse && device->filter) {
    FilterInterface* f = device->filter;
    if (f->EndDoc) f->EndDoc(records.outputHandle);
    if (f->Close) f->Close(records.outputHandle);
    if (device->filterDisposeInterface) device->filterDisposeInterface(f);
  } else if (records.outputModule) {
    if (auto endDoc = Export<DrvSplOutputProc>(records.outputModule, "DrvSplEndDoc")) endDoc(records.outputHandle);
    if (auto close = Export<DrvSplCloseProc>(records.outputModule, "DrvSplClose")) close(records.outputHandle);
  }
  // The filter is closed: its path list and interface are no longer needed, and a second
  // document on the same device builds them afresh.
  device->filter = nullptr;
  device->filterGetInterface = nullptr;
  device->filterDisposeInterface = nullptr;
  FreeFilterPathList(device->filterPaths);
  device->filterPaths = nullptr;
  if (records.outputModule && FreeLibrary(records.outputModule)) records.outputModule = nullptr;
  records.outputHandle = nullptr;
  records.write = nullptr;
}

}  // namespace rendara
