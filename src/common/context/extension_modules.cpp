// The built-in tables of the ten page extension modules.
#include "context/extension_modules.h"

#include "base/deliverable.h"
#include "context/module_events.h"
#include "context/module_hooks.h"

namespace {

constexpr std::int32_t kChapterPrivateSize = sizeof(ChapterModuleData);

// Each module sees only the numbers it takes in the deliverable it runs in (module_events.h).
template <int M, ModuleItemHook H>
std::int32_t Item(DriverContext* context, WORD number, void* data) {
  return ModuleTakesBuiltIn(M, CurrentDeliverable(), number) ? H(context, number, data) : 0;
}
template <int M, ModuleEventHook H>
std::int32_t Event(DriverContext* context, DWORD event, void* block, void* data) {
  return ModuleTakesEvent(M, CurrentDeliverable(), event) ? H(context, event, block, data) : 0;
}

#define KOVA_MODULE(M, Name, size) \
  {size, nullptr, Item<M, Name##ModuleItem>, Name##ModuleMessage, Event<M, Name##ModuleEvent>}
#define KOVA_MODULE_NO_UI(M, Name, size) \
  {size, nullptr, Item<M, Name##ModuleItem>, NoControlMessages, Event<M, Name##ModuleEvent>}

const ExtensionModule kInterfaceTable[kModuleCount] = {
    KOVA_MODULE(MODULE_PRESETS, Preset, 0),
    KOVA_MODULE(MODULE_STAMPS, Stamp, 0),
    KOVA_MODULE(MODULE_USER_QUALITY, UserQuality, 0),
    KOVA_MODULE(MODULE_CUSTOM_PAPER, CustomPaper, 0),
    KOVA_MODULE(MODULE_CHAPTERS, Chapter, kChapterPrivateSize),
    KOVA_MODULE(MODULE_OPTIONS, Options, 0),
    KOVA_MODULE(MODULE_FONT_SUBSTITUTION, FontSubstitution, 0),
    KOVA_MODULE(MODULE_SUMMARY, Summary, 0),
    KOVA_MODULE(MODULE_SETTING_LOCKS, SettingLock, 0),
    KOVA_MODULE(MODULE_PRINT_TYPE, PrintType, 0),
};

const ExtensionModule kRenderingTable[kModuleCount] = {
    KOVA_MODULE_NO_UI(MODULE_PRESETS, Preset, 0),
    KOVA_MODULE_NO_UI(MODULE_STAMPS, Stamp, 0),
    KOVA_MODULE_NO_UI(MODULE_USER_QUALITY, UserQuality, 0),
    KOVA_MODULE_NO_UI(MODULE_CUSTOM_PAPER, CustomPaper, 0),
    KOVA_MODULE_NO_UI(MODULE_CHAPTERS, Chapter, kChapterPrivateSize),
    KOVA_MODULE_NO_UI(MODULE_OPTIONS, Options, 0),
    KOVA_MODULE_NO_UI(MODULE_FONT_SUBSTITUTION, FontSubstitution, 0),
    KOVA_MODULE_NO_UI(MODULE_SUMMARY, Summary, 0),
    KOVA_MODULE_NO_UI(MODULE_SETTING_LOCKS, SettingLock, 0),
    {0, nullptr, Item<MODULE_PRINT_TYPE, PrintTypeModuleItem>, NoControlMessages, PrintTypeModuleEventRendering},
};

const ExtensionModule kSettingsApiTable[kModuleCount] = {
    KOVA_MODULE_NO_UI(MODULE_PRESETS, Preset, 0),
    KOVA_MODULE_NO_UI(MODULE_STAMPS, Stamp, 0),
    KOVA_MODULE_NO_UI(MODULE_USER_QUALITY, UserQuality, 0),
    KOVA_MODULE_NO_UI(MODULE_CUSTOM_PAPER, CustomPaper, 0),
    KOVA_MODULE_NO_UI(MODULE_CHAPTERS, Chapter, kChapterPrivateSize),
    KOVA_MODULE_NO_UI(MODULE_OPTIONS, Options, 0),
    KOVA_MODULE_NO_UI(MODULE_FONT_SUBSTITUTION, FontSubstitution, 0),
    KOVA_MODULE_NO_UI(MODULE_SUMMARY, Summary, 0),
    KOVA_MODULE_NO_UI(MODULE_SETTING_LOCKS, SettingLock, 0),
    KOVA_MODULE_NO_UI(MODULE_PRINT_TYPE, PrintType, 0),
};

#undef KOVA_MODULE
#undef KOVA_MODULE_NO_UI

}  // namespace

std::int32_t PrintTypeModuleEventRendering(DriverContext* context, DWORD event, void* block, void* privateData) {
  return ModuleTakesEvent(MODULE_PRINT_TYPE, Deliverable::Rendering, event)
             ? PrintTypeModuleEvent(context, event, block, privateData)
             : 0;
}

const ExtensionModule* GetModuleTable(std::int32_t* count) {
  if (count) *count = kModuleCount;
  switch (CurrentDeliverable()) {
    case Deliverable::Rendering: return kRenderingTable;
    case Deliverable::SettingsApi: return kSettingsApiTable;
    case Deliverable::Interface: break;
  }
  return kInterfaceTable;
}
