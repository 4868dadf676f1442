// Fuzz target: arbitrary bytes as a command base. The text is set as the base of a handle
// over a context (the built-in field table, a device-mode of this product, no model), then
// every line of it is sent again as an update, and the value lists are asked for each item
// named. Nothing may be read beyond the text nor written beyond the handle's buffers.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "command_base_apply.h"
#include "command_base_parse.h"
#include "command_base_text.h"
#include "fields/devmode_header.h"
#include "base/driver_context.h"
#include "fields/field_table.h"
#include "base/memory.h"
#include "fields/product_record.h"
#include "model/rule_eval.h"

namespace {

constexpr std::size_t kMaxInput = 1 << 16;

struct FuzzHandle {
  DriverContext context{};
  ProductRecord product{};
  std::vector<BYTE> settings;
  std::vector<BYTE> slotSet;
  std::vector<std::int32_t> slotValues;
  ExcBaseRecord handle{};

  FuzzHandle() : settings(GetSettingsBufferSize()), slotSet(kPjlSlotCount), slotValues(kPjlSlotCount) {
    product = *GetProductRecord();
    context.product = &product;
    context.work = static_cast<WorkArea*>(AllocMem(sizeof(WorkArea)));
    context.settings = settings.data();
    CopyBuiltInFieldTable(context.fields);
    CreateEvalStack(&context);
    DEVMODEW* d = reinterpret_cast<DEVMODEW*>(settings.data());
    d->dmSpecVersion = product.specVersion;
    d->dmDriverVersion = product.driverVersion;
    d->dmSize = static_cast<WORD>(GetPublicDevmodeSize());
    d->dmDriverExtra = static_cast<WORD>(GetPrivateDevmodeSize());
    WritePrivateHeader(settings.data(), &product);
    WritePrivateIdentity(settings.data(), &product, true);
    handle.context = &context;
    handle.slotCount = static_cast<std::int32_t>(kPjlSlotCount);
    handle.slotSet = slotSet.data();
    handle.slotValues = slotValues.data();
  }
  ~FuzzHandle() {
    DropChangeText(&handle);
    DropBaseText(&handle);
    DestroyEvalStack(&context);
    FreeFieldTable(context.fields);
    FreeMem(context.work);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxInput) return 0;
  // An exact-size heap copy with its NUL, so that any read past the text is caught.
  std::vector<char> text(data, data + size);
  text.push_back('\0');
  FuzzHandle fuzz;
  ExcBaseRecord* handle = &fuzz.handle;
  SetBaseText(handle, text.data());

  char name[kPjlTokenBytes];
  char value[kPjlTokenBytes];
  std::size_t at = 0;
  for (int lines = 0; lines < 256; ++lines) {
    const int used = ParsePjlLine(text.data() + at, name, value);
    if (used <= 0) break;
    // Each line on its own, as an update sends it.
    std::vector<char> line(text.data() + at, text.data() + at + used);
    line.push_back('\0');
    UpdateBaseLine(handle, line.data(), name, value);
    if (const PjlItem* item = FindPjlItem(handle->context, name, kPjlCommand)) {
      PjlText all;
      PjlText settable;
      ListItemValues(handle, item, 0, all);
      ListItemValues(handle, item, 1, settable);
    }
    if (const PjlItem* item = FindPjlItem(handle->context, name, kPjlValueQuery)) {
      char out[64];
      FormatPrinterValue(item, handle->context, static_cast<std::int32_t>(sizeof out), out);
    }
    at += static_cast<std::size_t>(used);
  }
  if (handle->baseText && (handle->baseLength <= 0 || handle->baseText[handle->baseLength - 1] != '\0')) __builtin_trap();
  if (handle->changeText && (handle->changeLength <= 0 || handle->changeText[handle->changeLength - 1] != '\0')) {
    __builtin_trap();
  }
  return 0;
}
