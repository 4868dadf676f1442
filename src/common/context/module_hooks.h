// The hooks through which the ten page extension modules join the settings model: a
// built-in function hook, a control-message hook and an event hook per module, each
// answering nonzero when it handled the request.
#pragma once

#include <cstdint>

#include "model/module_dispatch.h"

#define KOVA_MODULE_HOOKS(Name)                                                                    \
  std::int32_t Name##ModuleItem(DriverContext* context, WORD number, void* privateData);          \
  std::int32_t Name##ModuleMessage(DriverContext* context, PageRecord* page, ControlRecord* control, \
                                   DWORD message, WPARAM wParam, LPARAM lParam, void* privateData); \
  std::int32_t Name##ModuleEvent(DriverContext* context, DWORD event, void* block, void* privateData);

KOVA_MODULE_HOOKS(Preset)
KOVA_MODULE_HOOKS(Stamp)
KOVA_MODULE_HOOKS(UserQuality)
KOVA_MODULE_HOOKS(CustomPaper)
KOVA_MODULE_HOOKS(Chapter)
KOVA_MODULE_HOOKS(Options)
KOVA_MODULE_HOOKS(FontSubstitution)
KOVA_MODULE_HOOKS(Summary)
KOVA_MODULE_HOOKS(SettingLock)
KOVA_MODULE_HOOKS(PrintType)

#undef KOVA_MODULE_HOOKS

// The print-type module's event hook in the rendering DLL: only the events it takes there
// (30, 32, 34, 35, 54, 66, 67) reach the module.
std::int32_t PrintTypeModuleEventRendering(DriverContext* context, DWORD event, void* block, void* privateData);
// The control-message hook of every module in the rendering DLL and the settings API.
std::int32_t NoControlMessages(DriverContext* context, PageRecord* page, ControlRecord* control, DWORD message,
                               WPARAM wParam, LPARAM lParam, void* privateData);

// The chapter module's private data: one pointer, its saved chapter list (a block freed
// with FreeMem).
struct ChapterModuleData {
  void* savedList;
};
