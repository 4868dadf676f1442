// Fuzz target: a cache file of arbitrary bytes. The bytes go through the same check as a
// cache read from disk; an image that passes is then used as a context would use it:
// every option, item condition, alert and transact list is evaluated on a context of its
// own, and every slot and list is looked up. Independently of the check, programs are
// also evaluated straight from the unchecked bytes, which the evaluator must survive too.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/memory.h"
#include "model/model_image.h"
#include "model/option_lookup.h"
#include "model/rule_apply.h"
#include "model/rule_eval.h"

namespace {

constexpr std::size_t kSettingsSize = 10080;
constexpr std::size_t kMaxInput = 1 << 20;

// A context with the built-in field table, a settings buffer and an evaluation stack.
struct FuzzContext {
  DriverContext context{};
  WorkArea* work = nullptr;
  std::vector<BYTE> settings;

  explicit FuzzContext(const ModelImage* image) : settings(kSettingsSize) {
    const WORD offsets[3] = {0, 1236, 6500};
    for (int i = 0; i < 3; ++i) {
      settings[kAreaOffsetPositions[i]] = static_cast<BYTE>(offsets[i]);
      settings[kAreaOffsetPositions[i] + 1] = static_cast<BYTE>(offsets[i] >> 8);
    }
    work = static_cast<WorkArea*>(AllocMem(sizeof(WorkArea)));
    context.work = work;
    context.settings = settings.data();
    context.model = image;
    CopyBuiltInFieldTable(context.fields);
    CreateEvalStack(&context);
  }
  ~FuzzContext() {
    DestroyEvalStack(&context);
    FreeFieldTable(context.fields);
    FreeMem(work);
  }
};

void UseImage(const ModelImage* image) {
  FuzzContext fc(image);
  DriverContext* c = &fc.context;
  int options = 0;
  for (ImageRef o = FirstModelOption(image); o && options < 4096; o = OptionNext(o), ++options) {
    IsItemDisabled(o, 0, c);
    IsItemHidden(o, 0, c);
    EvaluateLockCondition(o, 0, c);
    FindActiveAlert(o, c);
    const WORD low = OptionRawType(o) & 0xFF;
    if (low == 1 || low == 2) {
      int items = 0;
      for (ImageRef it = OptionValues(o); it && items < 4096; it = ItemNext(it), ++items) {
        IsItemDisabled(o, ItemValueId(it), c);
        IsItemHidden(o, ItemValueId(it), c);
      }
    }
    ApplyOptionTransacts(o, c);
    const ImageRef block = OptionCondition(o);
    if (block) {
      ApplyTransacts(block.Tagged(cond::kTransacts2), c);
      if (const ImageRef alertEntry = FindActiveAlertEntry(block.Tagged(cond::kAlerts), c)) {
        RunAlertAction(alertEntry.Tagged(alert::kAlertActions), OptionItemId(o), c);
      }
    }
  }
  for (WORD id : {WORD{1}, WORD{7}, WORD{696}, WORD{697}, WORD{1543}, WORD{1544}, WORD{10001}, WORD{10434}}) {
    GetOptionDefaultValue(id, c);
    GetOptionItemCount(id, c);
    GetOptionForFeature(id, c);
  }
  GetUIResDLLName(c);
  DWORD count = 0;
  FreeMem(ExportDeviceFontList(c, &count));
  FreeMem(ExportFontCartridgeList(c, &count));
  FreeMem(ExportFontSubstitutionTable(c, &count));
}

// Programs straight from the bytes: from the start of the record area and at a few offsets
// the input itself names.
void EvaluateUnchecked(const BYTE* data, std::size_t size) {
  if (size < kModelHeaderSize + 4) return;
  std::vector<BYTE> block(data, data + size);
  StoreU32(block.data() + kHdrTotalSize, static_cast<DWORD>(size));
  const auto* image = reinterpret_cast<const ModelImage*>(block.data());
  FuzzContext fc(image);
  EvaluateRuleExpression(ImageRef{image, kModelHeaderSize}, &fc.context);
  for (DWORD at = kHdrSlots; at < kHdrSlots + 64; at += 4) {
    EvaluateRuleExpression(ImageRef{image, 0}.At(LoadU32(block.data() + at) / 16), &fc.context);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxInput) return 0;
  // Half the inputs get a matching total size, so that the search gets past the length rule.
  std::vector<BYTE> bytes(data, data + size);
  if (size >= kHdrTotalSize + 4 && (bytes[0] & 1)) StoreU32(bytes.data() + kHdrTotalSize, static_cast<DWORD>(size));
  if (auto* copy = static_cast<BYTE*>(AllocMem(static_cast<DWORD>(size ? size : 1)))) {
    if (size) std::memcpy(copy, bytes.data(), size);
    if (ModelImage* image = AdoptModelImageCopy(copy, static_cast<DWORD>(size))) {
      UseImage(image);
      FreeMem(image);
    }
  }
  EvaluateUnchecked(bytes.data(), size);
  return 0;
}
