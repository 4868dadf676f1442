// The page extension modules of a context and the dispatchers that reach them: numbered
// built-in functions, window messages of the property pages and numbered events. Every
// walk visits the modules in table order, skips a missing hook and stops at the first
// hook that answers nonzero.
#pragma once

#include <cstdint>

#include "win/types.h"

struct ControlRecord;
struct DriverContext;
struct PageRecord;

using ModuleItemHook = std::int32_t (*)(DriverContext* context, WORD number, void* privateData);
using ModuleMessageHook = std::int32_t (*)(DriverContext* context, PageRecord* page, ControlRecord* control,
                                           DWORD message, WPARAM wParam, LPARAM lParam, void* privateData);
using ModuleEventHook = std::int32_t (*)(DriverContext* context, DWORD event, void* block, void* privateData);

// One page extension module.
struct ExtensionModule {
  std::int32_t privateSize;   // bytes of per-context data; 0 for none
  void* privateData;          // zero-filled block of privateSize bytes, or null
  ModuleItemHook itemHook;    // built-in functions
  ModuleMessageHook messageHook;
  ModuleEventHook eventHook;
};

// The modules of one context: a copy of the built-in table with the private data filled in.
struct ModuleList {
  std::int32_t count;
  ExtensionModule* records;
};

// Events the common code sends itself.
constexpr DWORD MODEV_LOAD = 1;
constexpr DWORD MODEV_FREE = 2;
constexpr DWORD MODEV_QUERY_YES_NO = 12;
constexpr DWORD MODEV_SNAPSHOT_PUSH = 26;
constexpr DWORD MODEV_SNAPSHOT_RESTORE = 27;

// Module list of the context (with event 1), and its release (event 2 first).
void LoadExtensionModules(DriverContext* context);
void FreeExtensionModules(DriverContext* context);

// Offers a built-in function number to the item hooks.
void CallModuleItemHooks(DriverContext* context, WORD number);
// The page code's own handler first, then the modules' message hooks; the last answer.
std::int32_t DispatchModuleMessage(DriverContext* context, PageRecord* page, ControlRecord* control, DWORD message,
                                   WPARAM wParam, LPARAM lParam);
// The event hooks; modules answer through the block.
void NotifyModules(DriverContext* context, DWORD event, void* block);
// Event 12 with an answer preset to 1; the answer.
std::int32_t QueryModulesYesNo(DriverContext* context);
// Rule items computed by a module: 1292-1307 by the user-quality module, 1404-1419 by the
// print-type module; 0 for any other id.
std::int32_t EvaluateJudgeHook(DriverContext* context, WORD itemId);
