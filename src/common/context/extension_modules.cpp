// The built-in tables of the ten page extension modules.
#include "context/extension_modules.h"

#include "context/deliverable.h"
#include "modules/module_hooks.h"

namespace {

constexpr std::int32_t kChapterPrivateSize = sizeof(ChapterModuleData);

#define KOVA_MODULE(Name, size) {size, nullptr, Name##ModuleItem, Name##ModuleMessage, Name##ModuleEvent}
#define KOVA_MODULE_NO_UI(Name, size) {size, nullptr, Name##ModuleItem, NoControlMessages, Name##ModuleEvent}

const ExtensionModule kInterfaceTable[kModuleCount] = {
    KOVA_MODULE(Preset, 0),
    KOVA_MODULE(Stamp, 0),
    KOVA_MODULE(UserQuality, 0),
    KOVA_MODULE(CustomPaper, 0),
    KOVA_MODULE(Chapter, kChapterPrivateSize),
    KOVA_MODULE(Options, 0),
    KOVA_MODULE(FontSubstitution, 0),
    KOVA_MODULE(Summary, 0),
    KOVA_MODULE(SettingLock, 0),
    KOVA_MODULE(PrintType, 0),
};

// PENDING: the custom paper module's issue gives the rendering DLL an event hook without
// the module's page events (event 47 among them).
const ExtensionModule kRenderingTable[kModuleCount] = {
    KOVA_MODULE_NO_UI(Preset, 0),
    KOVA_MODULE_NO_UI(Stamp, 0),
    KOVA_MODULE_NO_UI(UserQuality, 0),
    KOVA_MODULE_NO_UI(CustomPaper, 0),
    KOVA_MODULE_NO_UI(Chapter, kChapterPrivateSize),
    KOVA_MODULE_NO_UI(Options, 0),
    KOVA_MODULE_NO_UI(FontSubstitution, 0),
    KOVA_MODULE_NO_UI(Summary, 0),
    KOVA_MODULE_NO_UI(SettingLock, 0),
    {0, nullptr, PrintTypeModuleItem, NoControlMessages, PrintTypeModuleEventRendering},
};

const ExtensionModule kSettingsApiTable[kModuleCount] = {
    KOVA_MODULE_NO_UI(Preset, 0),
    KOVA_MODULE_NO_UI(Stamp, 0),
    KOVA_MODULE_NO_UI(UserQuality, 0),
    KOVA_MODULE_NO_UI(CustomPaper, 0),
    KOVA_MODULE_NO_UI(Chapter, kChapterPrivateSize),
    KOVA_MODULE_NO_UI(Options, 0),
    KOVA_MODULE_NO_UI(FontSubstitution, 0),
    KOVA_MODULE_NO_UI(Summary, 0),
    KOVA_MODULE_NO_UI(SettingLock, 0),
    KOVA_MODULE_NO_UI(PrintType, 0),
};

#undef KOVA_MODULE
#undef KOVA_MODULE_NO_UI

}  // namespace

const ExtensionModule* GetModuleTable(std::int32_t* count) {
  if (count) *count = kModuleCount;
  switch (CurrentDeliverable()) {
    case Deliverable::Rendering: return kRenderingTable;
    case Deliverable::SettingsApi: return kSettingsApiTable;
    case Deliverable::Interface: break;
  }
  return kInterfaceTable;
}
