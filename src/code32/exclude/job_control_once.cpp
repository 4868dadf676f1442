#include "job_control_once.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "api_printer.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/memory.h"
#include "base/paths_and_names.h"
#include "base/spooler_info.h"
#include "base/system_checks.h"
#include "stored/job_control.h"
#include "outside/job_control_library.h"
#include "win/kernel.h"
#include "win/loader.h"

namespace {

struct Library {
  HMODULE module = nullptr;
  JCGetInterfaceProc get = nullptr;
  JCDisposeInterfaceProc dispose = nullptr;
  const JobControlInterface* table = nullptr;

  ~Library() {
    if (table && dispose) dispose(const_cast<JobControlInterface*>(table));
    if (module) FreeLibrary(module);
  }
  // Loads the library from the system directory and takes the first interface of versions
  // that answers.
  bool Bind(std::initializer_list<WORD> versions) {
    WCHAR path[MAX_PATH];
    const UINT n = GetSystemDirectoryW(path, MAX_PATH);
    const std::size_t name = sizeof kJobControlLibrary / sizeof(WCHAR);
    if (n == 0 || n + 1 + name > MAX_PATH) return false;
    path[n] = u'\\';
    std::memcpy(path + n + 1, kJobControlLibrary, sizeof kJobControlLibrary);
    module = LoadLibraryW(path);
    if (!module) return false;
    get = ProcCast<JCGetInterfaceProc>(GetProcAddress(module, kJobControlGetInterface));
    dispose = ProcCast<JCDisposeInterfaceProc>(GetProcAddress(module, kJobControlDisposeInterface));
    if (!get || !dispose) return false;
    for (WORD v : versions) {
      void* t = nullptr;
      if (get(v, &t) == JC_OK && t) {
        table = static_cast<const JobControlInterface*>(t);
        return true;
      }
    }
    return false;
  }
};

struct ItemField {
  DWORD bit;
  DWORD item;
  WORD field;
};

constexpr ItemField kReadItems[] = {{0x1, 1, 203},  {0x2, 2, 204},  {0x4, 3, 207},  {0x8, 4, 202},     {0x10, 5, 206},
                                    {0x20, 6, 231}, {0x40, 7, 232}, {0x80, 8, 208}, {0x800, 9, 1112}};
constexpr ItemField kWriteItems[] = {{0x1, 1, 203},     {0x2, 2, 204},     {0x4, 3, 207},
                                     {0x8, 4, 202},     {0x10, 5, 206},    {0x80, 8, 208},
                                     {0x800, 9, 1112},  {0x1000, 10, 1113}, {0x2000, 11, 1114}};

}  // namespace

DWORD JobControlItemCapacity(DWORD item) {
  switch (item) {
    case 2: case 5: return 34;
    case 6: return 130;
    case 1: case 3: case 4: case 7: case 8: return 18;
    case 9: return 258;
    default: return 2;
  }
}

int ReadJobControlItemOnce(HANDLE printer, DWORD item, DWORD type, WCHAR* buffer) {
  if (!buffer) return 0;
  auto* info = static_cast<PRINTER_INFO_2W*>(GetPrinterInfoForJobControl(printer, 2));
  if (!info) return 0;
  int answer = 0;
  {
    Library lib;
    DWORD handle = 0;
    if (lib.Bind({JC_VERSION_102, JC_VERSION_101}) && lib.table->OpenPrinterItems && lib.table->GetItemValue) {
      WCHAR name[261] = {};
      GetCsrPrinterNameCopy(printer, name, 261, info);
      if (lib.table->OpenPrinterItems(name, &handle) == JC_OK) {
        const DWORD capacity = JobControlItemCapacity(item);
        DWORD needed = 0;
        const DWORD rc = lib.table->GetItemValue(handle, item, type, nullptr, 0, &needed);
        if (rc != JC_NO_ITEM && needed != 0 && needed <= 0x10000) {
          if (needed <= capacity) {
            answer = lib.table->GetItemValue(handle, item, type, buffer, capacity, &needed) == JC_OK;
          } else {
            std::vector<BYTE> temporary(needed);
            if (lib.table->GetItemValue(handle, item, type, temporary.data(), needed, &needed) == JC_OK) {
              std::memcpy(buffer, temporary.data(), capacity);
              answer = 1;
            }
          }
          // The value ends inside the caller's buffer, whatever the library wrote.
          if (answer) buffer[capacity / sizeof(WCHAR) - 1] = 0;
        }
        if (lib.table->ClosePrinterItems) lib.table->ClosePrinterItems(handle);
      }
    }
  }
  FreeMem(info);
  return answer;
}

int WriteJobControlItemOnce(HANDLE printer, DWORD item, DWORD type, const WCHAR* text, DWORD size) {
  auto* info = static_cast<PRINTER_INFO_2W*>(GetPrinterInfoForJobControl(printer, 2));
  if (!info) return 0;
  int answer = 0;
  {
    Library lib;
    DWORD handle = 0;
    if (lib.Bind({JC_VERSION_101}) && lib.table->OpenPrinterItems && lib.table->SetItemValue && info->pPrinterName &&
        lib.table->OpenPrinterItems(info->pPrinterName, &handle) == JC_OK) {
      answer = lib.table->SetItemValue(handle, item, type, text, size) == JC_OK ? 1 : 0;
      if (lib.table->ClosePrinterItems) lib.table->ClosePrinterItems(handle);
    }
  }
  FreeMem(info);
  return answer;
}

void ReadJobControlItemsForApi(DriverContext* context, DWORD mask) {
  if (!context) return;
  if (!IsWin9x()) {
    JobControlReadMask(context, mask);
    return;
  }
  for (const ItemField& row : kReadItems) {
    if (!(mask & row.bit)) continue;
    WCHAR wide[130] = {};
    if (!ReadJobControlItemOnce(context->hPrinter, row.item, 1, wide)) continue;
    SettingField* field = FindFieldById(context, row.field);
    if (!field) continue;
    char text[260] = {};
    WideToAnsiText(wide, text, sizeof text);
    if (row.item == 7) {
      WriteFieldRaw(context, field, static_cast<DWORD>(std::strtoul(text, nullptr, 10)));
      continue;
    }
    const DWORD size = FieldSizeOf(field->type);
    std::vector<char> value(size ? size : 1, 0);
    std::strncpy(value.data(), text, value.size() - 1);
    WriteFieldBlock(context, field, value.data());
  }
}

void WriteJobControlItemForApi(DriverContext* context, DWORD bit) {
  if (!context) return;
  if (!IsWin9x()) {
    JobControlWriteMask(context, bit);
    return;
  }
  for (const ItemField& row : kWriteItems) {
    if (row.bit != bit) continue;
    SettingField* field = FindFieldById(context, row.field);
    const BYTE* at = field ? GetFieldAddress(context, field) : nullptr;
    if (!at) return;
    const DWORD size = FieldSizeOf(field->type);
    std::vector<char> text(size + 1, 0);
    std::memcpy(text.data(), at, size);
    std::vector<WCHAR> wide(size + 1, 0);
    AnsiToWide(text.data(), wide.data(), static_cast<int>(size ? size : 1));
    WriteJobControlItemOnce(context->hPrinter, row.item, 1, wide.data(), size * 2);
    return;
  }
}
