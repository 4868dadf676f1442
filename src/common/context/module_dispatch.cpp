// The module list of a context and the three dispatchers.
#include "model/module_dispatch.h"

#include <cstring>

#include "base/driver_context.h"
#include "context/extension_modules.h"
#include "base/memory.h"
#include "stored/module_services.h"
#include "field_ids.h"
#include "context/page_wiring.h"
#include "stored/preset_list.h"

namespace {

constexpr WORD kProfileJudgeFirst = fid::wdmJudgeHookUcf20;
constexpr WORD kProfileJudgeLast = fid::wdmJudgeHookUcf215;
constexpr WORD kCopiesJudgeFirst = fid::wdmJudgeHookUcf90;
constexpr WORD kCopiesJudgeLast = fid::wdmJudgeHookUcf915;

ModuleList* ModulesOf(DriverContext* context) {
  return context && context->work ? context->work->modules : nullptr;
}

}  // namespace

void LoadExtensionModules(DriverContext* context) {
  if (!context || !context->work) return;
  WorkArea* work = context->work;
  work->chapterEntries = nullptr;
  work->chapterCapacity = 0;
  work->chapterDataLoaded = 0;
  UpdatePresetChangeCache(context, nullptr, 0);

  auto* list = static_cast<ModuleList*>(AllocMem(sizeof(ModuleList)));
  work->modules = list;
  if (!list) return;
  std::int32_t count = 0;
  const ExtensionModule* table = GetModuleTable(&count);
  if (!table || count <= 0) return;
  list->records = static_cast<ExtensionModule*>(AllocMem(static_cast<DWORD>(count) * sizeof(ExtensionModule)));
  if (!list->records) return;
  std::memcpy(list->records, table, static_cast<std::size_t>(count) * sizeof(ExtensionModule));
  list->count = count;
  for (std::int32_t i = 0; i < count; ++i) {
    ExtensionModule& m = list->records[i];
    m.privateData = m.privateSize > 0 ? AllocMem(static_cast<DWORD>(m.privateSize)) : nullptr;
  }
  NotifyModules(context, MODEV_LOAD, nullptr);
}

void FreeExtensionModules(DriverContext* context) {
  if (!context || !context->work) return;
  WorkArea* work = context->work;
  FreeChapterEntries(context);
  UpdatePresetChangeCache(context, nullptr, 3);
  ModuleList* list = work->modules;
  if (!list) return;
  NotifyModules(context, MODEV_FREE, nullptr);
  for (std::int32_t i = 0; i < list->count; ++i) FreeMem(list->records[i].privateData);
  FreeMem(list->records);
  FreeMem(list);
  work->modules = nullptr;
}

void CallModuleItemHooks(DriverContext* context, WORD number) {
  ModuleList* list = ModulesOf(context);
  if (!list || !list->records) return;
  for (std::int32_t i = 0; i < list->count; ++i) {
    ExtensionModule& m = list->records[i];
    if (m.itemHook && m.itemHook(context, number, m.privateData) != 0) return;
  }
}

std::int32_t DispatchModuleMessage(DriverContext* context, PageRecord* page, ControlRecord* control, DWORD message,
                                   WPARAM wParam, LPARAM lParam) {
  std::int32_t result = HandleKnownPageMessage(context, page, control, message, wParam, lParam);
  if (result != 0) return result;
  ModuleList* list = ModulesOf(context);
  if (!list || !list->records) return result;
  for (std::int32_t i = 0; i < list->count; ++i) {
    ExtensionModule& m = list->records[i];
    if (!m.messageHook) continue;
    result = m.messageHook(context, page, control, message, wParam, lParam, m.privateData);
    if (result != 0) break;
  }
  return result;
}

void NotifyModules(DriverContext* context, DWORD event, void* block) {
  ModuleList* list = ModulesOf(context);
  if (!list || !list->records) return;
  for (std::int32_t i = 0; i < list->count; ++i) {
    ExtensionModule& m = list->records[i];
    if (m.eventHook && m.eventHook(context, event, block, m.privateData) != 0) return;
  }
}

std::int32_t QueryModulesYesNo(DriverContext* context) {
  std::int32_t answer = 1;
  NotifyModules(context, MODEV_QUERY_YES_NO, &answer);
  return answer;
}

std::int32_t EvaluateJudgeHook(DriverContext* context, WORD itemId) {
  if (itemId >= kProfileJudgeFirst && itemId <= kProfileJudgeLast) return ComputeProfileJudgeHook(context, itemId);
  if (itemId >= kCopiesJudgeFirst && itemId <= kCopiesJudgeLast) return ComputeCopiesJudgeHook(context, itemId);
  return 0;
}
