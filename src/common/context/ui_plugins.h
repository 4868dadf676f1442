// UI plug-ins: UI-control plug-ins that take over the copy-guard and watermark functions,
// and the tool-bar plug-in (category "VavavUI") that adds its own page to the device sheet.
#pragma once

#include "win/types.h"

struct DriverContext;

// UI-control plug-in exports and interface.
struct UiControlInterface {
  void* reserved0;
  void* reserved1;
  BOOL (*Open)(HANDLE printer, HANDLE* handle);
  void (*Close)(HANDLE handle);
  BOOL (*QueryCapability)(HANDLE handle, DWORD capability, DWORD* value);
};
using UiControlGetInterfaceProc = BOOL (*)(DWORD version, UiControlInterface** out);
using UiControlDisposeInterfaceProc = void (*)(UiControlInterface* instance);

// Tool-bar plug-in exports and interface. The create-page request keeps the printer name's
// address in a 4-byte slot, so the request and the name it points to are placed below
// 4 GiB; both stay valid until the plug-in is released.
struct ToolbarPageRequest {
  DWORD size;          // 32
  DWORD printerName;   // address of the printer display name (UTF-16)
  DWORD permitted;     // 1 when kdmNoPermission is 0
  DWORD machineType;   // bit 0 of the machine-type byte
  DWORD authenticationMode;
  WORD modelWord1;     // the special-model entry's first and second u16
  WORD modelWord2;
  WORD modelMask;      // the low 16 bits of its mask
  WORD kind;           // 17
  WORD one;            // 1
  WORD reserved;
};
static_assert(sizeof(ToolbarPageRequest) == 32);
struct ToolbarInterface {
  void* reserved0;
  DWORD (*Open)(DWORD* handle);
  DWORD (*Close)(DWORD handle);
  DWORD (*CreatePage)(const ToolbarPageRequest* request, void** page, DWORD handle);
};
using ToolbarGetInterfaceProc = DWORD (*)(DWORD version, ToolbarInterface** out);
using ToolbarDisposeInterfaceProc = void (*)(ToolbarInterface* instance);
constexpr DWORD kPluginInterfaceVersion = 256;

// Asks every UI-control plug-in for capabilities 1 (copy guard) and 2 (watermark) and sets
// kdmFunc2SelectUICtrlCopyGuard and kdmFunc2SelectUICtrlWaterMark from the answers; 1.
int QueryUiControlPlugins(DriverContext* context);
// Binds the tool-bar plug-in and adds its page to the device sheet; 1 when added.
int AttachToolbarUiPlugin(DriverContext* context);
// Closes and disposes of the plug-in, frees its page request and unloads it.
void ReleaseToolbarUiPlugin(DriverContext* context);
// The device sheet's add-page function for the tool-bar page; 1 when added.
int AddToolbarPageToSheet(DriverContext* context, void* page);
